// libFuzzer target: whatever bytes a record file holds, the parsed count is
// never negative, and a parsed record is written back as 25 bytes that read the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/UsageRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const UsageRecord record =
        ParseUsageRecord(std::string(reinterpret_cast<const char*>(data), size));
    if (record.minutesUsed < 0 || record.minutesUsed > kMaxRecordedMinutes) __builtin_trap();
    const std::string bytes = FormatUsageRecord(record);
    if (bytes.size() != kUsageRecordBytes || !(ParseUsageRecord(bytes) == record)) __builtin_trap();
    return 0;
}
