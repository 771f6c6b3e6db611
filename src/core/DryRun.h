// Dry-run mode (--dry-run): the program runs normally but never sends a power-off
// request; it reports each one on standard error instead.
#pragma once

constexpr const char* kDryRunLine = "hourgate: power-off requested (dry run)";
constexpr const char* kDryRunLogOffLine = "hourgate: log-off requested (dry run)";

// Writes kDryRunLine and a line end to standard error, unbuffered.
void ReportDryRunPowerOff();
// The same with kDryRunLogOffLine, for the limits' "action = logoff".
void ReportDryRunLogOff();
