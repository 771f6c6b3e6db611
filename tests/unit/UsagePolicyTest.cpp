#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "usage/UsagePolicy.h"

TEST(UsagePolicy, DayClassesAndQuotas) {
    const struct {
        int weekday;
        DayClass dayClass;
        int quota;
    } cases[] = {
        {0, DayClass::Weekend, 270},          {1, DayClass::Weekday, 150},
        {5, DayClass::Weekday, 150},          {6, DayClass::Weekend, 270},
        {kNoWeekday, DayClass::Weekday, 150},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.weekday);
        EXPECT_EQ(ClassifyDay(c.weekday), c.dayClass);
        EXPECT_EQ(DailyQuotaFor(ClassifyDay(c.weekday)), c.quota);
    }
}

TEST(UsagePolicy, AllowedHoursAtTheirEdges) {
    const struct {
        DayClass dayClass;
        int hour;
        bool allowed;
    } cases[] = {
        {DayClass::Weekday, 15, false}, {DayClass::Weekday, 16, true},
        {DayClass::Weekday, 20, true},  {DayClass::Weekday, 21, false},
        {DayClass::Weekday, 0, false},  {DayClass::Weekday, -1, false},
        {DayClass::Weekend, 7, false},  {DayClass::Weekend, 8, true},
        {DayClass::Weekend, 20, true},  {DayClass::Weekend, 21, false},
        {DayClass::Weekend, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hour);
        EXPECT_EQ(IsWithinAllowedHours(c.dayClass, c.hour), c.allowed);
    }
}

TEST(UsagePolicy, WarningThresholdAndQuota) {
    const struct {
        int used;
        bool warn;
        bool reached;
    } cases[] = {
        {0, false, false}, {135, false, false}, {136, true, false},  {149, true, false},
        {150, true, true}, {400, true, true},   {-20, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.used);
        EXPECT_EQ(NeedsQuotaWarning(150, c.used), c.warn);
        EXPECT_EQ(QuotaReached(150, c.used), c.reached);
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
    EXPECT_EQ(FormatQuotaWarning("taro", 14), "taroさん あと 14 分で強制終了します");
    EXPECT_EQ(FormatQuotaWarning("taro", -70), "taroさん あと -70 分で強制終了します");
}

TEST(UsagePolicy, LoginNameIsNeverEmptyOrUndefined) {
    FakePlatform fake(".");
    const struct {
        std::optional<std::string> reported;
        std::string expected;
    } cases[] = {
        {std::string("taro"), "taro"},
        {std::string(""), "guest"},
        {std::nullopt, kUnknownLoginName},
        {std::string(38, 'a'), std::string(38, 'a')},
        {std::string(39, 'a'), kUnknownLoginName},
    };
    for (const auto& c : cases) {
        fake.userName = c.reported;
        EXPECT_EQ(QueryLoginName(fake), c.expected);
    }
}
