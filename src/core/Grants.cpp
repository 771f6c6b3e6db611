#include "core/Grants.h"

#include <algorithm>
#include <cstdio>

#include <vector>
#include "core/FormatText.h"

#include "core/UsagePolicy.h"

bool ParseDayLine(const std::string& text, char dateSeparator, RecordDate& day, int& number,
                  std::string& name) {
    std::size_t at = 0;
    // Up to `digits` decimal digits, at least one, then `end`.
    const auto field = [&](std::size_t digits, char end, int& value) {
        const std::size_t start = at;
        value = 0;
        while (at < text.size() && at - start < digits && text[at] >= '0' && text[at] <= '9') {
            value = value * 10 + (text[at++] - '0');
        }
        if (at == start || at >= text.size() || text[at] != end) return false;
        ++at;
        return true;
    };
    int year = 0, month = 0, date = 0;
    if (!field(4, dateSeparator, year) || !field(2, dateSeparator, month) || !field(2, ' ', date) ||
        !field(7, ' ', number) || at >= text.size()) {
        return false;
    }
    day = {year, month, date};
    name = text.substr(at);
    return true;
}

namespace {

struct GrantLine {
    RecordDate day;
    int minutes = 0;
    std::string category;
};

std::vector<GrantLine> ParseGrants(const std::string& bytes) {
    std::vector<GrantLine> lines;
    for (const std::string& text : SplitLines(bytes)) {
        GrantLine line;
        if (!ParseDayLine(text, '/', line.day, line.minutes, line.category)) continue;
        line.minutes = std::min(line.minutes, kMaxGrantMinutes);
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

int GrantedMinutes(const std::string& bytes, const RecordDate& day, const std::string& category,
                   LeadByteTest isLeadByte) {
    int minutes = 0;
    for (const GrantLine& line : ParseGrants(bytes)) {
        if (line.day == day && EqualsNoCase(line.category, category, isLeadByte)) {
            minutes = std::min(minutes + line.minutes, kMaxGrantMinutes);
        }
    }
    return minutes;
}

std::string AddGrant(const std::string& bytes, const RecordDate& day, const std::string& category,
                     int minutes, LeadByteTest isLeadByte) {
    std::string out;
    const auto emit = [&out, &day](int total, const std::string& name) {
        out += FormatText("%04d/%02d/%02d %d ", std::get<0>(day), std::get<1>(day),
                          std::get<2>(day), total) +
               name + "\n";
    };
    for (const GrantLine& line : ParseGrants(bytes)) {
        if (line.day != day || EqualsNoCase(line.category, category, isLeadByte)) continue;
        emit(line.minutes, line.category);
    }
    const int total =
        std::clamp(GrantedMinutes(bytes, day, category, isLeadByte) + minutes, 0, kMaxGrantMinutes);
    emit(total, category);
    return out;
}
