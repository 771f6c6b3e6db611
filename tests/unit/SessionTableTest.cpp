// Which sessions count, and who may ask the guard for the power-off.
#include <gtest/gtest.h>

#include "core/SessionTable.h"

TEST(SessionTable, OnlyTheActiveLocalUserSessionOfASeatCounts) {
    const struct {
        const char* sessionClass;
        const char* seat;
        bool active, counts;
    } cases[] = {
        {"user", "seat0", true, true},
        {"user", "seat0", false, false},
        {"user", "", true, false},  // ssh: no seat
        {"greeter", "seat0", true, false},
        {"lock-screen", "seat0", true, false},
        {"background", "", true, false},
        {"manager", "", true, false},
        {"user-early", "seat0", true, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SessionCounts(c.sessionClass, c.seat, c.active), c.counts)
            << c.sessionClass << " " << c.seat << " " << c.active;
    }
}

// taro at the seat (c1), taro again over ssh (c2, no seat), hanako switched
// away (c3): only a request from c1 is taro's to make.
TEST(SessionTable, OnlyTheCallersOwnCountingSessionMayPowerOff) {
    SessionTable sessions;
    sessions.Update("c1", "taro", SessionCounts("user", "seat0", true));
    sessions.Update("c2", "taro", SessionCounts("user", "", true));
    sessions.Update("c3", "hanako", SessionCounts("user", "seat0", false));
    using S = CallerStanding;
    const struct {
        std::optional<std::string> session;
        const char* caller;
        S standing;
    } cases[] = {
        {"c1", "taro", S::Counting},      {"c2", "taro", S::NotCounting},
        {"c3", "hanako", S::NotCounting}, {"c1", "hanako", S::Unknown},
        {"c9", "taro", S::Unknown},       {std::nullopt, "taro", S::Unknown},
    };
    for (const auto& c : cases) {
        const std::string caller = c.caller;
        EXPECT_EQ(StandingOf(sessions, c.session,
                             [&caller](const std::string& user) { return user == caller; }),
                  c.standing)
            << c.session.value_or("none") << " " << caller;
    }
}
