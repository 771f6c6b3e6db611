#include <gtest/gtest.h>

#include "TempDir.h"
#include "usage/UsageRecord.h"

using namespace std::string_literals;

TEST(UsageRecord, WritesTheExact25Bytes) {
    const struct {
        UsageRecord record;
        std::string bytes;
    } cases[] = {
        {{2004, 1, 5, 9, 7, 0}, "2004/01/05 09:07 000000\0 "s},
        {{2003, 10, 13, 16, 5, 30}, "2003/10/13 16:05 000030\0 "s},
        {{0, 0, 0, -1, -1, 12}, "0000/00/00 -1:-1 000012\0 "s},
        {{2026, 12, 7, 23, 59, 999999}, "2026/12/07 23:59 999999\0 "s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatUsageRecord(c.record), c.bytes);
        EXPECT_EQ(ParseUsageRecord(c.bytes), c.record);
    }
}

TEST(UsageRecord, ReadsDamagedFilesTolerantly) {
    const struct {
        const char* what;
        std::string bytes;
        UsageRecord expected;
    } cases[] = {
        {"date only", "2003/10/13", {2003, 10, 13, 0, 0, 0}},
        {"short minutes, no NUL", "2003/10/13 16:05 30", {2003, 10, 13, 16, 5, 30}},
        {"other separators", "2003-10-13 16.05 000030", {2003, 10, 13, 16, 5, 30}},
        {"CR LF instead of NUL and space",
         "2003/10/13 16:05 000030\r\n",
         {2003, 10, 13, 16, 5, 30}},
        {"longer than 25 bytes", "2003/10/13 16:05 000030\0 9999999"s, {2003, 10, 13, 16, 5, 30}},
        {"NUL inside cuts the text", "2003/10/13 1\0:05 000030"s, {2003, 10, 13, 1, 0, 0}},
        {"letters stop a number", "2003/10/13 16:05 12a456", {2003, 10, 13, 16, 5, 12}},
        {"negative minutes", "2003/10/13 16:05 -00005", {2003, 10, 13, 16, 5, -5}},
        {"empty", "", {0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ParseUsageRecord(c.bytes), c.expected);
    }
}

TEST(UsageRecord, FileRoundTripAndAbsentVersusEmpty) {
    TempDir dir;
    const std::string path = UsageRecordPath(dir.path(), NativeSeparator(), "guest");
    EXPECT_EQ(path, dir.File("guest.txt"));

    EXPECT_FALSE(ReadUsageRecord(path).has_value()) << "a missing file is absent";
    dir.Write("guest.txt", "");
    ASSERT_TRUE(ReadUsageRecord(path).has_value()) << "an empty file is present";
    EXPECT_EQ(*ReadUsageRecord(path), (UsageRecord{0, 0, 0, 0, 0, 0}));

    WriteUsageRecord(path, {2026, 12, 7, 16, 5, 42});
    EXPECT_EQ(dir.Read("guest.txt"), "2026/12/07 16:05 000042\0 "s);
    EXPECT_EQ(*ReadUsageRecord(path), (UsageRecord{2026, 12, 7, 16, 5, 42}));
}

TEST(UsageRecord, RewriteReplacesLongerAndShorterFilesWhole) {
    TempDir dir;
    const std::string path = dir.File("taro.txt");
    dir.Write("taro.txt", "2003/10/13 16:05 000030\0 and a long tail of junk"s);
    WriteUsageRecord(path, {2026, 12, 7, 8, 0, 1});
    EXPECT_EQ(dir.Read("taro.txt"), "2026/12/07 08:00 000001\0 "s);

    dir.Write("taro.txt", "abc");
    WriteUsageRecord(path, {2026, 12, 7, 8, 1, 2});
    EXPECT_EQ(dir.Read("taro.txt"), "2026/12/07 08:01 000002\0 "s);
}

TEST(UsageRecord, UnwritablePlaceIsSkippedSilently) {
    TempDir dir;
    const std::string path = dir.File("missing-dir") + NativeSeparator() + "guest.txt";
    WriteUsageRecord(path, {2026, 12, 7, 8, 0, 1});
    EXPECT_FALSE(ReadUsageRecord(path).has_value());
}
