// The tray program's end of the guard's pipe: one request, its answer, and
// never a wait longer than asked for, so that a busy or hung service cannot
// freeze the tray program.
#pragma once

#include <windows.h>

#include "core/GuardPipe.h"
#include "core/GuardedExit.h"

// How long the tray program waits for the guard at start and for each request.
constexpr DWORD kGuardWaitMilliseconds = 1000;

enum class GuardReach {
    Answered,  // the answer is in the reply
    NoGuard,   // no guard runs: the tray program is on its own
    Failed,    // a guard runs but did not answer in time, or answered nonsense
};

struct GuardReply {
    GuardReach reach = GuardReach::Failed;
    GuardAnswer answer;

    bool Is(GuardAnswer::Kind kind) const {
        return reach == GuardReach::Answered && answer.kind == kind;
    }
};

GuardReply AskGuard(const GuardRequest& request, DWORD timeoutMs = kGuardWaitMilliseconds);
// The exit command's request: any answer but Accepted is the guard's no; no
// answer at all means it is gone.
GuardPowerOff AskGuardPowerOff();
