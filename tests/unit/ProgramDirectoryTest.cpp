#include <gtest/gtest.h>

#include "doc/ProgramDirectory.h"

TEST(ProgramDirectory, TextBeforeTheLastRealSeparator) {
    const struct {
        std::string exe;
        char separator;
        LeadByteTest leadBytes;
        std::string directory;
    } cases[] = {
        {"C:\\Tools\\hourgate.exe", '\\', IsCp932LeadByte, "C:\\Tools"},
        {"C:\\hourgate.exe", '\\', IsCp932LeadByte, "C:"},
        {"hourgate.exe", '\\', IsCp932LeadByte, ""},
        // 表 is 0x95 0x5C and ソ is 0x83 0x5C: their second byte is no separator.
        {"C:\\\x95\\\\hourgate.exe", '\\', IsCp932LeadByte, "C:\\\x95\\"},
        {"C:\\\x83\\\x83\\\\h.exe", '\\', IsCp932LeadByte, "C:\\\x83\\\x83\\"},
        {"C:\\x\\\x83\\", '\\', IsCp932LeadByte, "C:\\x"},
        {"C:\\\x95\\", '\\', nullptr, "C:\\\x95"},  // single-byte code page: 0x5C is a separator
        {"/opt/hourgate/bin/hourgate", '/', nullptr, "/opt/hourgate/bin"},
        {"/hourgate", '/', nullptr, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exe);
        EXPECT_EQ(ProgramDirectoryOf(c.exe, c.separator, c.leadBytes), c.directory);
    }
}
