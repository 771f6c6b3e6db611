// What the two exit commands do once the password dialog has ended, standalone
// or guarded, in a dry run or not: one decision for both tray programs.
#pragma once

#include <functional>
#include <string>

#include "core/DialogResult.h"

constexpr const char* kExitPassword = "LOCK_GATE";

enum class GuardedExitOutcome {
    Quit,          // right password: close quietly
    PowerOffQuit,  // anything else, and the power-off request was issued: close
    KeepRunning,   // the power-off request could not even be issued: change nothing
};

// What became of the exit command's request handed to the guard.
enum class GuardPowerOff {
    Accepted,  // the guard powers off
    Refused,   // the guard answered no (this session is not the one in use)
    Gone,      // no guard answered: it stopped, hung, or was never there
};

// Where the exit command's power-off request goes.
struct ExitRoute {
    bool guarded = false;  // a guard counts for this user
    bool dryRun = false;   // no request is sent anywhere, the program's dry-run line instead
    std::function<GuardPowerOff()> askGuard;
    // The program's own request as standalone makes it (in a dry run, its line):
    // 1 when issued, 0 when a step before it failed.
    std::function<int()> powerOffItself;
};

// Only OK with exactly the password passes: case-sensitive, byte for byte, untrimmed.
bool ExitPasswordAccepted(int dialogResult, const std::string& typed);

// Issues the request the route calls for when the password was not accepted,
// and tells what the command does next. Guarded, the guard is asked, never in
// a dry run; a guard that is gone leaves the request to the program itself, as
// standalone, so that ending the guard gains no way out.
GuardedExitOutcome DecideGuardedExit(int dialogResult, const std::string& typed,
                                     const ExitRoute& route);
