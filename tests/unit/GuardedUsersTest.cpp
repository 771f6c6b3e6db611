// Several users counted in one process, as the guard does, each on a fake platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "FakePlatform.h"
#include "TempDir.h"
#include "core/GuardedUsers.h"
#include "core/NoticeWindow.h"
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
    void Pass(int minutes) { PassSeconds(minutes * 60); }
    void PassSeconds(int seconds) {
        clock += seconds;
        for (const std::string& user : users.Users()) {
            fakes[user]->Advance(seconds);
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
        if (e.rfind("log: ", 0) == 0 || e.rfind("info: ", 0) == 0) logs.push_back(e);
    }
    // Routine lines, at the log's information level, apart from failures.
    EXPECT_EQ(logs, (std::vector<std::string>{"info: hanako: session active, count started",
                                              "info: hanako: session inactive, count paused"}));

    // A user whose last session is gone is no longer counted.
    guard.sessions.Remove("2");
    guard.users.Apply(guard.sessions);
    EXPECT_EQ(guard.users.Find("hanako"), nullptr);
    EXPECT_NE(guard.users.Find("taro"), nullptr);
}

// Two guests switching users share one record: every counted minute of either
// reaches it once, and the day ends at the quota of their sum.
TEST(GuardedUsers, GuestsWhoSwitchAddUpInTheirSharedRecord) {
    Guard guard;
    guard.Session("1", "taro", true);
    guard.Pass(30);
    guard.Session("1", "taro", false);
    guard.Session("2", "jiro", true);
    guard.Pass(60);
    EXPECT_EQ(guard.Minutes("guest.txt"), 90);
    guard.Session("2", "jiro", false);
    guard.Session("1", "taro", true);
    guard.Pass(1);
    EXPECT_EQ(guard.Minutes("guest.txt"), 91);
    // Switching every ten minutes for the rest of the day.
    for (int used = 91; used < kWeekdayQuotaMinutes; ++used) {
        guard.Session("1", "taro", used / 10 % 2 == 0);
        guard.Session("2", "jiro", used / 10 % 2 == 1);
        guard.Pass(1);
    }
    EXPECT_EQ(guard.Minutes("guest.txt"), kWeekdayQuotaMinutes);
    EXPECT_EQ(guard.PowerOffs("taro") + guard.PowerOffs("jiro"), 1);
}

// A guest's accounting, idle since Friday, sees Saturday after another guest
// has counted that day: Saturday's count is kept, not started again.
TEST(GuardedUsers, AnAccountingThatSleptOverADayChangeAddsToTheNewDay) {
    Guard guard;
    guard.clock = MakeTime(2026, 12, 11, 18, 0);  // Friday
    guard.Session("1", "taro", true);
    guard.Pass(20);
    guard.Session("1", "taro", false);
    guard.Session("2", "jiro", true);
    guard.Pass(15 * 60);  // Saturday 9:20 by real time
    guard.Pass(40);
    EXPECT_EQ(ReadUsageRecord(guard.dir.File("guest.txt")).record.day, 12);
    const int saturday = guard.Minutes("guest.txt");
    guard.Session("2", "jiro", false);
    guard.Session("1", "taro", true);
    guard.Pass(1);
    EXPECT_EQ(guard.Minutes("guest.txt"), saturday + 1);
}

// Switched away for 5 s every minute over an hour, ticks every 30 s: the
// seconds before each switch are kept, so the count is the active time.
TEST(GuardedUsers, ShortSwitchesAwayLoseNoTimeInUse) {
    Guard guard;
    guard.Session("1", "taro", true);
    for (int minute = 0; minute < 60; ++minute) {
        guard.PassSeconds(30);
        guard.PassSeconds(25);
        guard.Session("1", "taro", false);
        guard.PassSeconds(5);
        guard.Session("1", "taro", true);
    }
    EXPECT_EQ(guard.Minutes("guest.txt"), 55);  // 60 x 55 s
}

// A guard's power-off waits for the notice it just sent to have had its time
// on screen, and never longer than the hold.
TEST(NoticeWindow, APowerOffWaitsForTheNoticeOnScreen) {
    NoticeWindow notice;
    EXPECT_EQ(notice.PowerOffDelayMilliseconds(5000), 0) << "no notice yet";
    notice.NoticeSent(10000);
    const std::pair<std::int64_t, int> cases[] = {{10000, kNoticeMilliseconds},
                                                  {11000, kNoticeMilliseconds - 1000},
                                                  {10000 + kNoticeMilliseconds, 0},
                                                  {99999, 0}};
    for (const auto& [now, delay] : cases) EXPECT_EQ(notice.PowerOffDelayMilliseconds(now), delay);
    notice.NoticeSent(0, 600000);  // a notice still waiting for a tray program
    EXPECT_EQ(notice.PowerOffDelayMilliseconds(0), kHeldNoticeMilliseconds);
}
