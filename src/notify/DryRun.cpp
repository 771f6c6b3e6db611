#include "notify/DryRun.h"

#include <cstdio>

void ReportDryRunPowerOff() {
    std::fprintf(stderr, "%s\n", kDryRunLine);
    std::fflush(stderr);
}
