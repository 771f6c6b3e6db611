#include "core/History.h"

#include <cstdio>

#include "core/FormatText.h"

#include "core/DataFile.h"

std::string FormatHistoryLine(const DayUsage& usage) {
    return FormatText("%04d-%02d-%02d %d ", std::get<0>(usage.day), std::get<1>(usage.day),
                      std::get<2>(usage.day), usage.minutes) +
           usage.category + "\n";
}

std::vector<DayUsage> ParseHistory(const std::string& bytes) {
    std::map<std::pair<RecordDate, std::string>, int> days;
    for (const std::string& text : SplitLines(bytes)) {
        RecordDate day;
        int minutes = 0;
        std::string category;
        if (ParseDayLine(text, '-', day, minutes, category)) days[{day, category}] = minutes;
    }
    std::vector<DayUsage> out;
    for (const auto& [key, minutes] : days) out.push_back({key.first, minutes, key.second});
    return out;
}

bool AppendHistory(const std::string& path, const std::vector<DayUsage>& lines,
                   std::size_t maxBytes, std::string& why) {
    std::string added;
    for (const DayUsage& usage : lines) added += FormatHistoryLine(usage);
    if (added.empty()) return true;
    const FileUpdate update =
        UpdateDataFile(path, kMaxHistoryBytes, [&](const FileContents& before) {
            if (before.state != FileState::Read) return added;
            if (before.bytes.size() + added.size() <= maxBytes) return before.bytes + added;
            // The older lines go first, so that a failure keeps them where they were.
            const FileUpdate rotated =
                UpdateDataFile(path + ".1", kMaxHistoryBytes,
                               [&before](const FileContents&) { return before.bytes; });
            return rotated.written ? added : before.bytes + added;
        });
    why = update.why;
    return update.written;
}

void DayLedger::Note(const DayUsage& usage) { m_latest[usage.category] = usage; }

std::vector<DayUsage> DayLedger::TakeEnded(const RecordDate& today) {
    std::vector<DayUsage> ended;
    for (auto it = m_latest.begin(); it != m_latest.end();) {
        if (it->second.day < today) {
            ended.push_back(it->second);
            it = m_latest.erase(it);
        } else {
            ++it;
        }
    }
    return ended;
}

std::vector<DayUsage> DayLedger::TakeAll() {
    std::vector<DayUsage> all;
    for (const auto& [category, usage] : m_latest) all.push_back(usage);
    m_latest.clear();
    return all;
}
