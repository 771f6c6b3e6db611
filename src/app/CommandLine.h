// The command line both shells accept: switches, and at most one document file.
#pragma once

#include <string>

constexpr const char* kDryRunSwitch = "--dry-run";

struct CommandLineInfo {
    bool dryRun = false;
    // The document to open: the first argument that is not a switch; empty for a new one.
    std::string file;
};

// A switch starts with '-'; where paths use '\' (Windows) also with '/', as the
// system's own programs do.
CommandLineInfo ParseCommandLine(int argc, const char* const* argv, char pathSeparator);
