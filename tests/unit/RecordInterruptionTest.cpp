// A record that is being rewritten must never be seen empty or partial, even when
// the writer dies at any point: the power-off it requests may come at any moment.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "usage/UsageRecord.h"

#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>

namespace {

// The writer dies with this object, and with the test process, on every path.
struct Writer {
    pid_t pid;
    explicit Writer(const std::string& path) : pid(fork()) {
        if (pid != 0) return;
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        for (int minutes = 0;; minutes = (minutes + 1) % 1000000) {
            WriteUsageRecord(path, {2026, 12, 7, 16, 0, minutes});
        }
    }
    ~Writer() {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

}  // namespace

TEST(RecordInterruption, KilledWriterNeverLeavesAnEmptyOrPartialRecord) {
    TempDir dir;
    const std::string path = dir.File("guest.txt");
    WriteUsageRecord(path, {2026, 12, 7, 16, 0, 0});
    std::mt19937 random(12345);
    int reads = 0;
    for (int round = 0; round < 30; ++round) {
        Writer writer(path);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(5 + random() % 40);
        while (std::chrono::steady_clock::now() < deadline) {
            // Raw, as whatever is left after a crash would be read.
            char bytes[64] = {};
            const int fd = ::open(path.c_str(), O_RDONLY);
            const ssize_t n = ::read(fd, bytes, sizeof bytes);
            ::close(fd);
            ASSERT_EQ(n, 25) << "round " << round;
            ASSERT_EQ(ParseUsageRecord(std::string(bytes, 25)).year, 2026);
            ASSERT_EQ(std::string(bytes + 23, 2), std::string("\0 ", 2));
            ++reads;
        }
    }
    EXPECT_GT(reads, 100);
}
#endif
