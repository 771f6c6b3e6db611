#include "app/CommandLine.h"

#include <cstring>

namespace {

bool IsSwitch(const char* argument, char pathSeparator) {
    return argument[0] == '-' || (pathSeparator == '\\' && argument[0] == '/');
}

}  // namespace

CommandLineInfo ParseCommandLine(int argc, const char* const* argv, char pathSeparator) {
    CommandLineInfo info;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (!argument || argument[0] == '\0') continue;
        if (!IsSwitch(argument, pathSeparator)) {
            if (info.file.empty()) info.file = argument;
        } else if (std::strcmp(argument, kDryRunSwitch) == 0) {
            info.dryRun = true;
        }
    }
    return info;
}
