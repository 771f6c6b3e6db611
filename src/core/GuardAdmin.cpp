#include "core/GuardAdmin.h"

#include <algorithm>
#include <cstdio>

#include "core/DataFile.h"
#include "core/FormatText.h"
#include "core/Grants.h"
#include "core/ProgramDirectory.h"
#include "core/UsagePolicy.h"
#include "core/UsageRecord.h"

namespace {

std::string Join(const std::vector<std::string>& fields) {
    std::string row;
    for (const std::string& field : fields) row += (row.empty() ? "" : "\t") + field;
    return row;
}

std::string ClockText(int minutes) {
    return minutes < 0 ? std::string() : FormatText("%02d:%02d", minutes / 60, minutes % 60);
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
long DaysOf(const RecordDate& date) {
    auto [year, month, day] = date;
    year -= month <= 2;
    const long era = (year >= 0 ? year : year - 399) / 400;
    const long yearOfEra = year - era * 400;
    const long dayOfYear = (153L * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 719468;
}

// A user name an administrator typed: one the system could report, and nothing
// that could end a field or a line of the answer.
bool PlausibleUser(const std::string& user) {
    return !user.empty() && user.size() <= kMaxLoginNameBytes &&
           user.find_first_of(std::string("\t\r\n\0", 4)) == std::string::npos;
}

}  // namespace

Enforcement NextEnforcement(const UsageStanding& standing, bool counting) {
    Enforcement next;
    if (!counting || standing.hour < 0) return next;
    const int now = standing.hour * 60 + standing.minute;
    const int remaining = std::max(0, standing.quota - standing.used);
    int end = now + remaining;
    if (standing.limits.hoursApply) {
        const HourWindow hours = standing.limits.Hours(standing.dayClass);
        end = IsWithinHours(hours.first, hours.end, standing.hour) ? std::min(end, hours.end * 60)
                                                                   : now;
    }
    // The warning runs up to the quota's end: it comes now when that is near.
    const int warning = std::max(now, now + remaining - standing.limits.warningMinutes + 1);
    if (end < 24 * 60) next.endAt = end;
    if (warning < end && warning < 24 * 60) next.warningAt = warning;
    return next;
}

GuardAdmin::GuardAdmin(GuardedUsers& users, HourgatePlatform& platform)
    : m_users(users),
      m_platform(platform),
      m_failures([&platform](const std::string& line) { platform.WriteSystemLog(line); }) {
    std::vector<std::string> problems;
    LoadConfiguration(problems);
}

std::string GuardAdmin::PathOf(const std::string& fileName) const {
    const bool configuration = fileName == kExemptionListFileName || fileName == kLimitsFileName;
    return JoinPath(
        configuration ? m_platform.ConfigurationDirectory() : m_platform.StateDirectory(),
        m_platform.PathSeparator(), fileName);
}

std::string GuardAdmin::CategoryOf(const std::string& user) const {
    return ResolveUsageCategory(user, m_names, m_nNames, m_platform.LeadBytes());
}

RecordDate GuardAdmin::Today() const {
    LocalTimeFields local;
    if (!m_platform.ToLocalTime(m_platform.Now(), local)) return {0, 0, 0};
    return {local.year + 1900, local.month + 1, local.day};
}

void GuardAdmin::LoadConfiguration(std::vector<std::string>& problems) {
    const std::string why = LoadExemptionList(m_platform.ConfigurationDirectory(),
                                              m_platform.PathSeparator(), m_names, m_nNames);
    if (!why.empty())
        problems.push_back("cannot read " + PathOf(kExemptionListFileName) + ": " + why);
    const LimitsLoad limits = LoadLimits(PathOf(kLimitsFileName), m_limits, m_platform.LeadBytes());
    if (limits.read == FileState::Unreadable) {
        problems.push_back("cannot read " + PathOf(kLimitsFileName) + ": " + limits.why);
    }
    m_limits = limits.limits;
    problems.insert(problems.end(), limits.problems.begin(), limits.problems.end());
}

void GuardAdmin::RefreshCategory(const std::string& category) {
    m_users.ForEach([&](CHourgateView& view, bool) {
        if (view.Standing().category == category) view.Refresh();
    });
}

AdminResult GuardAdmin::Status() {
    AdminResult result;
    std::map<std::string, bool> listed;
    const auto add = [&](const UsageStanding& standing, bool counting) {
        const CategoryLimits& limits = standing.limits;
        const HourWindow hours = limits.Hours(standing.dayClass);
        const Enforcement next = NextEnforcement(standing, counting);
        result.rows.push_back(
            Join({standing.user, standing.category, std::to_string(standing.used),
                  std::to_string(standing.quota),
                  std::to_string(std::max(0, standing.quota - standing.used)),
                  limits.hoursApply ? FormatText("%d-%d", hours.first, hours.end) : std::string(),
                  counting ? "1" : "0", ClockText(next.warningAt), ClockText(next.endAt),
                  DescribeLimits(limits)}));
        listed[standing.user] = true;
    };
    m_users.ForEach([&](CHourgateView& view, bool counting) { add(view.Standing(), counting); });
    // Users counted earlier today, who have no session now: their category's record.
    LocalTimeFields local;
    const bool known = m_platform.ToLocalTime(m_platform.Now(), local);
    const RecordDate today = Today();
    const std::string grants = ReadDataFile(PathOf(kGrantsFileName), kMaxGrantsBytes, false).bytes;
    for (const auto& [user, category] : m_seen) {
        if (listed.count(user) != 0) continue;
        const RecordFile record = ReadUsageRecord(
            UsageRecordPath(m_platform.StateDirectory(), m_platform.PathSeparator(), category));
        UsageStanding standing;
        standing.user = user;
        standing.category = category;
        standing.day = today;
        standing.dayClass = ClassifyDay(known ? local.weekday : kNoWeekday);
        standing.hour = -1;
        standing.used = record.state == FileState::Read && DateOf(record.record) == today
                            ? record.record.minutesUsed
                            : 0;
        standing.granted = GrantedMinutes(grants, today, category, m_platform.LeadBytes());
        standing.limits = m_limits.For(category, m_platform.LeadBytes());
        standing.quota = standing.limits.Quota(standing.dayClass) + standing.granted;
        add(standing, false);
    }
    return result;
}

AdminResult GuardAdmin::Grant(const std::string& user, int minutes) {
    if (!PlausibleUser(user)) return AdminResult::Failed("not a user name: " + user);
    if (minutes < 1 || minutes > kMaxGrantMinutes) {
        return AdminResult::Failed("minutes to give: 1 to " + std::to_string(kMaxGrantMinutes));
    }
    const std::string category = CategoryOf(user);
    const RecordDate today = Today();
    int total = 0;
    const FileUpdate update =
        UpdateDataFile(PathOf(kGrantsFileName), kMaxGrantsBytes, [&](const FileContents& before) {
            const std::string after =
                AddGrant(before.bytes, today, category, minutes, m_platform.LeadBytes());
            total = GrantedMinutes(after, today, category, m_platform.LeadBytes());
            return after;
        });
    if (!update.written) return AdminResult::Failed("cannot write the grant: " + update.why);
    m_platform.WriteSystemInfo("administrator gave " + std::to_string(minutes) +
                               " minutes today to " + user + " (" + category + ")");
    RefreshCategory(category);
    return {true, {}, {Join({category, std::to_string(total)})}};
}

AdminResult GuardAdmin::SetMinutes(const std::string& user, int minutes) {
    if (!PlausibleUser(user)) return AdminResult::Failed("not a user name: " + user);
    if (minutes < 0 || minutes > 24 * 60) return AdminResult::Failed("minutes used: 0 to 1440");
    const std::string category = CategoryOf(user);
    LocalTimeFields local;
    if (!m_platform.ToLocalTime(m_platform.Now(), local)) {
        return AdminResult::Failed("the local time is not known");
    }
    const UsageRecord record{local.year + 1900, local.month + 1, local.day,
                             local.hour,        local.minute,    minutes};
    const FileUpdate update = UpdateDataFile(
        UsageRecordPath(m_platform.StateDirectory(), m_platform.PathSeparator(), category),
        kUsageRecordBytes, [&record](const FileContents&) { return FormatUsageRecord(record); });
    if (!update.written) return AdminResult::Failed("cannot write the record: " + update.why);
    m_platform.WriteSystemInfo("administrator set today's count of " + user + " (" + category +
                               ") to " + std::to_string(minutes) + " minutes");
    RefreshCategory(category);
    return {true, {}, {Join({category, std::to_string(minutes)})}};
}

AdminResult GuardAdmin::Reload() {
    AdminResult result;
    LoadConfiguration(result.rows);
    m_users.ForEach([](CHourgateView& view, bool) { view.ReloadConfiguration(); });
    m_platform.WriteSystemInfo("administrator reloaded the exemption list and the limits");
    for (const std::string& problem : result.rows) m_platform.WriteSystemLog(problem);
    return result;
}

AdminResult GuardAdmin::History(const std::string& user, int days) {
    if (!user.empty() && !PlausibleUser(user))
        return AdminResult::Failed("not a user name: " + user);
    if (days < 1 || days > 3660) return AdminResult::Failed("days: 1 to 3660");
    const std::string path = PathOf(kHistoryFileName);
    const std::string bytes = ReadDataFile(path + ".1", kMaxHistoryBytes, false).bytes +
                              ReadDataFile(path, kMaxHistoryBytes, false).bytes;
    const std::string category = user.empty() ? std::string() : CategoryOf(user);
    const long first = DaysOf(Today()) - days + 1;
    AdminResult result;
    for (const DayUsage& usage : ParseHistory(bytes)) {
        if (DaysOf(usage.day) < first) continue;
        if (!category.empty() && !EqualsNoCase(usage.category, category, m_platform.LeadBytes())) {
            continue;
        }
        result.rows.push_back(Join({FormatText("%04d-%02d-%02d", std::get<0>(usage.day),
                                               std::get<1>(usage.day), std::get<2>(usage.day)),
                                    std::to_string(usage.minutes), usage.category}));
    }
    return result;
}

void GuardAdmin::WriteHistory(const std::vector<DayUsage>& lines) {
    std::string why;
    const std::string what = "cannot write " + PathOf(kHistoryFileName);
    if (AppendHistory(PathOf(kHistoryFileName), lines, m_limits.historyMaxBytes, why)) {
        m_failures.Succeeded(what);
    } else {
        m_failures.Failed(what, why);
    }
}

void GuardAdmin::AfterTick(CHourgateView& view) {
    const UsageStanding standing = view.Standing();
    m_seen[standing.user] = standing.category;
    m_ledger.Note({standing.day, standing.used, standing.category});
    WriteHistory(m_ledger.TakeEnded(Today()));
}

void GuardAdmin::Stop() {
    m_users.ForEach([this](CHourgateView& view, bool) { AfterTick(view); });
    WriteHistory(m_ledger.TakeAll());
}
