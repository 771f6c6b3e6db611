#include <gtest/gtest.h>

#include "ViewTestSupport.h"

namespace {
const char* kWeekdayNotice = "notice: taroさんの使用可能時間は、16時から21時までです";
const char* kWeekendNotice = "notice: taroさんの使用可能時間は、8時から21時までです";
}  // namespace

TEST(ViewStart, FirstStartOfTheDayCreatesTheRecord) {
    ViewFixture f;
    f.platform.now = MakeTime(2026, 12, 7, 17, 5);  // Monday
    f.view.OnInitialUpdate();
    EXPECT_EQ(f.view.m_nMinutesUsed, 0);
    EXPECT_EQ(f.view.m_strLoginName, "taro");
    EXPECT_EQ(f.view.m_strCategory, "guest");
    EXPECT_EQ(f.view.m_timeLastCounted, f.view.m_timeStart);
    EXPECT_EQ(f.RecordBytes(), "2026/12/07 17:05 000000\0 "s);
    EXPECT_EQ(f.platform.events,
              (std::vector<std::string>{"base-initial-update", "set-timer 1 30000"}));
}

TEST(ViewStart, CarriesOverTodayAndResetsAnyOtherDay) {
    const struct {
        const char* what;
        UsageRecord stored;
        int minutes;
    } cases[] = {
        {"today", {2026, 12, 7, 9, 0, 120}, 120},
        {"yesterday", {2026, 12, 6, 20, 0, 140}, 0},
        {"same day, other month", {2026, 11, 7, 9, 0, 120}, 0},
        {"same day, other year", {2025, 12, 7, 9, 0, 120}, 0},
        {"empty file", {0, 0, 0, 0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ViewFixture f;
        f.SeedRecord(c.stored);
        f.platform.now = MakeTime(2026, 12, 7, 17, 30);
        f.view.OnInitialUpdate();
        EXPECT_EQ(f.view.m_nMinutesUsed, c.minutes);
        EXPECT_EQ(f.view.m_nRecMinutes, c.minutes);
        EXPECT_EQ(ParseUsageRecord(f.RecordBytes()), (UsageRecord{2026, 12, 7, 17, 30, c.minutes}));
    }
}

TEST(ViewStart, HourRuleForGuestsAtTheEdges) {
    const struct {
        std::int64_t time;
        const char* notice;  // null: none
    } cases[] = {
        {MakeTime(2026, 12, 9, 15, 59), kWeekdayNotice},  // Wednesday
        {MakeTime(2026, 12, 9, 16, 0), nullptr},
        {MakeTime(2026, 12, 9, 20, 59), nullptr},
        {MakeTime(2026, 12, 9, 21, 0), kWeekdayNotice},
        {MakeTime(2026, 12, 12, 7, 59), kWeekendNotice},  // Saturday
        {MakeTime(2026, 12, 12, 8, 0), nullptr},
        {MakeTime(2026, 12, 13, 20, 59), nullptr},  // Sunday
        {MakeTime(2026, 12, 13, 21, 0), kWeekendNotice},
    };
    for (const auto& c : cases) {
        ViewFixture f;
        f.platform.now = c.time;
        f.view.OnInitialUpdate();
        std::vector<std::string> expected{"base-initial-update", "set-timer 1 30000"};
        if (c.notice) {
            expected.push_back(c.notice);
            expected.push_back("power-off");
        }
        EXPECT_EQ(f.platform.events, expected) << c.time;
        // The notice does not stop the run: the record is still written.
        EXPECT_NE(f.RecordBytes(), "<absent>");
    }
}

TEST(ViewStart, ListedUsersAndTheListedGuest) {
    const struct {
        const char* login;
        const char* category;
        bool notice;
    } cases[] = {
        {"taro", "taro", false},  // listed: no hour rule at 23:30
        {"Taro", "Taro", false},  // the record is named after the login name's form
        {"hana", "guest", true},
        {"Guest", "Guest", true},  // listed, but still a guest to the hour rule
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.login);
        ViewFixture f;
        f.dir.Write("Hourgate.ini", "taro\r\nguest\r\n");
        f.platform.userName = std::string(c.login);
        f.platform.now = MakeTime(2026, 12, 7, 23, 30);
        f.view.OnInitialUpdate();
        EXPECT_EQ(f.view.m_strCategory, c.category);
        EXPECT_EQ(f.view.m_nExemptCount, 2);
        EXPECT_EQ(Notices(f.platform.events).size(), c.notice ? 1u : 0u);
        EXPECT_NE(f.RecordBytes(c.category), "<absent>");
    }
}

TEST(ViewStart, FailedLocalTimeUsesTheFallbacks) {
    ViewFixture f;
    f.SeedRecord({2026, 12, 7, 9, 0, 120});
    f.platform.localTimeFails = true;
    f.platform.now = MakeTime(2026, 12, 7, 17, 0);
    f.view.OnInitialUpdate();
    EXPECT_EQ(f.view.m_nMinutesUsed, 0);
    EXPECT_EQ(f.RecordBytes(), "0000/00/00 -1:-1 000000\0 "s);
    EXPECT_EQ(Notices(f.platform.events), (std::vector<std::string>{kWeekdayNotice}));
}

TEST(ViewStart, RunningAgainReloadsTheListAndResetsTheLastCountedInstant) {
    ViewFixture f;
    f.StartAt(MakeTime(2026, 12, 7, 17, 0));
    f.dir.Write("Hourgate.ini", "taro\n");
    f.platform.Advance(45);
    f.view.OnInitialUpdate();
    EXPECT_EQ(f.view.m_strCategory, "taro");
    EXPECT_EQ(f.view.m_timeLastCounted, MakeTime(2026, 12, 7, 17, 0, 45));
}
