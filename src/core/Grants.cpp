#include "core/Grants.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

#include "core/UsagePolicy.h"

namespace {

struct GrantLine {
    RecordDate day;
    int minutes = 0;
    std::string category;
};

std::vector<GrantLine> ParseGrants(const std::string& bytes) {
    std::vector<GrantLine> lines;
    std::istringstream in(bytes);
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        int year = 0, month = 0, day = 0, minutes = 0, consumed = 0;
        if (std::sscanf(text.c_str(), "%4d/%2d/%2d %5d %n", &year, &month, &day, &minutes,
                        &consumed) != 4 ||
            consumed <= 0 || minutes < 0 || static_cast<std::size_t>(consumed) >= text.size()) {
            continue;  // not one of ours: a torn or hand-made line gives nothing
        }
        lines.push_back({{year, month, day},
                         std::min(minutes, kMaxGrantMinutes),
                         text.substr(static_cast<std::size_t>(consumed))});
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
        char head[32];
        std::snprintf(head, sizeof head, "%04d/%02d/%02d %d ", std::get<0>(day), std::get<1>(day),
                      std::get<2>(day), total);
        out += head + name + "\n";
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
