// The power-off sequence with the real Win32 calls behind it.
#pragma once

#include "core/FailureLog.h"
#include "core/PowerOffSequence.h"

// Whose power-off: the tray program ends the session it runs in and with it the
// machine (ExitWindowsEx); the guard, a service with no session of its own,
// powers the machine off whoever is logged on (InitiateShutdownA, forcing every
// program to close).
enum class PowerOffScope { Session, Machine };

// The table of real OS functions. With `dryRun` the privilege steps still run for
// real, but the request itself is replaced by the dry-run report on standard error.
// A call that fails tells `failures` which one it was and the system's error.
PowerOffApi SystemPowerOffApi(bool dryRun, FailureLog& failures,
                              PowerOffScope scope = PowerOffScope::Session);

// Enables the shutdown privilege and requests a forced power-off (or, with
// `dryRun`, reports the request): 1 when the request was issued, 0 when a
// preparatory step failed.
int ForcedPowerOff(bool dryRun, FailureLog& failures, PowerOffScope scope = PowerOffScope::Session);

// Ends the user's session instead, for the limits' "action = logoff": the tray
// program its own (ExitWindowsEx), the guard the given WTS session
// (WTSLogoffSession). Dry run as for the power-off.
int ForcedLogOff(bool dryRun, FailureLog& failures);
int ForcedLogOffSession(bool dryRun, FailureLog& failures, unsigned long sessionId);
