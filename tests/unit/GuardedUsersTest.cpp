// Several users counted in one process, as the guard does, each on a fake platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "FakePlatform.h"
#include "TempDir.h"
#include "core/GuardedUsers.h"
#include "core/UsagePolicy.h"
#include "core/UsageRecord.h"

namespace {

struct Guard {
    TempDir dir;
    std::map<std::string, FakePlatform*> fakes;  // owned by the accountings
    GuardedUsers users{[this](const std::string& user) {
        auto fake = std::make_unique<FakePlatform>(dir.path());
        fake->userName = user;
        fake->now = clock;
        fakes[user] = fake.get();
        return fake;
    }};
    SessionTable sessions;
    std::int64_t clock = MakeTime(2026, 12, 7, 16, 0);  // a Monday

    void Session(const std::string& id, const std::string& user, bool active) {
        sessions.Update(id, user, SessionCounts("user", "seat0", active));
        users.Apply(sessions);
    }
    // `minutes` pass for the whole machine, with one usage tick per accounting.
    void Pass(int minutes) {
        clock += minutes * 60;
        for (const std::string& user : users.Users()) {
            fakes[user]->Advance(minutes * 60);
            users.Find(user)->OnTimer(USAGE_TIMER_ID);
        }
    }
    int Minutes(const std::string& file) {
        return ReadUsageRecord(dir.File(file)).record.minutesUsed;
    }
    int PowerOffs(const std::string& user) {
        const auto& events = fakes[user]->events;
        return static_cast<int>(std::count(events.begin(), events.end(), "power-off"));
    }
};

}  // namespace

TEST(GuardedUsers, EachUserCountsOnlyWhileTheirSessionIsTheActiveOne) {
    Guard guard;
    guard.dir.Write("Hourgate.ini", "hanako\n");
    guard.dir.Write("guest.txt", FormatUsageRecord({2026, 12, 7, 15, 0, 140}));
    EXPECT_FALSE(SessionCounts("greeter", "seat0", true));
    EXPECT_FALSE(SessionCounts("user", "", true));

    guard.Session("1", "taro", true);
    guard.Session("2", "hanako", false);
    EXPECT_EQ(guard.users.Find("hanako"), nullptr);  // logged on, never in use yet
    guard.Pass(5);
    EXPECT_EQ(guard.Minutes("guest.txt"), 145);

    // Switching users pauses the first user's count.
    guard.Session("1", "taro", false);
    guard.Session("2", "hanako", true);
    guard.Pass(20);
    EXPECT_EQ(guard.Minutes("guest.txt"), 145);
    EXPECT_EQ(guard.Minutes("hanako.txt"), 20);

    // One user's quota ends the day for the machine; the other's count is untouched.
    guard.Session("2", "hanako", false);
    guard.Session("1", "taro", true);
    guard.Pass(5);
    EXPECT_EQ(guard.Minutes("guest.txt"), kWeekdayQuotaMinutes);
    EXPECT_EQ(guard.PowerOffs("taro"), 1);
    EXPECT_EQ(guard.Minutes("hanako.txt"), 20);
    EXPECT_EQ(guard.PowerOffs("hanako"), 0);

    std::vector<std::string> logs;
    for (const std::string& e : guard.fakes["hanako"]->events) {
        if (e.rfind("log: ", 0) == 0) logs.push_back(e);
    }
    EXPECT_EQ(logs, (std::vector<std::string>{"log: hanako: session active, count started",
                                              "log: hanako: session inactive, count paused"}));

    // A user whose last session is gone is no longer counted.
    guard.sessions.Remove("2");
    guard.users.Apply(guard.sessions);
    EXPECT_EQ(guard.users.Find("hanako"), nullptr);
    EXPECT_NE(guard.users.Find("taro"), nullptr);
}
