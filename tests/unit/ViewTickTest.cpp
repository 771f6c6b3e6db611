#include <gtest/gtest.h>

#include "ViewTestSupport.h"

namespace {

using Events = std::vector<std::string>;

// A listed user, so that only the quota rules act.
struct ListedUserFixture : ViewFixture {
    ListedUserFixture() { dir.Write("Hourgate.ini", "taro\n"); }
};

}  // namespace

TEST(ViewTick, NonAccountingTickOnlyMeasures) {
    ViewFixture f;
    f.StartAt(MakeTime(2026, 12, 7, 17, 0));
    std::remove(f.dir.File("guest.txt").c_str());
    f.platform.Advance(59);
    f.view.OnTimer(USAGE_TIMER_ID);
    EXPECT_EQ(f.platform.events, (Events{"kill-timer 1", "default", "set-timer 1 30000"}));
    EXPECT_EQ(f.view.m_spanElapsed, 59);
    EXPECT_EQ(f.view.m_nMinutesUsed, 0);
    EXPECT_EQ(f.RecordBytes(), "<absent>") << "a non-accounting tick does no file work";
}

TEST(ViewTick, EverySecondTickAccountsAMinute) {
    ViewFixture f;
    f.StartAt(MakeTime(2026, 12, 7, 17, 0));
    for (int tick = 1; tick <= 10; ++tick) {
        f.platform.Advance(30);
        f.view.OnTimer(tick % 2 ? 99 : USAGE_TIMER_ID);  // any timer id is a usage tick
    }
    EXPECT_EQ(f.view.m_nMinutesUsed, 5);
    EXPECT_EQ(f.RecordBytes(), "2026/12/07 17:05 000005\0 "s);
}

TEST(ViewTick, OrderOfEffectsForAGuestOutsideTheHoursAtTheQuota) {
    ViewFixture f;
    f.SeedRecord({2026, 12, 7, 20, 0, 149});
    f.StartAt(MakeTime(2026, 12, 7, 20, 59, 30));
    f.platform.watchedRecord = f.dir.File("guest.txt");
    f.platform.Advance(60);
    f.view.OnTimer(USAGE_TIMER_ID);
    EXPECT_EQ(f.platform.events,
              (Events{
                  "kill-timer 1",
                  "notice: taroさんの使用可能時間は、16時から21時までです [record 149]",
                  "power-off [record 149]",
                  "notice: taroさん あと 0 分で強制終了します [record 150]",
                  "power-off [record 150]",
                  "default",
                  "set-timer 1 30000",
              }));
}

TEST(ViewTick, QuotaWarningThresholds) {
    const struct {
        std::int64_t start;
        int before;
        const char* notice;  // null: none
        bool powerOff;
    } cases[] = {
        {MakeTime(2026, 12, 7, 23, 0), 134, nullptr, false},  // Monday: 150
        {MakeTime(2026, 12, 7, 23, 0), 135, "notice: taroさん あと 14 分で強制終了します", false},
        {MakeTime(2026, 12, 7, 23, 0), 149, "notice: taroさん あと 0 分で強制終了します", true},
        {MakeTime(2026, 12, 7, 23, 0), 160, "notice: taroさん あと -11 分で強制終了します", true},
        {MakeTime(2026, 12, 12, 23, 0), 254, nullptr, false},  // Saturday: 270
        {MakeTime(2026, 12, 12, 23, 0), 255, "notice: taroさん あと 14 分で強制終了します", false},
        {MakeTime(2026, 12, 12, 23, 0), 269, "notice: taroさん あと 0 分で強制終了します", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        ListedUserFixture f;
        f.platform.now = c.start;
        f.SeedRecord(
            {2026, 12, f.platform.now < MakeTime(2026, 12, 8, 0, 0) ? 7 : 12, 0, 0, c.before},
            "taro");
        f.StartAt(c.start);
        f.platform.Advance(60);
        f.view.OnTimer(USAGE_TIMER_ID);
        Events expected{"kill-timer 1"};
        if (c.notice) expected.push_back(c.notice);
        if (c.powerOff) expected.push_back("power-off");
        expected.insert(expected.end(), {"default", "set-timer 1 30000"});
        EXPECT_EQ(f.platform.events, expected);
    }
}

TEST(ViewTick, ClockSetBackCountsNothingAndNeverLowersTheCounter) {
    ListedUserFixture f;
    f.StartAt(MakeTime(2026, 12, 7, 17, 0));
    f.platform.Advance(60);
    f.view.OnTimer(USAGE_TIMER_ID);
    ASSERT_EQ(f.view.m_nMinutesUsed, 1);

    f.platform.now -= 10 * 60;               // set back by ten minutes
    for (int tick = 0; tick < 22; ++tick) {  // 11 minutes of real use
        f.platform.Advance(30);
        f.view.OnTimer(USAGE_TIMER_ID);
        EXPECT_GE(f.view.m_nMinutesUsed, 1);
    }
    // Only the time past the last accounted instant counts.
    EXPECT_EQ(f.view.m_nMinutesUsed, 2);
}

TEST(ViewTick, SleepIsNotUse) {
    ListedUserFixture f;
    f.SeedRecord({2026, 12, 7, 0, 0, 100}, "taro");
    f.StartAt(MakeTime(2026, 12, 7, 17, 0));
    f.platform.now += 2 * 3600;  // two hours asleep: the wall clock moves, the other does not
    f.platform.Advance(30);
    f.view.OnTimer(USAGE_TIMER_ID);
    EXPECT_EQ(f.view.m_nMinutesUsed, 100);
    f.platform.Advance(30);
    f.view.OnTimer(USAGE_TIMER_ID);
    EXPECT_EQ(f.view.m_nMinutesUsed, 101);
    EXPECT_TRUE(Notices(f.platform.events).empty());
}

TEST(ViewTick, MidnightStartsTheNewDay) {
    ListedUserFixture f;
    f.SeedRecord({2026, 12, 11, 0, 0, 140}, "taro");
    f.StartAt(MakeTime(2026, 12, 11, 23, 59, 10));  // Friday
    f.platform.Advance(60);                         // Saturday 00:00:10
    f.view.OnTimer(USAGE_TIMER_ID);
    EXPECT_EQ(f.view.m_nMinutesUsed, 1);
    EXPECT_EQ(f.RecordBytes("taro"), "2026/12/12 00:00 000001\0 "s);
    EXPECT_TRUE(Notices(f.platform.events).empty());

    f.platform.Advance(60);
    f.view.OnTimer(USAGE_TIMER_ID);
    EXPECT_EQ(f.RecordBytes("taro"), "2026/12/12 00:01 000002\0 "s);
}

TEST(ViewTick, FailedLocalTimeKeepsTheDayAndWritesFallbackTime) {
    ListedUserFixture f;
    f.StartAt(MakeTime(2026, 12, 7, 17, 0));
    f.platform.localTimeFails = true;
    f.platform.Advance(60);
    f.view.OnTimer(USAGE_TIMER_ID);
    EXPECT_EQ(f.view.m_nMinutesUsed, 1);
    EXPECT_EQ(f.RecordBytes("taro"), "2026/12/07 -1:-1 000001\0 "s);
}
