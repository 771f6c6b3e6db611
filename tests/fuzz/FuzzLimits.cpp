// libFuzzer target: whatever bytes limits.conf holds, every limit stays within
// its range, each category appears once, problems are few single log lines, and
// the limits parsed are their own last good limits: reading the same file again
// gives the same limits and the same problems.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Limits.h"
#include "core/ProgramDirectory.h"

namespace {

bool InRange(const CategoryLimits& c) {
    const auto day = [](int quota, HourWindow hours) {
        return 0 <= quota && quota <= 1440 && 0 <= hours.first && hours.first < hours.end &&
               hours.end <= 24;
    };
    return day(c.weekdayQuota, c.weekdayHours) && day(c.weekendQuota, c.weekendHours) &&
           1 <= c.warningMinutes && c.warningMinutes <= 1440;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the code page: Shift_JIS or one without double-byte characters.
    const LeadByteTest isLeadByte = data[0] & 1 ? IsCp932LeadByte : nullptr;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::vector<LimitsProblem> problems;
    const Limits limits = ParseLimits(bytes, Limits{}, isLeadByte, problems);
    if (limits.historyMaxBytes < 1024 || limits.historyMaxBytes > 64 * 1024 * 1024) {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < limits.categories.size(); ++i) {
        const auto& [name, category] = limits.categories[i];
        if (name.empty() || name.size() > kMaxLoginNameBytes || !InRange(category)) {
            __builtin_trap();
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (EqualsNoCase(name, limits.categories[j].first, isLeadByte)) __builtin_trap();
        }
    }
    if (problems.size() > kMaxLimitsProblems + 1) __builtin_trap();
    for (const LimitsProblem& problem : problems) {
        for (const char c : FormatLimitsProblem(problem)) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) __builtin_trap();
        }
    }
    std::vector<LimitsProblem> again;
    if (!(ParseLimits(bytes, limits, isLeadByte, again) == limits)) __builtin_trap();
    if (again.size() != problems.size()) __builtin_trap();
    for (std::size_t i = 0; i < again.size(); ++i) {
        if (again[i].line != problems[i].line || again[i].what != problems[i].what) {
            __builtin_trap();
        }
    }
    return 0;
}
