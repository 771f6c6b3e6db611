#include "core/CommandLine.h"

#include <cstring>

#include "core/Version.h"

namespace {

bool IsSwitch(const char* argument, char pathSeparator) {
    return argument[0] == '-' || (pathSeparator == '\\' && argument[0] == '/');
}

bool Is(const char* argument, const char* name) { return std::strcmp(argument, name) == 0; }

}  // namespace

CommandLineInfo ParseCommandLine(int argc, const char* const* argv, char pathSeparator) {
    CommandLineInfo info;
    for (int i = 1; i < argc && info.action != CommandLineAction::Error; ++i) {
        const char* argument = argv[i];
        if (!argument || argument[0] == '\0') continue;
        if (!IsSwitch(argument, pathSeparator)) {
            if (info.file.empty()) info.file = argument;
        } else if (Is(argument, kDryRunSwitch)) {
            info.dryRun = true;
        } else if (Is(argument, "--help") || Is(argument, "-h") || Is(argument, "/?")) {
            info.action = CommandLineAction::Help;
        } else if (Is(argument, "--version")) {
            if (info.action == CommandLineAction::Run) info.action = CommandLineAction::Version;
        } else {
            info.action = CommandLineAction::Error;
            info.error = std::string("unknown option '") + argument + "'";
        }
    }
    return info;
}

int AnswerCommandLine(const CommandLineInfo& info, std::FILE* out, std::FILE* err,
                      const char* program, const char* usage) {
    switch (info.action) {
        case CommandLineAction::Run:
            return -1;
        case CommandLineAction::Help:
            std::fputs(usage, out);
            return 0;
        case CommandLineAction::Version:
            std::fputs(HOURGATE_VERSION_TEXT " (" HOURGATE_VERSION_NUMBER
                                             "), release " HOURGATE_RELEASE "\n",
                       out);
            return 0;
        case CommandLineAction::Error:
            std::fputs((std::string(program) + ": " + info.error + "\n" + usage).c_str(), err);
            return 2;
    }
    return 2;
}

int AnswerGuardCommandLine(const CommandLineInfo& info, const char* usage, std::FILE* out,
                           std::FILE* err) {
    const int answered = AnswerCommandLine(info, out, err, "hourgated", usage);
    if (answered >= 0 || info.file.empty()) return answered;
    std::fputs(("hourgated: unexpected argument '" + info.file + "'\n" + usage).c_str(), err);
    return 2;
}
