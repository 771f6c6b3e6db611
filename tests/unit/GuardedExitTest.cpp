#include <gtest/gtest.h>

#include "core/GuardedExit.h"

TEST(GuardedExit, OnlyTheExactPasswordWithOkPassesQuietly) {
    using O = GuardedExitOutcome;
    const struct {
        int result;
        const char* typed;
        int powerOffResult;
        O outcome;
    } cases[] = {
        {kDialogOk, "LOCK_GATE", 1, O::Quit},
        {kDialogOk, "lock_gate", 1, O::PowerOffQuit},
        {kDialogOk, "LOCK_GATE ", 1, O::PowerOffQuit},
        {kDialogCancel, "LOCK_GATE", 1, O::PowerOffQuit},
        {-1, "", 1, O::PowerOffQuit},  // the dialog could not be shown
        {kDialogOk, "wrong", 0, O::KeepRunning},
    };
    for (const auto& c : cases) {
        int requests = 0;
        EXPECT_EQ(
            DecideGuardedExit(c.result, c.typed, [&] { return ++requests, c.powerOffResult; }),
            c.outcome)
            << c.typed;
        EXPECT_EQ(requests, c.outcome == O::Quit ? 0 : 1) << c.typed;
    }
}
