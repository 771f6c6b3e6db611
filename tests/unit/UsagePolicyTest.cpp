#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "usage/UsagePolicy.h"

TEST(UsagePolicy, DayClassQuotaAndAllowedHours) {
    const struct {
        int weekday;
        int quota;
        int hour;
        bool allowed;
    } cases[] = {
        {1, 150, 15, false}, {1, 150, 16, true},          {5, 150, 20, true}, {5, 150, 21, false},
        {6, 270, 7, false},  {6, 270, 8, true},           {0, 270, 20, true}, {0, 270, 21, false},
        {0, 270, -1, false}, {kNoWeekday, 150, 16, true},  // a failed conversion is a weekday
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.weekday) + " " + std::to_string(c.hour));
        EXPECT_EQ(DailyQuotaFor(ClassifyDay(c.weekday)), c.quota);
        EXPECT_EQ(IsWithinAllowedHours(ClassifyDay(c.weekday), c.hour), c.allowed);
    }
}

TEST(UsagePolicy, WarningBelowFifteenMinutesLeftAndQuotaAtItsEnd) {
    const struct {
        int used;
        bool warn, reached;
    } cases[] = {{135, false, false}, {136, true, false}, {149, true, false},
                 {150, true, true},   {400, true, true},  {-20, false, false}};
    for (const auto& c : cases) {
        EXPECT_EQ(NeedsQuotaWarning(150, c.used), c.warn) << c.used;
        EXPECT_EQ(QuotaReached(150, c.used), c.reached) << c.used;
    }
}

TEST(UsagePolicy, HourRuleAppliesOnlyToGuestInAnyCase) {
    EXPECT_TRUE(HourRuleApplies("guest"));
    EXPECT_TRUE(HourRuleApplies("GuEsT"));
    EXPECT_FALSE(HourRuleApplies("guest "));
    EXPECT_FALSE(HourRuleApplies("taro"));
}

TEST(UsagePolicy, NoticeTexts) {
    EXPECT_EQ(FormatHourNotice(DayClass::Weekday, "taro"),
              "taroさんの使用可能時間は、16時から21時までです");
    EXPECT_EQ(FormatHourNotice(DayClass::Weekend, "hana"),
              "hanaさんの使用可能時間は、8時から21時までです");
    EXPECT_EQ(FormatQuotaWarning("taro", -70), "taroさん あと -70 分で強制終了します");
}

TEST(UsagePolicy, LoginNameIsNeverEmptyOrUndefined) {
    FakePlatform fake(".");
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {std::string("taro"), "taro"},
        {std::string(""), "guest"},
        {std::nullopt, kUnknownLoginName},
        {std::string(38, 'a'), std::string(38, 'a')},
        {std::string(39, 'a'), kUnknownLoginName},
    };
    for (const auto& [reported, expected] : cases) {
        fake.userName = reported;
        EXPECT_EQ(QueryLoginName(fake), expected);
    }
}
