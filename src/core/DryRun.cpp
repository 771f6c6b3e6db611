#include "core/DryRun.h"

#include <cstdio>

static void Report(const char* line) {
    std::fputs(line, stderr);
    std::fputs("\n", stderr);
    std::fflush(stderr);
}

void ReportDryRunPowerOff() { Report(kDryRunLine); }

void ReportDryRunLogOff() { Report(kDryRunLogOffLine); }
