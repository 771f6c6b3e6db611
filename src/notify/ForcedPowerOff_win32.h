// The power-off sequence with the real Win32 calls behind it.
#pragma once

#include "notify/FailureLog.h"
#include "notify/PowerOffSequence.h"

// The table of real OS functions. With `dryRun` the privilege steps still run for
// real, but the request itself is replaced by the dry-run report on standard error.
// A call that fails tells `failures` which one it was and the system's error.
PowerOffApi SystemPowerOffApi(bool dryRun, FailureLog& failures);

// Enables the shutdown privilege and requests a forced power-off (or, with
// `dryRun`, reports the request): 1 when the request was issued, 0 when a
// preparatory step failed.
int ForcedPowerOff(bool dryRun, FailureLog& failures);
