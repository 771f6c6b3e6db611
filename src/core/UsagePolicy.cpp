#include "core/UsagePolicy.h"

#include "core/Platform.h"

DayClass ClassifyDay(int localWeekday) {
    return (localWeekday == 0 || localWeekday == 6) ? DayClass::Weekend : DayClass::Weekday;
}

int DailyQuotaFor(DayClass dayClass) {
    return dayClass == DayClass::Weekend ? kWeekendQuotaMinutes : kWeekdayQuotaMinutes;
}

bool IsWithinAllowedHours(DayClass dayClass, int localHour) {
    return IsWithinHours(dayClass == DayClass::Weekend ? kWeekendFirstHour : kWeekdayFirstHour,
                         kEndHour, localHour);
}

bool IsWithinHours(int firstHour, int endHour, int localHour) {
    return firstHour <= localHour && localHour < endHour;
}

bool HourRuleApplies(const std::string& category) { return EqualsNoCase(category, kGuestCategory); }

bool NeedsQuotaWarning(int dailyQuota, int minutesUsed, int thresholdMinutes) {
    return dailyQuota - minutesUsed < thresholdMinutes;
}

bool QuotaReached(int dailyQuota, int minutesUsed) { return minutesUsed >= dailyQuota; }

std::optional<std::string> LookupLoginName(const HourgatePlatform& platform) {
    const std::optional<std::string> name = platform.UserName();
    if (!name || name->size() > kMaxLoginNameBytes || name->find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return name->empty() ? std::string(kGuestCategory) : *name;
}

std::string QueryLoginName(const HourgatePlatform& platform) {
    return LookupLoginName(platform).value_or(kUnknownLoginName);
}

std::string FormatHourNotice(DayClass dayClass, const std::string& loginName) {
    if (dayClass == DayClass::Weekend) {
        return FormatHourNotice(kWeekendFirstHour, kEndHour, loginName);
    }
    return FormatHourNotice(kWeekdayFirstHour, kEndHour, loginName);
}

std::string FormatHourNotice(int firstHour, int endHour, const std::string& loginName) {
    return FormatText("%sさんの使用可能時間は、%d時から%d時までです", loginName.c_str(), firstHour,
                      endHour);
}

std::string FormatQuotaWarning(const std::string& loginName, int remainingMinutes) {
    return FormatText("%sさん あと %d 分で強制終了します", loginName.c_str(), remainingMinutes);
}

static unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const std::string& a, const std::string& b, LeadByteTest isLeadByte) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (isLeadByte && isLeadByte(ca) && i + 1 < a.size()) {
            // The second byte of a double-byte character may look like an ASCII
            // letter; it must match exactly.
            if (ca != cb || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (FoldAscii(ca) != FoldAscii(cb)) return false;
    }
    return true;
}
