// The forced power-off on Linux: systemd-logind's PowerOff over the system bus.
#pragma once

#include "core/FailureLog.h"

// 1 once the request has been sent (or, in a dry run, reported on standard
// error instead); 0 with nothing sent when there is no system bus, no logind on
// it, or logind does not answer "yes" to CanPowerOff. Never waits for the shutdown.
// Why nothing could be sent goes to `failures` (and so to the system log).
int ForcedPowerOff(bool dryRun, FailureLog& failures);

// Ends the session the program runs in (logind's TerminateSession, for the
// limits' "action = logoff"); the same 1 and 0, and dry run, as the power-off.
int ForcedLogOff(bool dryRun, FailureLog& failures);
