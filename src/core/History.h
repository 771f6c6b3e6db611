// The guard's usage history: one line per category and day, appended to
// "history.log" beside the records when a day ends and when the guard stops, so
// that past days outlive the record, which holds only the latest one.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "core/Grants.h"
#include "core/UsageRecord.h"

constexpr const char* kHistoryFileName = "history.log";
// Never read beyond this, whatever size an administrator allows.
constexpr std::size_t kMaxHistoryBytes = 64u * 1024 * 1024;

struct DayUsage {
    RecordDate day;
    int minutes = 0;
    std::string category;

    bool operator==(const DayUsage& other) const {
        return day == other.day && minutes == other.minutes && category == other.category;
    }
};

// "YYYY-MM-DD MINUTES CATEGORY\n"
std::string FormatHistoryLine(const DayUsage& usage);
// The days in the history, oldest first. A day and category written more than
// once (at a stop, then at the day's end) count as their last line.
std::vector<DayUsage> ParseHistory(const std::string& bytes);

// Appends the lines; when the file would grow past `maxBytes` it is first moved
// to "history.log.1" (replacing the one before), so that at most twice the
// size is kept. False, with the system's reason, when the lines are not written.
bool AppendHistory(const std::string& path, const std::vector<DayUsage>& lines,
                   std::size_t maxBytes, std::string& why);

// The latest count of each category, until it is written to the history.
class DayLedger {
public:
    void Note(const DayUsage& usage);
    // The counts of days before `today`: their days have ended.
    std::vector<DayUsage> TakeEnded(const RecordDate& today);
    // Every count, at the guard's stop (today's is written again at its end).
    std::vector<DayUsage> TakeAll();

private:
    std::map<std::string, DayUsage> m_latest;  // by category
};
