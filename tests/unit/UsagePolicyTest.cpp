#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "core/UsagePolicy.h"

TEST(UsagePolicy, DayClassQuotaHoursAndNotice) {
    const struct {
        int weekday, quota, hour;
        bool allowed;
    } cases[] = {
        {1, 150, 15, false},         {1, 150, 16, true}, {5, 150, 20, true}, {5, 150, 21, false},
        {6, 270, 7, false},          {6, 270, 8, true},  {0, 270, 20, true}, {0, 270, -1, false},
        {kNoWeekday, 150, 16, true},  // a failed conversion is a weekday
    };
    for (const auto& c : cases) {
        const DayClass day = ClassifyDay(c.weekday);
        EXPECT_EQ(DailyQuotaFor(day), c.quota) << c.weekday;
        EXPECT_EQ(IsWithinAllowedHours(day, c.hour), c.allowed) << c.weekday << " " << c.hour;
    }
    EXPECT_EQ(FormatHourNotice(DayClass::Weekend, "hana"),
              "hanaさんの使用可能時間は、8時から21時までです");
}

TEST(UsagePolicy, WarningBelowFifteenMinutesLeftAndQuotaAtItsEnd) {
    const struct {
        int used;
        bool warn, reached;
    } cases[] = {{135, false, false}, {136, true, false}, {150, true, true}, {-20, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(NeedsQuotaWarning(150, c.used), c.warn) << c.used;
        EXPECT_EQ(QuotaReached(150, c.used), c.reached) << c.used;
    }
}

TEST(UsagePolicy, LoginNameIsNeverEmptyOrUndefined) {
    FakePlatform fake(".");
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {std::nullopt, kUnknownLoginName},
        {std::string(39, 'a'), kUnknownLoginName},
    };
    for (const auto& [reported, expected] : cases) {
        fake.userName = reported;
        EXPECT_EQ(QueryLoginName(fake), expected);
    }
}
