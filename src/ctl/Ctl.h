// hourgatectl, the administrators' command: its arguments, its texts in
// Japanese or English, and its output, whatever carries the requests to the
// guard (the system bus on Linux, the pipe on Windows).
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

enum class CtlVerb { Status, Grant, Set, Reset, Reload, History, Help, Version };

struct CtlCommand {
    CtlVerb verb = CtlVerb::Help;
    std::string user;
    int minutes = 0;
    int days = 7;
    bool json = false;
};

// Nothing, with `error` set, for arguments that are not a command.
std::optional<CtlCommand> ParseCtlArguments(const std::vector<std::string>& args,
                                            std::string& error);

struct GuardReply {
    enum class Kind { Ok, Refused, NotRunning, Failed };
    Kind kind = Kind::Ok;
    std::vector<std::string> rows;  // for Ok: tab-separated fields
    std::string message;            // for the others: the guard's or the system's words
};

// One administrator's request to the running guard: a method of GuardBus.h
// with a user ("" where it takes none) and a number (0 where it takes none).
using GuardCall =
    std::function<GuardReply(const std::string& method, const std::string& user, int number)>;

struct CtlEnvironment {
    bool japanese = false;
    // Text from the guard and the program's own literals as UTF-8, for JSON:
    // the identity where they are UTF-8 already.
    std::function<std::string(const std::string&)> toUtf8;
};

// Exit status: 0 done, 1 refused or no guard (or the guard could not do it), 2 bad usage.
int RunCtl(const std::vector<std::string>& args, const GuardCall& call, const CtlEnvironment& env,
           std::ostream& out, std::ostream& err);
