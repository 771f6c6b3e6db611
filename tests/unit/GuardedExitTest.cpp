#include <gtest/gtest.h>

#include "frame/GuardedExit.h"

TEST(GuardedExit, OnlyTheExactPasswordWithOkPassesQuietly) {
    const struct {
        int result;
        const char* typed;
        int powerOffResult;
        GuardedExitOutcome outcome;
        int requests;
    } cases[] = {
        {kDialogOk, "LOCK_GATE", 1, GuardedExitOutcome::Quit, 0},
        {kDialogOk, "lock_gate", 1, GuardedExitOutcome::PowerOffQuit, 1},
        {kDialogOk, "LOCK_GATE ", 1, GuardedExitOutcome::PowerOffQuit, 1},
        {kDialogOk, " LOCK_GATE", 1, GuardedExitOutcome::PowerOffQuit, 1},
        {kDialogOk, "", 1, GuardedExitOutcome::PowerOffQuit, 1},
        {kDialogCancel, "LOCK_GATE", 1, GuardedExitOutcome::PowerOffQuit, 1},
        {-1, "", 1, GuardedExitOutcome::PowerOffQuit, 1},  // the dialog could not be shown
        {kDialogCancel, "", 0, GuardedExitOutcome::KeepRunning, 1},
        {kDialogOk, "wrong", 0, GuardedExitOutcome::KeepRunning, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        int requests = 0;
        const GuardedExitOutcome outcome = DecideGuardedExit(c.result, c.typed, [&] {
            ++requests;
            return c.powerOffResult;
        });
        EXPECT_EQ(outcome, c.outcome);
        EXPECT_EQ(requests, c.requests);
    }
}
