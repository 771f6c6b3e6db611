#include "core/DryRun.h"

#include <cstdio>

void ReportDryRunPowerOff() {
    std::fputs(kDryRunLine, stderr);
    std::fputs("\n", stderr);
    std::fflush(stderr);
}
