// The usage record: one 25-byte line per usage category, beside the executable,
// carrying the minutes used on one day from one run of the program to the next.
#pragma once

#include <optional>
#include <string>
#include <tuple>

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
// Reads the record without its lock; a record caught half-rewritten (not
// well-formed, and different when read again) is read again.
RecordFile ReadUsageRecord(const std::string& path);

// The date a count belongs to: year, month, day.
using RecordDate = std::tuple<int, int, int>;
inline RecordDate DateOf(const UsageRecord& r) { return {r.year, r.month, r.day}; }

// What one accounting adds to its category's record.
struct RecordAddition {
    UsageRecord now;  // the date the accounting counts for, and the hour and minute of now
    int minutes = 0;  // counted since they last reached the record
    // A date the accounting's count left by a clock change, not by real time:
    // a record of that date carries its count to the new date.
    std::optional<RecordDate> carriedFrom;
};

// The record after an addition. The minutes are added to a record of the
// accounting's date, of a later date (a clock behind never moves a record's
// date back), or of the date it left by a clock change; any other record is an
// earlier day's, and the day starts at the added minutes.
UsageRecord AddToRecord(const std::optional<UsageRecord>& before, const RecordAddition& add);

struct RecordUpdate {
    FileState state = FileState::Absent;  // how the record was found
    UsageRecord record;    // as written; else the count to enforce: the record's and the minutes
    bool written = false;  // the minutes are in the record
    bool held = false;     // another process held the lock, so nothing was written
    std::string why;       // when not written
};
// Adds under the record's lock what AddToRecord says, as one step that no other
// copy of the program can come between, so that accountings sharing a record
// (the guests, a user's two sessions, two PCs on one share) all add up.
RecordUpdate AddToUsageRecord(const std::string& path, const RecordAddition& add);
