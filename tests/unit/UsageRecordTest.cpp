#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "TempDir.h"
#include "core/ExemptionList.h"
#include "core/UsageRecord.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace std::string_literals;

TEST(UsageRecord, Writes25BytesAndReadsDamagedOnesTolerantly) {
    const std::pair<UsageRecord, std::string> written[] = {
        {{2004, 1, 5, 9, 7, 0}, "2004/01/05 09:07 000000\0 "s},
        {{0, 0, 0, -1, -1, 12}, "0000/00/00 -1:-1 000012\0 "s},
        {{2026, 12, 7, 23, 59, 1000000}, "2026/12/07 23:59 999999\0 "s},  // held at the top
    };
    for (const auto& [record, bytes] : written) EXPECT_EQ(FormatUsageRecord(record), bytes);
    const std::pair<std::string, UsageRecord> read[] = {
        {"2003-10-13 16.05 000030\r\n", {2003, 10, 13, 16, 5, 30}},
        {"2003/10/13 16:05 000030\0 9999999"s, {2003, 10, 13, 16, 5, 30}},
        {"2003/10/13 1\0:05 000030"s, {2003, 10, 13, 1, 0, 0}},
        {"2003/10/13 16:05 -00100", {2003, 10, 13, 16, 5, 0}},  // malformed, no extra time
    };
    for (const auto& [bytes, record] : read) EXPECT_EQ(ParseUsageRecord(bytes), record) << bytes;
}

TEST(UsageRecord, AbsentEmptyHeldAndRewrittenWhole) {
    TempDir dir;
    const std::string path = UsageRecordPath(dir.path(), NativeSeparator(), "guest");
    EXPECT_EQ(ReadUsageRecord(path).state, FileState::Absent);
    dir.Write("guest.txt", "");
    EXPECT_EQ(ReadUsageRecord(path).record, UsageRecord{}) << "an empty file reads as zeros";
    dir.Write("guest.txt", "2003/10/13 16:05 000030\0 and a long tail of junk"s);
    EXPECT_EQ(WriteUsageRecord(path, {2026, 12, 7, 16, 5, 42}), "");
    EXPECT_EQ(dir.Read("guest.txt"), "2026/12/07 16:05 000042\0 "s);
    const auto started = std::chrono::steady_clock::now();
    {
        HeldFile held(path);  // another process's lock or unshared open
        EXPECT_EQ(ReadUsageRecord(path).state, FileState::Unreadable);
        EXPECT_NE(WriteUsageRecord(path, {2026, 12, 7, 16, 6, 0}), "");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_EQ(dir.Read("guest.txt"), "2026/12/07 16:05 000042\0 "s);
}

#ifndef _WIN32
TEST(DataFiles, NeitherFifosNorLinksAreFollowedOrWaitedFor) {
    TempDir dir;
    ::mkfifo(dir.File("guest.txt").c_str(), 0666);
    ::mkfifo(dir.File("Hourgate.ini").c_str(), 0666);
    dir.Write("victim", "keep");
    ::symlink(dir.File("victim").c_str(), dir.File("taro.txt").c_str());
    ExemptNameSlots names;
    int count = 0;
    EXPECT_EQ(LoadExemptionList(dir.path(), '/', names, count), "");
    EXPECT_EQ(ReadUsageRecord(dir.File("guest.txt")).state, FileState::Absent);
    EXPECT_EQ(ReadUsageRecord(dir.File("taro.txt")).state, FileState::Absent);
    for (const char* name : {"guest.txt", "taro.txt"}) {
        EXPECT_EQ(WriteUsageRecord(dir.File(name), {2026, 12, 7, 16, 0, 1}), "");
        EXPECT_EQ(dir.Read(name), "2026/12/07 16:00 000001\0 "s) << name;
    }
    EXPECT_EQ(dir.Read("victim"), "keep");
}

// Whether the record is created or rewritten, a writer killed at any moment
// leaves no empty or partial record behind.
TEST(DataFiles, AKilledWriterNeverLeavesAPartialRecord) {
    TempDir dir;
    const std::string path = dir.File("guest.txt");
    for (int round = 0; round < 40; ++round) {
        const pid_t writer = fork();
        if (writer == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a failed test
            for (int minutes = 0;; ++minutes) {
                if (minutes % 2) ::unlink(path.c_str());
                WriteUsageRecord(path, {2026, 12, 7, 16, 0, minutes});
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2 + round % 7));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        const std::string bytes = dir.Read("guest.txt");
        ASSERT_TRUE(bytes == "<absent>" || (bytes.size() == 25 && bytes.substr(23) == "\0 "s))
            << "round " << round << ": " << bytes.size() << " bytes";
    }
}
#endif
