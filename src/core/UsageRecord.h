// The usage record: one 25-byte line per usage category, beside the executable,
// carrying the minutes used on one day from one run of the program to the next.
#pragma once

#include <optional>
#include <string>

#include "core/DataFile.h"

struct UsageRecord {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int minutesUsed = 0;

    bool operator==(const UsageRecord& other) const {
        return year == other.year && month == other.month && day == other.day &&
               hour == other.hour && minute == other.minute && minutesUsed == other.minutesUsed;
    }
};

constexpr std::size_t kUsageRecordBytes = 25;
// The largest count the six digits of the record hold.
constexpr int kMaxRecordedMinutes = 999999;

// "<directory><separator><category>.txt"
std::string UsageRecordPath(const std::string& programDirectory, char separator,
                            const std::string& category);

// The 25 stored bytes: "%04d/%02d/%02d %02d:%02d %06d", a NUL, then a space.
std::string FormatUsageRecord(const UsageRecord& record);
// Tolerant reading of whatever a record file starts with: missing bytes count as
// spaces, the text ends at the first NUL, each field is read like atoi. A
// negative count is malformed and reads as 0.
UsageRecord ParseUsageRecord(const std::string& bytes);

struct RecordFile {
    FileState state = FileState::Absent;  // Read, Absent, or Unreadable this time
    UsageRecord record;                   // when Read
    std::string why;                      // when Unreadable
};
RecordFile ReadUsageRecord(const std::string& path);
// Replaces the record without ever leaving the file empty or partial; a count
// above what the record holds is stored as its largest value. Empty on success,
// else why the record could not be written.
std::string WriteUsageRecord(const std::string& path, const UsageRecord& record);
