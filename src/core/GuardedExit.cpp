#include "core/GuardedExit.h"

bool ExitPasswordAccepted(int dialogResult, const std::string& typed) {
    return dialogResult == kDialogOk && typed == kExitPassword;
}

GuardedExitOutcome DecideGuardedExit(int dialogResult, const std::string& typed,
                                     const std::function<int()>& forcedPowerOff) {
    if (ExitPasswordAccepted(dialogResult, typed)) return GuardedExitOutcome::Quit;
    return forcedPowerOff() ? GuardedExitOutcome::PowerOffQuit : GuardedExitOutcome::KeepRunning;
}
