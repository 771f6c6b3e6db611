#include "core/UsageRecord.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/DataFile.h"
#include "core/FormatText.h"
#include "core/ProgramDirectory.h"

namespace {

constexpr std::size_t kBufferBytes = 30;

// The characters from `start`, at most `count` of them; empty past the end.
std::string Mid(const std::string& text, std::size_t start, std::size_t count) {
    return start >= text.size() ? std::string() : text.substr(start, count);
}

int FieldAt(const std::string& text, std::size_t start, std::size_t count) {
    return std::atoi(Mid(text, start, count).c_str());
}

// Exactly what FormatUsageRecord writes: "dddd/dd/dd dd:dd dddddd", a NUL, a space.
bool IsWellFormed(const std::string& bytes) {
    static const char kShape[] = "9999/99/99 99:99 999999";
    if (bytes.size() != kUsageRecordBytes || bytes[23] != '\0' || bytes[24] != ' ') return false;
    for (std::size_t i = 0; i < 23; ++i) {
        const bool digit = bytes[i] >= '0' && bytes[i] <= '9';
        if (kShape[i] == '9' ? !digit : bytes[i] != kShape[i]) return false;
    }
    return true;
}

}  // namespace

std::string UsageRecordPath(const std::string& programDirectory, char separator,
                            const std::string& category) {
    return JoinPath(programDirectory, separator, category + ".txt");
}

std::string FormatUsageRecord(const UsageRecord& r) {
    // The text, its terminating NUL, then the spaces the buffer was filled with.
    std::string buffer = FormatText("%04d/%02d/%02d %02d:%02d %06d", r.year, r.month, r.day, r.hour,
                                    r.minute, std::min(r.minutesUsed, kMaxRecordedMinutes));
    buffer.push_back('\0');
    buffer.resize(std::max(buffer.size(), kBufferBytes), ' ');
    return buffer.substr(0, kUsageRecordBytes);
}

UsageRecord ParseUsageRecord(const std::string& bytes) {
    std::string buffer(kBufferBytes, ' ');
    buffer.replace(0, std::min(bytes.size(), kUsageRecordBytes), bytes, 0, kUsageRecordBytes);
    const std::string text = buffer.substr(0, buffer.find('\0'));
    UsageRecord record;
    record.year = FieldAt(text, 0, 4);
    record.month = FieldAt(text, 5, 2);
    record.day = FieldAt(text, 8, 2);
    record.hour = FieldAt(text, 11, 2);
    record.minute = FieldAt(text, 14, 2);
    record.minutesUsed = std::max(FieldAt(text, 17, 6), 0);
    return record;
}

RecordFile ReadUsageRecord(const std::string& path) {
    FileContents file = ReadDataFile(path, kUsageRecordBytes, false);
    // A writer rewrites the 25 bytes in place; a read that met one halfway is
    // not well-formed, and the next read differs from it.
    for (int tries = 0; file.state == FileState::Read && !IsWellFormed(file.bytes) && tries < 5;
         ++tries) {
        const FileContents again = ReadDataFile(path, kUsageRecordBytes, false);
        const bool settled = again.state == file.state && again.bytes == file.bytes;
        file = again;
        if (settled) break;
    }
    RecordFile result{file.state, {}, file.why};
    if (file.state == FileState::Read) result.record = ParseUsageRecord(file.bytes);
    return result;
}

UsageRecord AddToRecord(const std::optional<UsageRecord>& before, const RecordAddition& add) {
    UsageRecord after = add.now;
    after.minutesUsed = add.minutes;
    if (before) {
        const RecordDate held = DateOf(*before);
        if (held >= DateOf(add.now) || (add.carriedFrom && held == *add.carriedFrom)) {
            after.minutesUsed = before->minutesUsed + add.minutes;
            if (held > DateOf(add.now)) std::tie(after.year, after.month, after.day) = held;
        }
    }
    after.minutesUsed = std::min(std::max(after.minutesUsed, 0), kMaxRecordedMinutes);
    return after;
}

RecordUpdate AddToUsageRecord(const std::string& path, const RecordAddition& add) {
    RecordUpdate result;
    const FileUpdate update =
        UpdateDataFile(path, kUsageRecordBytes, [&add, &result](const FileContents& before) {
            std::optional<UsageRecord> held;
            if (before.state == FileState::Read) held = ParseUsageRecord(before.bytes);
            result.record = AddToRecord(held, add);
            return FormatUsageRecord(result.record);
        });
    result.state = update.before.state;
    result.written = update.written;
    result.held = update.held;
    result.why = update.why;
    if (!update.written) {
        // The count to enforce is still the record's: read without the lock
        // (another's lock, or a record this user may read but not write), and
        // read again should that meet another's write halfway.
        const RecordFile file = ReadUsageRecord(path);
        std::optional<UsageRecord> held;
        if (file.state == FileState::Read) {
            result.state = FileState::Read;
            held = file.record;
        } else if (update.before.state == FileState::Read) {
            held = ParseUsageRecord(update.before.bytes);
        }
        result.record = AddToRecord(held, add);
    }
    return result;
}
