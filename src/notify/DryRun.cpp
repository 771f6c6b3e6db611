#include "notify/DryRun.h"

#include <cstdio>
#include <cstring>

bool HasDryRunSwitch(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i] && std::strcmp(argv[i], kDryRunSwitch) == 0) return true;
    }
    return false;
}

void ReportDryRunPowerOff() {
    std::fprintf(stderr, "%s\n", kDryRunLine);
    std::fflush(stderr);
}
