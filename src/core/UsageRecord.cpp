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
    const FileContents file = ReadDataFile(path, kUsageRecordBytes, false);
    RecordFile result{file.state, {}, file.why};
    if (file.state == FileState::Read) result.record = ParseUsageRecord(file.bytes);
    return result;
}

std::string WriteUsageRecord(const std::string& path, const UsageRecord& record) {
    return WriteDataFile(path, FormatUsageRecord(record));
}
