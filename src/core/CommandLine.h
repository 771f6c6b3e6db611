// The command line both shells accept: switches, and at most one document file.
#pragma once

#include <cstdio>
#include <string>

constexpr const char* kDryRunSwitch = "--dry-run";

enum class CommandLineAction { Run, Help, Version, Error };

struct CommandLineInfo {
    CommandLineAction action = CommandLineAction::Run;
    bool dryRun = false;
    // The document to open: the first argument that is not a switch; empty for a new one.
    std::string file;
    std::string error;  // for Error: what was wrong
};

// A switch starts with '-'; where paths use '\' (Windows) also with '/', as the
// system's own programs do.
CommandLineInfo ParseCommandLine(int argc, const char* const* argv, char pathSeparator);

constexpr const char* kHourgateUsage =
    "usage: hourgate [--dry-run] [FILE]\n"
    "  --dry-run  run as usual, but only report each power-off on standard error\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

// Prints what --help, --version or a wrong switch call for, and gives the exit
// code (0, or 2 for a wrong switch); -1 when the program is to run.
int AnswerCommandLine(const CommandLineInfo& info, std::FILE* out, std::FILE* err,
                      const char* program = "hourgate", const char* usage = kHourgateUsage);

// The guard service's answer: as AnswerCommandLine for hourgated, and a
// document argument, which only the tray program takes, is a wrong one (2).
int AnswerGuardCommandLine(const CommandLineInfo& info, const char* usage, std::FILE* out,
                           std::FILE* err);
