#include "core/GuardedExit.h"

bool ExitPasswordAccepted(int dialogResult, const std::string& typed) {
    return dialogResult == kDialogOk && typed == kExitPassword;
}

GuardedExitOutcome DecideGuardedExit(int dialogResult, const std::string& typed,
                                     const ExitRoute& route) {
    if (ExitPasswordAccepted(dialogResult, typed)) return GuardedExitOutcome::Quit;
    if (route.guarded && !route.dryRun) {
        switch (route.askGuard()) {
            case GuardPowerOff::Accepted:
                return GuardedExitOutcome::PowerOffQuit;
            case GuardPowerOff::Refused:
                return GuardedExitOutcome::KeepRunning;
            case GuardPowerOff::Gone:
                break;
        }
    }
    return route.powerOffItself() ? GuardedExitOutcome::PowerOffQuit
                                  : GuardedExitOutcome::KeepRunning;
}
