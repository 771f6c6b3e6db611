#include <gtest/gtest.h>

#include "core/CommandLine.h"
#include "core/ProgramDirectory.h"

TEST(ProgramDirectory, TextBeforeTheLastRealSeparator) {
    const struct {
        std::string exe;
        char separator;
        LeadByteTest leadBytes;
        std::string directory;
    } cases[] = {
        {"C:\\Tools\\hourgate.exe", '\\', IsCp932LeadByte, "C:\\Tools"},
        {"C:\\hourgate.exe", '\\', IsCp932LeadByte, "C:"},
        // 表 is 0x95 0x5C: its second byte is no separator.
        {"C:\\\x95\\\\hourgate.exe", '\\', IsCp932LeadByte, "C:\\\x95\\"},
        {"C:\\\x95\\", '\\', nullptr, "C:\\\x95"},  // single-byte code page: 0x5C separates
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgramDirectoryOf(c.exe, c.separator, c.leadBytes), c.directory) << c.exe;
    }
}

// Only where the package put the programs do their files live elsewhere.
TEST(ProgramDirectory, PackagedLayoutOnlyInThePackagesDirectories) {
    const std::string dirs = "/usr/bin:/usr/sbin";
    EXPECT_EQ(DataDirectoryFor("/usr/sbin", dirs, "/var/lib/hourgate"), "/var/lib/hourgate");
    EXPECT_EQ(DataDirectoryFor("/usr/bin", dirs, "/etc/hourgate"), "/etc/hourgate");
    for (const char* own : {"/usr", "/usr/bin/x", "/opt/hourgate", "", "/usr/sbi"}) {
        EXPECT_EQ(DataDirectoryFor(own, dirs, "/etc/hourgate"), own);
    }
    EXPECT_EQ(DataDirectoryFor("/usr/bin", dirs, ""), "/usr/bin");  // no packaged layout
}

TEST(CommandLine, SwitchesTheFirstFileAndWhatEndsAtOnce) {
    const struct {
        std::vector<const char*> args;
        char separator;
        bool dryRun;
        std::string file;
        int exitCode;  // -1: the program runs
    } cases[] = {
        {{"hg", "--dry-run", "/tmp/a", "/tmp/b"}, '/', true, "/tmp/a", -1},
        {{"hg.exe", "C:\\a.txt", "--dry-run"}, '\\', true, "C:\\a.txt", -1},
        {{"hg", "--version", "--help"}, '/', false, "", 0},
        {{"hg.exe", "/x"}, '\\', false, "", 2},
    };
    for (const auto& c : cases) {
        const CommandLineInfo info =
            ParseCommandLine(static_cast<int>(c.args.size()), c.args.data(), c.separator);
        EXPECT_EQ(info.dryRun, c.dryRun);
        EXPECT_EQ(info.file, c.file);
        EXPECT_EQ(AnswerCommandLine(info, stdout, stdout), c.exitCode);
    }
}
