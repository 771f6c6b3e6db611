// What the two exit commands decide once the password dialog has ended.
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

// Only OK with exactly the password passes: case-sensitive, byte for byte, untrimmed.
bool ExitPasswordAccepted(int dialogResult, const std::string& typed);

// Runs `forcedPowerOff` when the password was not accepted and tells what the
// command does next.
GuardedExitOutcome DecideGuardedExit(int dialogResult, const std::string& typed,
                                     const std::function<int()>& forcedPowerOff);
