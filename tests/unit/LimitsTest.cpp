#include <gtest/gtest.h>

#include <iterator>

#include "core/Limits.h"
#include "core/ProgramDirectory.h"

namespace {

using Lines = std::vector<int>;

const std::string kGuestDefaults =
    "weekdays 150 min, 16:00-21:00; weekends 270 min, 8:00-21:00; warning 15 min before the end";
const std::string kOthersDefaults =
    "weekdays 150 min, any hour; weekends 270 min, any hour; warning 15 min before the end";

Lines LinesOf(const std::vector<LimitsProblem>& problems) {
    Lines lines;
    for (const LimitsProblem& problem : problems) lines.push_back(problem.line);
    return lines;
}

// A reload's last good limits differ from the defaults, so that a test can
// tell which of the two a bad value fell back to.
Limits LastGood() {
    std::vector<LimitsProblem> problems;
    const Limits limits = ParseLimits(
        "action = logoff\nhistory_max_kib = 64\n"
        "[GUEST]\nweekday_quota = 60\nweekday_hours = 17-20\nwarning = 5\n",
        Limits{}, IsCp932LeadByte, problems);
    EXPECT_TRUE(problems.empty());
    return limits;
}

}  // namespace

TEST(Limits, WithoutAFileTheFixedRulesHold) {
    std::vector<LimitsProblem> problems{{1, "stale"}};
    EXPECT_EQ(ParseLimits("", LastGood(), IsCp932LeadByte, problems), Limits{});
    EXPECT_TRUE(problems.empty());
    for (const char* category : {"guest", "Guest", "alice"}) {
        const CategoryLimits limits = Limits{}.For(category, IsCp932LeadByte);
        EXPECT_EQ(limits.hoursApply, HourRuleApplies(category)) << category;
        EXPECT_EQ(limits.warningMinutes, kWarningThresholdMinutes);
        for (const DayClass day : {DayClass::Weekday, DayClass::Weekend}) {
            EXPECT_EQ(limits.Quota(day), DailyQuotaFor(day));
            for (int hour = -1; hour < 25; ++hour) {
                const HourWindow window = limits.Hours(day);
                EXPECT_EQ(window.first <= hour && hour < window.end,
                          IsWithinAllowedHours(day, hour))
                    << hour;
            }
        }
    }
}

TEST(Limits, SectionsTakeGoodValuesAndReportEachBadLine) {
    const struct {
        std::string file, category, limits;
        Lines problems;
    } cases[] = {
        {"# only comments\n  ; here\n\n", "guest", kGuestDefaults, {}},
        {"[Alice]\n", "alice", kOthersDefaults, {}},
        {"# full\n[ Alice ]\nweekday_quota = 90\n\tweekend_quota=0\nWEEKDAY_HOURS = 0-24\n"
         "weekend_hours= 9 - 12 \nhours_apply = Yes\nwarning = 1440",
         "ALICE",
         "weekdays 90 min, 0:00-24:00; weekends 0 min, 9:00-12:00; warning 1440 min before the end",
         {}},
        {"[guest]\nhours_apply = no\n[bob]\nhours_apply = 1\nweekday_hours = 8-9",
         "guest",
         kOthersDefaults,
         {}},
        {"\xEF\xBB\xBF[guest]\r\nweekday_quota = 100\r\n",
         "guest",
         "weekdays 100 min, 16:00-21:00; weekends 270 min, 8:00-21:00; warning 15 min before "
         "the end",
         {}},
        // Bad values keep what the last good limits had for the same category.
        {"[guest]\nweekday_hours = 16-25\nweekend_hours = 21-21\nweekday_quota = 1441\n"
         "warning = 0\nhours_apply = maybe\n",
         "guest",
         "weekdays 60 min, 17:00-20:00; weekends 270 min, 8:00-21:00; warning 5 min "
         "before the end",
         {2, 3, 4, 5, 6}},
        {"[guest]\nweekday_quota = 1e3\nweekend_quota = 99999999999999999999\nwarning =  15x\n"
         "weekday_hours = -5-21\nweekend_hours = 8-21x\n",
         "guest",
         "weekdays 60 min, 17:00-20:00; weekends 270 min, 8:00-21:00; warning 5 min "
         "before the end",
         {2, 3, 4, 5, 6}},
        {"[alice]\nweekday_quota =\n", "alice", kOthersDefaults, {2}},
        // Unknown keys, keys in the wrong place, lines of no known form.
        {"weekday_quota = 10\n[guest]\nbedtime = 20\nweekday_quota 10\naction = logoff\n",
         "guest",
         kGuestDefaults,
         {1, 3, 4, 5}},
        {"[guest]\nweekday_quota = 100\nweekday_quota = 10\n",
         "guest",
         "weekdays 100 min, 16:00-21:00; weekends 270 min, 8:00-21:00; warning 15 min before "
         "the end",
         {3}},
        // A malformed or repeated header: its keys are ignored, reported once.
        {"[guest\nweekday_quota = 10\n[ ]\nweekday_quota = 10\n[" + std::string(39, 'x') +
             "]\nweekday_quota = 10\n[guest] x\nweekday_quota = 10\n[Guest]\n[GUEST]\nwarning = 1\n"
             "bedtime = 1\n",
         "guest",
         kGuestDefaults,
         {1, 3, 5, 7, 10}},
        // Shift_JIS: a second byte may be ']' and is never folded like a letter.
        {"[\x83\x5D]\nweekday_quota = 10\n",
         "\x83\x5D",
         "weekdays 10 min, any hour; weekends 270 min, any hour; warning 15 min before "
         "the end",
         {}},
        {"[\x83\x41]\nwarning = 2\n[\x83\x61]\nwarning = 3\n",
         "\x83\x61",
         "weekdays 150 min, any hour; weekends 270 min, any hour; warning 3 min before the end",
         {}},
        {"[\x83\x5D\nweekday_quota = 10\n", "\x83", kOthersDefaults, {1}},
    };
    const Limits lastGood = LastGood();
    for (const auto& c : cases) {
        std::vector<LimitsProblem> problems;
        const Limits limits = ParseLimits(c.file, lastGood, IsCp932LeadByte, problems);
        EXPECT_EQ(DescribeLimits(limits.For(c.category, IsCp932LeadByte)), c.limits) << c.file;
        EXPECT_EQ(LinesOf(problems), c.problems) << c.file;
    }
}

TEST(Limits, GlobalKeys) {
    const struct {
        std::string file;
        TimeUpAction action;
        std::size_t historyKib;
        Lines problems;
    } cases[] = {
        {"action = LogOff\nhistory_max_kib = 65536\n", TimeUpAction::LogOff, 65536, {}},
        {"action=poweroff\nhistory_max_kib=1\n[guest]\n", TimeUpAction::PowerOff, 1, {}},
        {"action = halt\nhistory_max_kib = 0\n", TimeUpAction::LogOff, 64, {1, 2}},
        {"history_max_kib = 65537\n[guest]\naction = logoff\n", TimeUpAction::PowerOff, 64, {1, 3}},
    };
    for (const auto& c : cases) {
        std::vector<LimitsProblem> problems;
        const Limits limits = ParseLimits(c.file, LastGood(), IsCp932LeadByte, problems);
        EXPECT_EQ(limits.action, c.action) << c.file;
        EXPECT_EQ(limits.historyMaxBytes, c.historyKib * 1024) << c.file;
        EXPECT_EQ(LinesOf(problems), c.problems) << c.file;
    }
}

TEST(Limits, ProblemsAreFewSafeLogLines) {
    std::string file = "[guest]\nweekday_quota = 2000\n" + std::string("b\0d\x7F", 4) + " = 1\n" +
                       "warning = " + std::string(39, '1') + "\xE3\x81\x82\n";
    for (int i = 0; i < 30; ++i) file += "junk\n";
    std::vector<LimitsProblem> problems;
    ParseLimits(file, Limits{}, nullptr, problems);
    ASSERT_EQ(problems.size(), kMaxLimitsProblems + 1);
    const std::string expected[] = {
        "limits.conf line 2: weekday_quota: 2000 is not a number of minutes from 0 to 1440",
        "limits.conf line 3: unknown key b?d?",
        "limits.conf line 4: warning: " + std::string(39, '1') +
            "... is not a number of minutes from 1 to 1440",
        "limits.conf line 5: not a comment, a [section] or a key = value",
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(FormatLimitsProblem(problems[i]), expected[i]);
    }
    EXPECT_EQ(FormatLimitsProblem(problems.back()), "limits.conf: 13 more problems not listed");
}

// The installer sets the action and leaves the administrator's other lines as they are.
TEST(Limits, InstallerSetsTheGlobalActionOnly) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "action = logoff\r\n"},
        {"\xEF\xBB\xBF# mine\n[guest]\naction = poweroff\n",
         "\xEF\xBB\xBF"
         "action = logoff\n# mine\n[guest]\naction = poweroff\n"},
        {"history_max_kib = 9\r\n  Action=poweroff \r\naction = x\r\n[a]\r\n",
         "history_max_kib = 9\r\naction = logoff\r\naction = x\r\n[a]\r\n"},
    };
    for (const auto& [before, after] : cases) {
        EXPECT_EQ(WithTimeUpAction(before, TimeUpAction::LogOff), after) << before;
    }
}
