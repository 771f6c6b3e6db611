// Usage start, the usage tick and the status display, through a recording fake
// platform and a real temp directory.
#include <gtest/gtest.h>

#include "ViewTestSupport.h"

TEST(ViewStart, CreatesCarriesOverOrResetsTheDaysRecord) {
    const std::pair<std::optional<UsageRecord>, UsageRecord> cases[] = {
        {std::nullopt, {2026, 12, 7, 17, 30, 0}},
        {UsageRecord{2026, 12, 7, 9, 0, 120}, {2026, 12, 7, 17, 30, 120}},
        {UsageRecord{2026, 12, 6, 20, 0, 140}, {2026, 12, 7, 17, 30, 0}},
        // Dated after today: this clock is behind, and the record's day goes on.
        {UsageRecord{2026, 12, 8, 9, 0, 120}, {2026, 12, 8, 17, 30, 120}},
    };
    for (const auto& [stored, expected] : cases) {
        ViewFixture f;
        if (stored) f.SeedRecord(*stored);
        f.platform.now = MakeTime(2026, 12, 7, 17, 30);  // Monday
        f.view.OnInitialUpdate();
        EXPECT_EQ(f.EventsStartingWith("set-timer"), (Events{"set-timer 1 30000"}));
        EXPECT_EQ(f.Logs().size(), expected.day == 8 ? 1u : 0u);
        EXPECT_EQ(f.RecordBytes(), FormatUsageRecord(expected));
        EXPECT_EQ(f.view.MinutesUsed(), expected.minutesUsed);
    }
}

TEST(ViewStart, HourNoticeThenPowerOffThenTheRecordForGuestsOnly) {
    const std::pair<const char*, const char*> cases[] = {
        {"Taro", "Taro"},  // listed, counted in the login name's own form
        {"hana", "guest"},
        {"Guest", "Guest"},  // listed, but still a guest to the hour rule
    };
    for (const auto& [login, category] : cases) {
        ViewFixture f;
        f.dir.Write("Hourgate.ini", "taro\r\nguest\r\n");
        f.platform.userName = std::string(login);
        f.platform.watchedRecord = f.dir.File(std::string(category) + ".txt");
        f.platform.now = MakeTime(2026, 12, 7, 23, 30);
        f.view.OnInitialUpdate();
        EXPECT_EQ(f.RecordBytes(category), FormatUsageRecord({2026, 12, 7, 23, 30, 0}));
        Events expected{"base-initial-update", "set-timer 1 30000"};
        if (HourRuleApplies(category)) {
            expected.push_back("notice: "s + login + kWeekdayHours + " [no record]");
            expected.push_back("said: power-off for "s + login + " (" + category +
                               "): outside the allowed hours");
            expected.push_back("power-off [no record]");
        }
        EXPECT_EQ(f.platform.events, expected);
    }
}

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
        (Events{"kill-timer 1", "notice: taro"s + kWeekdayHours + " [record 149]",
                "said: power-off for taro (guest): outside the allowed hours",
                "power-off [record 149]", "notice: taroさん あと 0 分で強制終了します [record 150]",
                "said: power-off for taro (guest): the day's quota is used up, 150 of 150 minutes",
                "power-off [record 150]", "default", "set-timer 1 30000"}));
}

TEST(ViewTick, RulesFollowTheTicksOwnWeekday) {
    // A guest from Friday evening into Saturday morning: the weekend's hours and quota.
    ViewFixture f;
    f.StartAt(MakeTime(2026, 12, 11, 20, 50));
    f.Tick(11 * 3600 + 40 * 60);
    EXPECT_EQ(f.Notices(), (Events{"notice: taroさん あと -430 分で強制終了します"}));
}

TEST(ViewTick, IdentityIsResolvedAgainButTheListIsNotReread) {
    ViewFixture f;
    f.dir.Write("Hourgate.ini", "taro\n");
    f.StartAt(MakeTime(2026, 12, 7, 23, 0));
    f.dir.Write("Hourgate.ini", "");  // waits for the next start
    f.Tick();
    f.platform.userName = std::nullopt;  // a failed lookup keeps the known name
    f.Tick();
    EXPECT_EQ(f.RecordBytes("taro"), "2026/12/07 23:02 000002\0 "s);
    f.platform.userName = std::string("hana");
    f.Tick();  // hana's minute goes to the guests' record, taro's stay in his
    EXPECT_EQ(f.RecordBytes("guest"), "2026/12/07 23:03 000001\0 "s);
    EXPECT_EQ(f.RecordBytes("taro"), "2026/12/07 23:02 000002\0 "s);
    EXPECT_EQ(f.Notices(), (Events{"notice: hana"s + kWeekdayHours}));
}

TEST(ViewTick, OnlyRealTimeStartsANewDayAndClockChangesGiveNoTime) {
    const struct {
        std::int64_t start, wallJump, bootJump, zoneJump;
        int minutes, day;
    } cases[] = {
        {MakeTime(2026, 12, 7, 23, 59, 30), 0, 0, 0, 1, 8},         // midnight
        {MakeTime(2026, 12, 7, 23, 59, 30), 7200, 7200, 0, 1, 8},   // asleep past it
        {MakeTime(2026, 12, 7, 17, 0), 7200, 7200, 0, 141, 7},      // asleep: no use
        {MakeTime(2026, 12, 7, 23, 59, 30), -86400, 0, 0, 141, 7},  // clock set back a day
        {MakeTime(2026, 12, 7, 23, 59, 30), 86400, 0, 0, 141, 9},   // or forward
        {MakeTime(2026, 12, 7, 0, 10), 0, 0, -3600, 141,
         7},  // the zone's date goes back: not the record's
    };
    for (const auto& c : cases) {
        ViewFixture f;
        f.SeedRecord({2026, 12, 7, 0, 0, 140});
        f.StartAt(c.start);
        f.platform.now += c.wallJump;
        f.platform.bootMs += c.bootJump * 1000;
        f.platform.localOffset = c.zoneJump;
        f.Tick();
        const UsageRecord written = ParseUsageRecord(f.RecordBytes());
        EXPECT_EQ(written.minutesUsed, c.minutes) << c.start << " " << c.wallJump;
        EXPECT_EQ(written.day, c.day) << c.start << " " << c.wallJump;
    }
}

TEST(ViewTick, NothingCountsBeforeUsageStartAndARerunKeepsTheRunningMinute) {
    ViewFixture f;
    f.platform.now = MakeTime(2026, 12, 7, 17, 0);
    f.Tick(7200);  // before usage start: nothing to measure from
    EXPECT_EQ(f.RecordBytes(), "<absent>");
    f.StartAt(f.platform.now);
    f.Tick();
    f.SeedRecord({2026, 12, 7, 17, 1, 50});  // another guest counted meanwhile
    f.platform.Advance(45);
    f.view.OnInitialUpdate();  // Ctrl+N
    EXPECT_EQ(f.view.MinutesUsed(), 50);
    f.Tick(30);  // 45 + 30 seconds since the last counted minute
    EXPECT_EQ(f.view.MinutesUsed(), 51);
}

TEST(ViewTick, AHeldRecordNeitherLowersNorLosesTheCountAndFailuresAreLoggedOnce) {
    ViewFixture f;
    f.SeedRecord({2026, 12, 7, 9, 0, 120});
    {
        HeldFile held(f.dir.File("guest.txt"));
        f.platform.now = MakeTime(2026, 12, 7, 17, 0);
        f.view.OnInitialUpdate();
        f.Tick();
    }
    EXPECT_EQ(f.RecordBytes(), FormatUsageRecord({2026, 12, 7, 9, 0, 120})) << "not overwritten";
    f.Tick();  // the held minute is added now
    EXPECT_EQ(f.RecordBytes(), FormatUsageRecord({2026, 12, 7, 17, 2, 122}));
    std::filesystem::remove(f.dir.File("guest.txt"));
    std::filesystem::create_directory(f.dir.File("guest.txt"));  // cannot be written
    f.Tick();
    f.Tick();
    EXPECT_EQ(f.view.MinutesUsed(), 124);
    EXPECT_EQ(f.Logs().size(), 2u) << "one line for the held file, one for the unwritable one";
}

// Anyone who may read the guests' record may hold it, for as long as they like:
// a shared lock (Linux) or an open that shares reading only (Windows), or on
// Linux an exclusive lock too. That neither hands out a fresh quota nor delays
// the power-off.
TEST(ViewTick, AnotherProcesssHoldOnTheRecordNeverDelaysThePowerOff) {
#ifdef _WIN32
    const bool holds[] = {true};  // an unshared open hides the file itself
#else
    const bool holds[] = {true, false};
#endif
    for (const bool shared : holds) {
        ViewFixture f;
        f.SeedRecord({2026, 12, 7, 9, 0, 269});
        HeldFile held(f.dir.File("guest.txt"), shared);
        f.StartAt(MakeTime(2026, 12, 7, 17, 0));
        f.Tick();
        EXPECT_EQ(f.EventsStartingWith("power-off"), (Events{"power-off"})) << shared;
        EXPECT_EQ(ParseUsageRecord(f.RecordBytes()).minutesUsed, 269) << "never lower";
    }
}

TEST(ViewDraw, TwoStatusLinesAgainstTheQuotaOfTheDayOfDrawing) {
    ViewFixture f;
    f.SeedRecord({2026, 12, 12, 9, 0, 345});
    f.StartAt(MakeTime(2026, 12, 12, 17, 0));  // Saturday: 270 minutes
    RecordingOutput dc;
    f.view.OnDraw(dc);
    EXPECT_EQ(dc.lines, (Events{"0,0 今日 taro さんは、5時間 45分使用しました",
                                "0,30 あと、-1時間 -15分使用出来ます"}));
}
