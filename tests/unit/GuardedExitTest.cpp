#include <gtest/gtest.h>

#include "frame/GuardedExit.h"

TEST(GuardedExit, OnlyTheExactPasswordWithOkPassesQuietly) {
    const struct {
        int result;
        const char* typed;
        int powerOffResult;
        GuardedExitOutcome outcome;
    } cases[] = {
        {kDialogOk, "LOCK_GATE", 1, GuardedExitOutcome::Quit},
        {kDialogOk, "lock_gate", 1, GuardedExitOutcome::PowerOffQuit},
        {kDialogOk, "LOCK_GATE ", 1, GuardedExitOutcome::PowerOffQuit},
        {kDialogOk, "", 1, GuardedExitOutcome::PowerOffQuit},
        {kDialogCancel, "LOCK_GATE", 1, GuardedExitOutcome::PowerOffQuit},
        {-1, "", 1, GuardedExitOutcome::PowerOffQuit},  // the dialog could not be shown
        {kDialogOk, "wrong", 0, GuardedExitOutcome::KeepRunning},
    };
    for (const auto& c : cases) {
        int requests = 0;
        const GuardedExitOutcome outcome = DecideGuardedExit(c.result, c.typed, [&] {
            ++requests;
            return c.powerOffResult;
        });
        EXPECT_EQ(outcome, c.outcome) << c.typed;
        EXPECT_EQ(requests, c.outcome == GuardedExitOutcome::Quit ? 0 : 1) << c.typed;
    }
}
