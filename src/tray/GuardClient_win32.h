// The tray program's requests to the guard beyond its figures.
#pragma once

#include "core/GuardedExit.h"
#include "os/GuardPipeClient_win32.h"

// The exit command's request: any answer but Accepted is the guard's no; no
// answer at all means it is gone.
GuardPowerOff AskGuardPowerOff();
