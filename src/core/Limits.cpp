#include "core/Limits.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "core/FormatText.h"

namespace {

constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";
constexpr int kMinutesPerDay = 24 * 60;
constexpr int kMaxHistoryKib = 64 * 1024;
// Enough for any valid login name; a longer value is cut in a problem's text.
constexpr std::size_t kMaxShownBytes = 40;

enum class Key {
    Action,
    HistoryMaxKib,
    WeekdayQuota,
    WeekendQuota,
    WeekdayHours,
    WeekendHours,
    HoursApply,
    Warning,
    Unknown
};
constexpr const char* kKeyNames[] = {"action",        "history_max_kib", "weekday_quota",
                                     "weekend_quota", "weekday_hours",   "weekend_hours",
                                     "hours_apply",   "warning"};
static_assert(std::size(kKeyNames) == static_cast<std::size_t>(Key::Unknown));

bool IsGlobal(Key key) { return key == Key::Action || key == Key::HistoryMaxKib; }

Key KeyNamed(const std::string& name) {
    for (int i = 0; i < static_cast<int>(Key::Unknown); ++i) {
        if (EqualsNoCase(name, kKeyNames[i])) return static_cast<Key>(i);
    }
    return Key::Unknown;
}

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Decimal digits only. The value saturates just above `max`, so that no length
// of digits overflows.
std::optional<int> NumberIn(const std::string& text, int min, int max) {
    if (text.empty()) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = std::min(value * 10 + (c - '0'), max + 1);
    }
    if (value < min || value > max) return std::nullopt;
    return value;
}

std::optional<HourWindow> HoursIn(const std::string& text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string::npos) return std::nullopt;
    const std::optional<int> first = NumberIn(Trim(text.substr(0, dash)), 0, 24);
    const std::optional<int> end = NumberIn(Trim(text.substr(dash + 1)), 0, 24);
    if (!first || !end || *first >= *end) return std::nullopt;
    return HourWindow{*first, *end};
}

std::optional<bool> YesOrNo(const std::string& text) {
    for (const char* yes : {"yes", "true", "1"}) {
        if (EqualsNoCase(text, yes)) return true;
    }
    for (const char* no : {"no", "false", "0"}) {
        if (EqualsNoCase(text, no)) return false;
    }
    return std::nullopt;
}

// Text from the file as it may go into a log line: control bytes become '?',
// and a long text is cut, never inside a character (UTF-8 where there is no
// lead-byte test), since a log may drop a line that is not valid text.
std::string Shown(const std::string& text, LeadByteTest isLeadByte) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = isLeadByte && isLeadByte(byte) && i + 1 < text.size() ? 2 : 1;
        if (shown.size() + length > kMaxShownBytes) {
            while (!isLeadByte && i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
                --i;
            }
            return shown.substr(0, i) + "...";
        }
        for (std::size_t k = i; k < i + length; ++k) {
            const auto c = static_cast<unsigned char>(text[k]);
            shown += (c < 0x20 || c == 0x7F) ? '?' : text[k];
        }
        i += length - 1;
    }
    return shown;
}

// The closing ']' of a section header, scanning whole characters: the second
// byte of a Shift_JIS character may be 0x5D. npos when the line does not end in one.
std::size_t ClosingBracket(const std::string& line, LeadByteTest isLeadByte) {
    std::size_t close = std::string::npos;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (isLeadByte && isLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) {
            ++i;
        } else if (line[i] == ']') {
            close = i;
        }
    }
    return close == line.size() - 1 ? close : std::string::npos;
}

CategoryLimits DefaultsFor(const std::string& category) {
    CategoryLimits limits;
    limits.hoursApply = HourRuleApplies(category);
    return limits;
}

}  // namespace

int CategoryLimits::Quota(DayClass day) const {
    return day == DayClass::Weekend ? weekendQuota : weekdayQuota;
}

HourWindow CategoryLimits::Hours(DayClass day) const {
    return day == DayClass::Weekend ? weekendHours : weekdayHours;
}

bool CategoryLimits::operator==(const CategoryLimits& other) const {
    return weekdayQuota == other.weekdayQuota && weekendQuota == other.weekendQuota &&
           weekdayHours == other.weekdayHours && weekendHours == other.weekendHours &&
           hoursApply == other.hoursApply && warningMinutes == other.warningMinutes;
}

CategoryLimits Limits::For(const std::string& category, LeadByteTest isLeadByte) const {
    for (const auto& [name, limits] : categories) {
        if (EqualsNoCase(category, name, isLeadByte)) return limits;
    }
    return DefaultsFor(category);
}

bool Limits::operator==(const Limits& other) const {
    return action == other.action && historyMaxBytes == other.historyMaxBytes &&
           categories == other.categories;
}

Limits ParseLimits(const std::string& bytes, const Limits& lastGood, LeadByteTest isLeadByte,
                   std::vector<LimitsProblem>& problems) {
    Limits limits;
    problems.clear();
    int lineNumber = 0;
    int leftOut = 0;
    const auto report = [&](const std::string& what) {
        if (problems.size() < kMaxLimitsProblems) {
            problems.push_back({lineNumber, what});
        } else {
            ++leftOut;
        }
    };
    // Keys go to the global area until the first header, then to the last
    // category, or nowhere after a header that is malformed or repeated.
    enum class Area { Global, Category, Ignored } area = Area::Global;
    std::vector<int> headerLines;  // of each category's section
    CategoryLimits good;           // what a bad value of the current category falls back to
    unsigned seen = 0;             // the keys set so far in the current area, one bit each

    std::size_t start = bytes.rfind(kUtf8ByteOrderMark, 0) == 0 ? 3 : 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trim(line);
        if (line.empty() || line[0] == '#' || line[0] == ';') continue;

        if (line[0] == '[') {
            area = Area::Ignored;
            seen = 0;
            const std::size_t close = ClosingBracket(line, isLeadByte);
            const std::string name =
                close == std::string::npos ? "" : Trim(line.substr(1, close - 1));
            if (close == std::string::npos) {
                report("section header does not end with ']'; its keys are ignored");
            } else if (name.empty()) {
                report("empty section name; its keys are ignored");
            } else if (name.size() > kMaxLoginNameBytes) {
                report(FormatText("section name longer than %d bytes; its keys are ignored",
                                  static_cast<int>(kMaxLoginNameBytes)));
            } else {
                std::size_t i = 0;
                while (i < limits.categories.size() &&
                       !EqualsNoCase(name, limits.categories[i].first, isLeadByte)) {
                    ++i;
                }
                if (i < limits.categories.size()) {
                    report(FormatText("[%s] repeats the section of line %d; its keys are ignored",
                                      Shown(name, isLeadByte).c_str(), headerLines[i]));
                } else {
                    area = Area::Category;
                    limits.categories.emplace_back(name, DefaultsFor(name));
                    headerLines.push_back(lineNumber);
                    good = lastGood.For(name, isLeadByte);
                }
            }
            continue;
        }

        const std::size_t equals = line.find('=');
        const std::string keyName = Trim(line.substr(0, equals));
        if (equals == std::string::npos || keyName.empty()) {
            report("not a comment, a [section] or a key = value");
            continue;
        }
        if (area == Area::Ignored) continue;
        const Key key = KeyNamed(keyName);
        if (key == Key::Unknown) {
            report("unknown key " + Shown(keyName, isLeadByte));
            continue;
        }
        const char* const name = kKeyNames[static_cast<int>(key)];
        if (IsGlobal(key) && area != Area::Global) {
            report(FormatText("%s belongs before the first section", name));
            continue;
        }
        if (!IsGlobal(key) && area == Area::Global) {
            report(FormatText("%s belongs in a section such as [guest]", name));
            continue;
        }
        const unsigned bit = 1u << static_cast<int>(key);
        if (seen & bit) {
            report(FormatText("%s is set again; the first one stands", name));
            continue;
        }
        seen |= bit;

        const std::string value = Trim(line.substr(equals + 1));
        const std::string shown = value.empty() ? "(empty)" : Shown(value, isLeadByte);
        const auto minutes = [&](int& field, int fallback, int min) {
            if (const std::optional<int> number = NumberIn(value, min, kMinutesPerDay)) {
                field = *number;
            } else {
                field = fallback;
                report(FormatText("%s: %s is not a number of minutes from %d to %d", name,
                                  shown.c_str(), min, kMinutesPerDay));
            }
        };
        const auto hours = [&](HourWindow& field, HourWindow fallback) {
            if (const std::optional<HourWindow> window = HoursIn(value)) {
                field = *window;
            } else {
                field = fallback;
                report(FormatText("%s: %s is not FIRST-END with 0 <= FIRST < END <= 24", name,
                                  shown.c_str()));
            }
        };
        if (key == Key::Action) {
            if (const std::optional<TimeUpAction> action = TimeUpActionNamed(value)) {
                limits.action = *action;
            } else {
                limits.action = lastGood.action;
                report(FormatText("action: %s is not poweroff or logoff", shown.c_str()));
            }
            continue;
        }
        if (key == Key::HistoryMaxKib) {
            if (const std::optional<int> kib = NumberIn(value, 1, kMaxHistoryKib)) {
                limits.historyMaxBytes = static_cast<std::size_t>(*kib) * 1024;
            } else {
                limits.historyMaxBytes = lastGood.historyMaxBytes;
                report(FormatText("history_max_kib: %s is not a number from 1 to %d", shown.c_str(),
                                  kMaxHistoryKib));
            }
            continue;
        }
        CategoryLimits& category = limits.categories.back().second;
        if (key == Key::WeekdayQuota) minutes(category.weekdayQuota, good.weekdayQuota, 0);
        if (key == Key::WeekendQuota) minutes(category.weekendQuota, good.weekendQuota, 0);
        if (key == Key::WeekdayHours) hours(category.weekdayHours, good.weekdayHours);
        if (key == Key::WeekendHours) hours(category.weekendHours, good.weekendHours);
        if (key == Key::Warning) minutes(category.warningMinutes, good.warningMinutes, 1);
        if (key == Key::HoursApply) {
            if (const std::optional<bool> apply = YesOrNo(value)) {
                category.hoursApply = *apply;
            } else {
                category.hoursApply = good.hoursApply;
                report(FormatText("hours_apply: %s is not yes or no", shown.c_str()));
            }
        }
    }
    if (leftOut > 0) problems.push_back({0, FormatText("%d more problems not listed", leftOut)});
    return limits;
}

std::optional<TimeUpAction> TimeUpActionNamed(const std::string& name) {
    if (EqualsNoCase(name, "poweroff")) return TimeUpAction::PowerOff;
    if (EqualsNoCase(name, "logoff")) return TimeUpAction::LogOff;
    return std::nullopt;
}

std::string WithTimeUpAction(const std::string& bytes, TimeUpAction action) {
    const std::string line =
        std::string("action = ") + (action == TimeUpAction::LogOff ? "logoff" : "poweroff");
    const std::size_t first = bytes.rfind(kUtf8ByteOrderMark, 0) == 0 ? 3 : 0;
    // The lines as ParseLimits reads them, up to the first section.
    for (std::size_t start = first; start < bytes.size();) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const std::size_t stop = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
        const std::string text = Trim(bytes.substr(start, stop - start));
        if (!text.empty() && text[0] == '[') break;
        const std::size_t equals = text.find('=');
        if (equals != std::string::npos && KeyNamed(Trim(text.substr(0, equals))) == Key::Action) {
            return bytes.substr(0, start) + line + bytes.substr(stop);
        }
        start = end + 1;
    }
    // The file's own line ends: CR LF unless it has only LF.
    const bool lf =
        bytes.find('\n') != std::string::npos && bytes.find("\r\n") == std::string::npos;
    return bytes.substr(0, first) + line + (lf ? "\n" : "\r\n") + bytes.substr(first);
}

std::string FormatLimitsProblem(const LimitsProblem& problem) {
    if (problem.line <= 0) return FormatText("%s: %s", kLimitsFileName, problem.what.c_str());
    return FormatText("%s line %d: %s", kLimitsFileName, problem.line, problem.what.c_str());
}

std::string DescribeLimits(const CategoryLimits& limits) {
    const auto hours = [&](HourWindow window) {
        return limits.hoursApply ? FormatText("%d:00-%d:00", window.first, window.end)
                                 : std::string("any hour");
    };
    return FormatText("weekdays %d min, %s; weekends %d min, %s; warning %d min before the end",
                      limits.weekdayQuota, hours(limits.weekdayHours).c_str(), limits.weekendQuota,
                      hours(limits.weekendHours).c_str(), limits.warningMinutes);
}

LimitsLoad LoadLimits(const std::string& path, const Limits& lastGood, LeadByteTest isLeadByte) {
    const FileContents file = ReadDataFile(path, kMaxLimitsBytes, true);
    LimitsLoad load{file.state, lastGood, file.why, {}};
    if (file.state == FileState::Unreadable) return load;
    std::vector<LimitsProblem> problems;
    load.limits = file.state == FileState::Read
                      ? ParseLimits(file.bytes, lastGood, isLeadByte, problems)
                      : Limits{};
    for (const LimitsProblem& problem : problems) {
        load.problems.push_back(FormatLimitsProblem(problem));
    }
    return load;
}
