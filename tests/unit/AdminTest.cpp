// What an administrator sees and does: when the next warning and time-up fall,
// today's grants, the history file, and hourgatectl's arguments and output.
#include <gtest/gtest.h>

#include <sstream>

#include "TempDir.h"
#include "core/Grants.h"
#include "core/GuardAdmin.h"
#include "core/History.h"
#include "ctl/Ctl.h"

TEST(Admin, NextEnforcement) {
    struct Case {
        int hour, minute, used, quota;
        bool hoursApply, counting;
        int warningAt, endAt;
    } cases[] = {
        {17, 0, 100, 150, false, true, 17 * 60 + 36, 17 * 60 + 50},  // quota: warned 14 min before
        {17, 0, 140, 150, false, true, 17 * 60, 17 * 60 + 10},       // within the lead: warned now
        {20, 30, 0, 150, true, true, -1, 21 * 60},                   // the hours end first
        {22, 0, 0, 150, true, true, -1, 22 * 60},                    // outside them: now
        {23, 50, 0, 150, false, true, -1, -1},                       // nothing due today
        {17, 0, 100, 150, false, false, -1, -1},                     // not being counted
    };
    for (const Case& c : cases) {
        UsageStanding standing;
        standing.hour = c.hour, standing.minute = c.minute;
        standing.used = c.used, standing.quota = c.quota;
        standing.limits.hoursApply = c.hoursApply;
        const Enforcement next = NextEnforcement(standing, c.counting);
        EXPECT_EQ(next.warningAt, c.warningAt) << c.hour << ":" << c.minute;
        EXPECT_EQ(next.endAt, c.endAt) << c.hour << ":" << c.minute;
    }
}

TEST(Admin, GrantsAddUpForTheDayOnly) {
    const RecordDate today{2026, 12, 7};
    std::string file = "2026/12/06 40 guest\r\n2026/12/07 10 Taro\ntorn line\n";
    file = AddGrant(file, today, "taro", 20, nullptr);
    file = AddGrant(file, today, "guest", 1500, nullptr);
    EXPECT_EQ(file, "2026/12/07 30 taro\n2026/12/07 1440 guest\n");
    EXPECT_EQ(GrantedMinutes(file, today, "TARO", nullptr), 30);
    EXPECT_EQ(GrantedMinutes(file, {2026, 12, 8}, "taro", nullptr), 0);
}

TEST(Admin, HistoryKeepsTheLastLineOfADayAndRotates) {
    EXPECT_EQ(ParseHistory("2026-12-07 10 guest\n2026-12-06 5 taro\njunk\n2026-12-07 25 guest\n"),
              (std::vector<DayUsage>{{{2026, 12, 6}, 5, "taro"}, {{2026, 12, 7}, 25, "guest"}}));
    DayLedger ledger;
    ledger.Note({{2026, 12, 6}, 90, "guest"});
    ledger.Note({{2026, 12, 7}, 5, "taro"});
    EXPECT_EQ(ledger.TakeEnded({2026, 12, 7}),
              (std::vector<DayUsage>{{{2026, 12, 6}, 90, "guest"}}));
    EXPECT_EQ(ledger.TakeAll(), (std::vector<DayUsage>{{{2026, 12, 7}, 5, "taro"}}));

    TempDir dir;
    std::string why;
    const std::vector<DayUsage> day{{{2026, 12, 7}, 5, "taro"}};  // 19 bytes a line
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(AppendHistory(dir.File("history.log"), day, 40, why));
    EXPECT_EQ(dir.Read("history.log"), FormatHistoryLine(day[0]));
    EXPECT_EQ(dir.Read("history.log.1"), FormatHistoryLine(day[0]) + FormatHistoryLine(day[0]));
}

TEST(Admin, CtlArgumentsAndExitStatus) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string method;  // what reached the guard
    } cases[] = {
        {{"status", "--json"}, 0, "AdminStatus  0"},
        {{"grant", "taro", "30"}, 0, "AdminGrant taro 30"},
        {{"reset", "taro"}, 0, "AdminSet taro 0"},
        {{"history", "--days", "3"}, 0, "AdminHistory  3"},
        {{"--version"}, 0, ""},
        {{}, 2, ""},
        {{"grant", "taro", "0"}, 2, ""},
        {{"set", "taro", "-5"}, 2, ""},
        {{"grant", "taro"}, 2, ""},
        {{"reload", "--json"}, 2, ""},
        {{"history", "--days", "x"}, 2, ""},
        {{"frobnicate"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::string reached;
        const GuardCall call = [&](const std::string& method, const std::string& user, int n) {
            reached = method + " " + user + " " + std::to_string(n);
            return GuardReply{};
        };
        std::ostringstream out, err;
        EXPECT_EQ(RunCtl(c.args, call, {false, [](const std::string& s) { return s; }}, out, err),
                  c.status)
            << err.str();
        EXPECT_EQ(reached, c.method);
    }
}

TEST(Admin, CtlRefusalsAndJson) {
    std::ostringstream out, err;
    const CtlEnvironment env{false, [](const std::string& s) { return s; }};
    for (GuardReply::Kind kind :
         {GuardReply::Kind::Refused, GuardReply::Kind::NotRunning, GuardReply::Kind::Failed}) {
        const GuardCall call = [kind](const std::string&, const std::string&, int) {
            return GuardReply{kind, {}, "why"};
        };
        EXPECT_EQ(RunCtl({"status"}, call, env, out, err), 1);
    }
    // A name with a quote, a Japanese name (in UTF-8, as the Linux guard sends it)
    // and a byte that is not UTF-8.
    const GuardCall rows = [](const std::string&, const std::string&, int) {
        return GuardReply{
            GuardReply::Kind::Ok,
            {"o\"brien\tguest\t5\t150\t145\t16-21\t1\t\t\tx",
             "\xe5\xa4\xaa\xe9\x83\x8e\tx\t0\t150\t150\t\t0\t\t\tx", "bad\xff\tguest"},
            {}};
    };
    std::ostringstream json;
    EXPECT_EQ(RunCtl({"status", "--json"}, rows, env, json, err), 0);
    EXPECT_NE(json.str().find("\"user\": \"o\\\"brien\""), std::string::npos) << json.str();
    EXPECT_NE(json.str().find("\"user\": \"\xe5\xa4\xaa\xe9\x83\x8e\""), std::string::npos);
    EXPECT_NE(json.str().find("\"allowed_hours\": null"), std::string::npos);
}
