// The fixed usage rules: day classes, quotas, allowed hours, the warning threshold,
// who the user is, and the texts of the notices that go with the rules.
#pragma once

#include <string>

#include "core/FormatText.h"
#include "core/Platform.h"

enum class DayClass { Weekday, Weekend };

constexpr int kWeekdayQuotaMinutes = 150;
constexpr int kWeekendQuotaMinutes = 270;
constexpr int kWeekdayFirstHour = 16;
constexpr int kWeekendFirstHour = 8;
constexpr int kEndHour = 21;  // the first hour that is no longer allowed
constexpr int kWarningThresholdMinutes = 15;

// Login names longer than this do not fit the system's 39-byte buffer.
constexpr std::size_t kMaxLoginNameBytes = 38;
constexpr const char* kGuestCategory = "guest";
// Used when the system cannot tell who the user is. Such a user gets the
// strictest treatment: the shared guest category, to which the hour rule applies.
constexpr const char* kUnknownLoginName = "guest";

// Marks a failed local-time conversion where a weekday is expected.
constexpr int kNoWeekday = -1;

// Weekday 0 = Sunday ... 6 = Saturday, or kNoWeekday.
DayClass ClassifyDay(int localWeekday);
// The fixed rules; an administrator's limits file (Limits.h) may set others.
int DailyQuotaFor(DayClass dayClass);
// localHour is 0-23, or -1 when the conversion failed (outside every window).
bool IsWithinAllowedHours(DayClass dayClass, int localHour);
bool IsWithinHours(int firstHour, int endHour, int localHour);
bool HourRuleApplies(const std::string& category);
bool NeedsQuotaWarning(int dailyQuota, int minutesUsed,
                       int thresholdMinutes = kWarningThresholdMinutes);
bool QuotaReached(int dailyQuota, int minutesUsed);

// The login name as the system reports it, "guest" for an empty one; nothing
// when the lookup fails or gives a name that does not fit.
std::optional<std::string> LookupLoginName(const HourgatePlatform& platform);
// The same, with kUnknownLoginName for a failed lookup.
std::string QueryLoginName(const HourgatePlatform& platform);

std::string FormatHourNotice(DayClass dayClass, const std::string& loginName);
std::string FormatHourNotice(int firstHour, int endHour, const std::string& loginName);
std::string FormatQuotaWarning(const std::string& loginName, int remainingMinutes);

// True when the two texts are equal apart from the case of A-Z / a-z.
// Double-byte characters (as `isLeadByte` tells) are compared byte for byte.
bool EqualsNoCase(const std::string& a, const std::string& b, LeadByteTest isLeadByte = nullptr);
