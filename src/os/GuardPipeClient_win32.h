// A client's end of the guard's pipe, for the tray program and hourgatectl:
// one request, its answer, and never a wait longer than asked for, so that a
// busy or hung service cannot freeze the program that asks.
#pragma once

#include <windows.h>

#include "core/GuardPipe.h"

// How long the tray program waits for the guard at start and for each request.
constexpr DWORD kGuardWaitMilliseconds = 1000;

enum class GuardReach {
    Answered,  // the answer is in the reply
    NoGuard,   // no guard runs: the pipe is not there
    Failed,    // a guard runs but did not answer in time, or answered nonsense
};

struct GuardPipeReply {
    GuardReach reach = GuardReach::Failed;
    GuardAnswer answer;
    DWORD error = ERROR_SUCCESS;  // for Failed: the system's reason, where it gave one

    bool Is(GuardAnswer::Kind kind) const {
        return reach == GuardReach::Answered && answer.kind == kind;
    }
};

GuardPipeReply AskGuard(const GuardRequest& request, DWORD timeoutMs = kGuardWaitMilliseconds);
