#include <gtest/gtest.h>

#include "ViewTestSupport.h"

namespace {
const char* kWeekdayNotice = "notice: taroさんの使用可能時間は、16時から21時までです";
}

TEST(ViewStart, FirstStartOfTheDayCreatesTheRecord) {
    ViewFixture f;
    f.platform.now = MakeTime(2026, 12, 7, 17, 5);  // Monday
    f.view.OnInitialUpdate();
    EXPECT_EQ(f.view.m_nMinutesUsed, 0);
    EXPECT_EQ(f.view.m_timeLastCounted, f.view.m_timeStart);
    EXPECT_EQ(f.RecordBytes(), "2026/12/07 17:05 000000\0 "s);
    EXPECT_EQ(f.platform.events, (Events{"base-initial-update", "set-timer 1 30000"}));
}

TEST(ViewStart, CarriesOverTodayAndResetsAnyOtherDay) {
    const std::pair<UsageRecord, int> cases[] = {
        {{2026, 12, 7, 9, 0, 120}, 120}, {{2026, 12, 6, 20, 0, 140}, 0},
        {{2026, 11, 7, 9, 0, 120}, 0},   {{2025, 12, 7, 9, 0, 120}, 0},
        {{2026, 12, 8, 9, 0, 120}, 0},  // dated in the future
        {{0, 0, 0, 0, 0, 0}, 0},
    };
    for (const auto& [stored, minutes] : cases) {
        ViewFixture f;
        f.SeedRecord(stored);
        f.StartAt(MakeTime(2026, 12, 7, 17, 30));
        EXPECT_EQ(f.view.m_nMinutesUsed, minutes) << stored.day;
        EXPECT_EQ(ParseUsageRecord(f.RecordBytes()), (UsageRecord{2026, 12, 7, 17, 30, minutes}));
    }
}

TEST(ViewStart, HourNoticeThenPowerOffThenTheRecordForGuestsOnly) {
    const struct {
        const char* login;
        const char* category;
        bool notice;
    } cases[] = {
        {"taro", "taro", false},
        {"Taro", "Taro", false},  // listed, in the login name's form
        {"hana", "guest", true},
        {"Guest", "Guest", true},  // listed, but still a guest
    };
    for (const auto& c : cases) {
        ViewFixture f;
        f.dir.Write("Hourgate.ini", "taro\r\nguest\r\n");
        f.platform.userName = std::string(c.login);
        f.platform.watchedRecord = f.dir.File(std::string(c.category) + ".txt");
        f.platform.now = MakeTime(2026, 12, 7, 23, 30);
        f.view.OnInitialUpdate();
        EXPECT_EQ(f.view.m_strCategory, c.category);
        Events expected{"base-initial-update", "set-timer 1 30000"};
        if (c.notice) {
            expected.push_back("notice: "s + c.login +
                               "さんの使用可能時間は、16時から21時までです [no record]");
            expected.push_back("power-off [no record]");
        }
        EXPECT_EQ(f.platform.events, expected);
        EXPECT_NE(f.RecordBytes(c.category), "<absent>");
    }
}

TEST(ViewStart, FailedLocalTimeUsesTheFallbacks) {
    ViewFixture f;
    f.SeedRecord({2026, 12, 7, 9, 0, 120});
    f.platform.localTimeFails = true;
    f.view.OnInitialUpdate();
    EXPECT_EQ(f.view.m_nMinutesUsed, 0);
    EXPECT_EQ(f.RecordBytes(), "0000/00/00 -1:-1 000000\0 "s);
    EXPECT_EQ(Notices(f.platform.events), (Events{kWeekdayNotice}));
}

