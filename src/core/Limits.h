// The administrator's limits file (limits.conf): what happens when time is up,
// when the usage history is rotated, and each category's quotas, allowed hours
// and warning. Without the file every category has the fixed rules of
// UsagePolicy.h.
//
//   # comment, or ; comment
//   action = poweroff | logoff          what happens when time is up
//   history_max_kib = 1..65536          size at which the history is rotated
//   [guest]                             one section per category: guest or a
//   weekday_quota = 0..1440             listed login name, letter case aside
//   weekend_quota = 0..1440
//   weekday_hours = FIRST-END           allowed from FIRST:00 until END:00
//   weekend_hours = FIRST-END
//   hours_apply = yes | no              default: yes for guest only
//   warning = 1..1440                   minutes before the quota's end
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/DataFile.h"
#include "core/Platform.h"
#include "core/UsagePolicy.h"

constexpr const char* kLimitsFileName = "limits.conf";
// The caller reads no more of the file than this.
constexpr std::size_t kMaxLimitsBytes = 64 * 1024;
// Problems beyond this are counted in one last problem, so that a file of
// garbage cannot flood the system log.
constexpr std::size_t kMaxLimitsProblems = 20;

enum class TimeUpAction { PowerOff, LogOff };

struct HourWindow {
    int first;  // allowed from first:00
    int end;    // until end:00, the first hour no longer allowed

    bool operator==(const HourWindow& other) const {
        return first == other.first && end == other.end;
    }
};

struct CategoryLimits {
    int weekdayQuota = kWeekdayQuotaMinutes;
    int weekendQuota = kWeekendQuotaMinutes;
    HourWindow weekdayHours{kWeekdayFirstHour, kEndHour};
    HourWindow weekendHours{kWeekendFirstHour, kEndHour};
    bool hoursApply = false;
    int warningMinutes = kWarningThresholdMinutes;

    int Quota(DayClass day) const;
    HourWindow Hours(DayClass day) const;
    bool operator==(const CategoryLimits& other) const;
};

struct Limits {
    TimeUpAction action = TimeUpAction::PowerOff;
    std::size_t historyMaxBytes = 256 * 1024;
    // The categories the file names, as it spells them; every other category
    // has the defaults.
    std::vector<std::pair<std::string, CategoryLimits>> categories;

    // The file's section for the category, else the defaults (the hours
    // apply to guests only).
    CategoryLimits For(const std::string& category, LeadByteTest isLeadByte) const;
    bool operator==(const Limits& other) const;
};

struct LimitsProblem {
    int line;  // 1-based; 0 for the count of problems left out
    std::string what;
};

// The limits the file's bytes give. A value that is not valid is reported and
// leaves the key as `lastGood` had it for the same category (the defaults on a
// first load), so a typo never loosens the limits. Keys that are unknown or in
// the wrong place are reported and ignored; so is a malformed or repeated
// section header, and its keys are then ignored unreported. Section names are
// in the narrow code page.
Limits ParseLimits(const std::string& bytes, const Limits& lastGood, LeadByteTest isLeadByte,
                   std::vector<LimitsProblem>& problems);

// "poweroff" or "logoff", letter case aside; nothing for any other name.
std::optional<TimeUpAction> TimeUpActionNamed(const std::string& name);

// The file's bytes with the action set, for the installer: the first action
// line before the first section rewritten, or, where there is none, one put
// first; every other byte stays. Nothing (a new file) gives the one line.
std::string WithTimeUpAction(const std::string& bytes, TimeUpAction action);

// The file at `path`, read and parsed against `lastGood`: the fixed rules when
// there is none, `lastGood` itself when it cannot be read now (`read` then
// Unreadable, with `why`), and each problem as a line for the system log.
struct LimitsLoad {
    FileState read = FileState::Absent;
    Limits limits;
    std::string why;
    std::vector<std::string> problems;
};
LimitsLoad LoadLimits(const std::string& path, const Limits& lastGood, LeadByteTest isLeadByte);

// "limits.conf line N: ...", one line of the system log.
std::string FormatLimitsProblem(const LimitsProblem& problem);

// A summary for a person, e.g. "weekdays 150 min, 16:00-21:00; weekends 270 min,
// 8:00-21:00; warning 15 min before the end", with "any hour" where the hours
// do not apply.
std::string DescribeLimits(const CategoryLimits& limits);
