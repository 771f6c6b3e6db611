// What an administrator does through the guard, the same on both OSes: see
// every user's day, give time, correct a count, reload the exemption list and
// the limits, and read the usage history. Each guard checks that the caller is
// an administrator and carries the requests and the rows over its interface.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/ExemptionList.h"
#include "core/FailureLog.h"
#include "core/GuardedUsers.h"
#include "core/History.h"
#include "core/Limits.h"
#include "core/Platform.h"

// The fields of a status row, tab-separated, in this order: user, category,
// minutes used, quota (with today's grant), minutes remaining, allowed hours
// ("16-21", empty where they do not apply), counting now ("1" or "0"), the
// time of the next warning and of the power-off ("HH:MM", empty when none is
// due today or the user is not being counted), the limits in words.
constexpr int kStatusFields = 10;
// A history row: "YYYY-MM-DD", minutes, category.
constexpr int kHistoryFields = 3;

struct AdminResult {
    bool ok = true;
    std::string error;              // why not, in a line for the administrator
    std::vector<std::string> rows;  // tab-separated fields

    static AdminResult Failed(std::string why) { return {false, std::move(why), {}}; }
};

// When the next warning and the power-off fall, in minutes since midnight
// today; -1 where none is due today. Only a user being counted has either.
struct Enforcement {
    int warningAt = -1;
    int endAt = -1;
};
Enforcement NextEnforcement(const UsageStanding& standing, bool counting);

class GuardAdmin {
public:
    // `platform` is the guard's own: its directory, clocks and log.
    GuardAdmin(GuardedUsers& users, HourgatePlatform& platform);

    AdminResult Status();
    // Extra minutes today for the user's category (shared by all guests).
    AdminResult Grant(const std::string& user, int minutes);
    // Today's count of the user's category, as an administrator corrects it.
    AdminResult SetMinutes(const std::string& user, int minutes);
    AdminResult Reload();
    // The last `days` days of the user's category, or of all with an empty user.
    AdminResult History(const std::string& user, int days);

    // After an accounting's tick: notes its count, and writes the days that
    // have ended to the history.
    void AfterTick(CHourgateView& view);
    // At the guard's stop: today's counts go to the history too.
    void Stop();

private:
    std::string PathOf(const std::string& fileName) const;
    std::string CategoryOf(const std::string& user) const;
    RecordDate Today() const;
    void LoadConfiguration(std::vector<std::string>& problems);
    // Makes every count of the category read its record and grant again.
    void RefreshCategory(const std::string& category);
    void WriteHistory(const std::vector<DayUsage>& lines);

    GuardedUsers& m_users;
    HourgatePlatform& m_platform;
    FailureLog m_failures;
    ExemptNameSlots m_names = {};
    int m_nNames = 0;
    Limits m_limits;
    DayLedger m_ledger;
    std::map<std::string, std::string> m_seen;  // users counted since the start -> category
};
