#include <gtest/gtest.h>

#include "ViewTestSupport.h"

TEST(ViewTick, OnlyEverySecondTickAccountsAndOnlyItTouchesTheRecord) {
    ViewFixture f;
    f.StartAt(MakeTime(2026, 12, 7, 17, 0));
    std::remove(f.dir.File("guest.txt").c_str());
    f.Tick(30);
    EXPECT_EQ(f.platform.events, (Events{"kill-timer 1", "default", "set-timer 1 30000"}));
    EXPECT_EQ(f.RecordBytes(), "<absent>") << "a non-accounting tick does no file work";
    for (int tick = 2; tick <= 10; ++tick) {
        f.platform.Advance(30);
        f.view.OnTimer(tick % 2 ? 99 : USAGE_TIMER_ID);  // any timer id is a usage tick
    }
    EXPECT_EQ(f.RecordBytes(), "2026/12/07 17:05 000005\0 "s);
}

TEST(ViewTick, OrderOfEffectsForAGuestOutsideTheHoursAtTheQuota) {
    ViewFixture f;
    f.SeedRecord({2026, 12, 7, 20, 0, 149});
    f.StartAt(MakeTime(2026, 12, 7, 20, 59, 30));
    f.platform.watchedRecord = f.dir.File("guest.txt");
    f.Tick();
    EXPECT_EQ(
        f.platform.events,
        (Events{"kill-timer 1",
                "notice: taroさんの使用可能時間は、16時から21時までです [record 149]",
                "power-off [record 149]", "notice: taroさん あと 0 分で強制終了します [record 150]",
                "power-off [record 150]", "default", "set-timer 1 30000"}));
}

TEST(ViewTick, RulesFollowTheTicksOwnWeekday) {
    // A guest from Friday evening into Saturday morning: the weekend's hours and quota.
    ViewFixture f;
    f.StartAt(MakeTime(2026, 12, 11, 20, 50));
    f.Tick(11 * 3600 + 40 * 60);  // Saturday 08:30
    EXPECT_EQ(Notices(f.platform.events),
              (Events{"notice: taroさん あと -430 分で強制終了します"}));
}

TEST(ViewTick, IdentityIsResolvedAgainButTheListIsNotReread) {
    ListedUserFixture f;
    f.StartAt(MakeTime(2026, 12, 7, 23, 0));
    f.dir.Write("Hourgate.ini", "");  // waits for the next start
    f.Tick();
    EXPECT_EQ(f.RecordBytes("taro"), "2026/12/07 23:01 000001\0 "s);
    f.platform.userName = std::string("hana");
    f.Tick();
    EXPECT_EQ(f.view.m_strCategory, "guest");
    EXPECT_EQ(f.RecordBytes("guest"), "2026/12/07 23:02 000002\0 "s);
    EXPECT_EQ(Notices(f.platform.events),
              (Events{"notice: hanaさんの使用可能時間は、16時から21時までです"}));
}

TEST(ViewTick, ClockSetBackCountsNothingAndNeverLowersTheCounter) {
    ListedUserFixture f;
    f.StartAt(MakeTime(2026, 12, 7, 17, 0));
    f.Tick();
    f.platform.now -= 10 * 60;
    for (int tick = 0; tick < 22; ++tick) {  // 11 minutes of real use
        f.Tick(30);
        EXPECT_GE(f.view.m_nMinutesUsed, 1);
    }
    EXPECT_EQ(f.view.m_nMinutesUsed, 2) << "only the time past the last accounted instant";
}

TEST(ViewTick, SleepIsNotUse) {
    ListedUserFixture f;
    f.SeedRecord({2026, 12, 7, 0, 0, 100}, "taro");
    f.StartAt(MakeTime(2026, 12, 7, 17, 0));
    f.platform.now += 2 * 3600;  // asleep: the wall clock moves, the other does not
    f.Tick(30);
    f.Tick(30);
    EXPECT_EQ(f.view.m_nMinutesUsed, 101);
    EXPECT_TRUE(Notices(f.platform.events).empty());
}

TEST(ViewTick, MidnightStartsTheNewDay) {
    ListedUserFixture f;
    f.SeedRecord({2026, 12, 11, 0, 0, 140}, "taro");
    f.StartAt(MakeTime(2026, 12, 11, 23, 59, 10));
    f.Tick();
    EXPECT_EQ(f.RecordBytes("taro"), "2026/12/12 00:00 000001\0 "s);
    EXPECT_TRUE(Notices(f.platform.events).empty());
}
