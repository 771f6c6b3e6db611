#include <gtest/gtest.h>

#include <chrono>

#include "TempDir.h"
#include "usage/UsageRecord.h"

using namespace std::string_literals;

TEST(UsageRecord, WritesTheExact25BytesAndReadsThemBack) {
    const std::pair<UsageRecord, std::string> cases[] = {
        {{2004, 1, 5, 9, 7, 0}, "2004/01/05 09:07 000000\0 "s},
        {{0, 0, 0, -1, -1, 12}, "0000/00/00 -1:-1 000012\0 "s},
        {{2026, 12, 7, 23, 59, 999999}, "2026/12/07 23:59 999999\0 "s},
    };
    for (const auto& [record, bytes] : cases) {
        EXPECT_EQ(FormatUsageRecord(record), bytes);
        EXPECT_EQ(ParseUsageRecord(bytes), record);
    }
}

TEST(UsageRecord, ReadsDamagedFilesTolerantly) {
    const std::pair<std::string, UsageRecord> cases[] = {
        {"2003-10-13 16.05 000030\r\n", {2003, 10, 13, 16, 5, 30}},
        {"2003/10/13 16:05 000030\0 9999999"s, {2003, 10, 13, 16, 5, 30}},
        {"2003/10/13 1\0:05 000030"s, {2003, 10, 13, 1, 0, 0}},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(ParseUsageRecord(bytes), expected) << bytes;
}

TEST(UsageRecord, FileRoundTripAbsentVersusEmptyAndWholeRewrites) {
    TempDir dir;
    const std::string path = UsageRecordPath(dir.path(), NativeSeparator(), "guest");
    EXPECT_FALSE(ReadUsageRecord(path).has_value()) << "a missing file is absent";
    dir.Write("guest.txt", "");
    EXPECT_EQ(ReadUsageRecord(path), (UsageRecord{})) << "an empty file reads as zeros";

    dir.Write("guest.txt", "2003/10/13 16:05 000030\0 and a long tail of junk"s);
    WriteUsageRecord(path, {2026, 12, 7, 16, 5, 42});
    EXPECT_EQ(dir.Read("guest.txt"), "2026/12/07 16:05 000042\0 "s);

    WriteUsageRecord(dir.File("missing-dir") + NativeSeparator() + "x.txt", {2026, 1, 1, 0, 0, 1});
    EXPECT_EQ(dir.Read("missing-dir"), "<absent>") << "an unwritable place is skipped";
}

TEST(UsageRecord, AnOpenNeverWaitsForAnotherHolderOfTheFile) {
    TempDir dir;
    const std::string path = dir.File("guest.txt");
    WriteUsageRecord(path, {2026, 12, 7, 16, 0, 7});
    const auto started = std::chrono::steady_clock::now();
    {
        HeldFile held(path);
        ReadUsageRecord(path);
        WriteUsageRecord(path, {2026, 12, 7, 16, 1, 8});
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_TRUE(ReadUsageRecord(path).has_value()) << "the file is free again afterwards";
}
