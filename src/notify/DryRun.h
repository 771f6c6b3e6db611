// The --dry-run switch: the program runs normally but never sends a power-off
// request; it reports each one on standard error instead.
#pragma once

constexpr const char* kDryRunSwitch = "--dry-run";
constexpr const char* kDryRunLine = "hourgate: power-off requested (dry run)";

bool HasDryRunSwitch(int argc, const char* const* argv);
// Writes kDryRunLine and a line end to standard error, unbuffered.
void ReportDryRunPowerOff();
