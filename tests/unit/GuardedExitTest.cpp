#include <gtest/gtest.h>

#include "core/GuardedExit.h"

// Each row: the dialog, the mode, what the guard and the program's own request
// answer; then the outcome and which requests went out ("guard", "self").
TEST(GuardedExit, OneDecisionForEveryModeAnswerAndWayOut) {
    using O = GuardedExitOutcome;
    using G = GuardPowerOff;
    constexpr bool kGuarded = true, kStandalone = false, kDry = true, kReal = false;
    const struct {
        int result;
        const char* typed;
        bool guarded, dryRun;
        G guard;
        int self;
        O outcome;
        const char* asked;
    } cases[] = {
        {kDialogOk, "LOCK_GATE", kStandalone, kReal, G::Gone, 1, O::Quit, ""},
        {kDialogOk, "LOCK_GATE", kGuarded, kReal, G::Accepted, 1, O::Quit, ""},
        {kDialogOk, "lock_gate", kStandalone, kReal, G::Gone, 1, O::PowerOffQuit, "self"},
        {kDialogOk, "LOCK_GATE ", kStandalone, kReal, G::Gone, 1, O::PowerOffQuit, "self"},
        {kDialogOk, "", kStandalone, kReal, G::Gone, 1, O::PowerOffQuit, "self"},
        {kDialogCancel, "LOCK_GATE", kStandalone, kReal, G::Gone, 1, O::PowerOffQuit, "self"},
        {-1, "", kStandalone, kReal, G::Gone, 1, O::PowerOffQuit, "self"},  // dialog closed
        {kDialogOk, "wrong", kStandalone, kReal, G::Gone, 0, O::KeepRunning, "self"},
        {kDialogOk, "wrong", kStandalone, kDry, G::Gone, 1, O::PowerOffQuit, "self"},
        {kDialogOk, "wrong", kGuarded, kReal, G::Accepted, 1, O::PowerOffQuit, "guard"},
        {kDialogCancel, "", kGuarded, kReal, G::Refused, 1, O::KeepRunning, "guard"},
        {kDialogOk, "wrong", kGuarded, kReal, G::Gone, 1, O::PowerOffQuit, "guard self"},
        {kDialogOk, "wrong", kGuarded, kReal, G::Gone, 0, O::KeepRunning, "guard self"},
        // A dry run never asks the guard: a guard that runs for real would power off.
        {kDialogOk, "wrong", kGuarded, kDry, G::Accepted, 1, O::PowerOffQuit, "self"},
        {kDialogOk, "LOCK_GATE", kGuarded, kDry, G::Accepted, 1, O::Quit, ""},
    };
    for (const auto& c : cases) {
        std::string asked;
        const ExitRoute route{c.guarded, c.dryRun, [&] { return asked += "guard ", c.guard; },
                              [&] { return asked += "self ", c.self; }};
        EXPECT_EQ(DecideGuardedExit(c.result, c.typed, route), c.outcome)
            << c.typed << " guarded " << c.guarded << " dry " << c.dryRun;
        EXPECT_EQ(asked, c.asked[0] ? std::string(c.asked) + " " : "")
            << c.typed << " guarded " << c.guarded << " dry " << c.dryRun;
    }
}
