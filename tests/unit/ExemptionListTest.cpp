#include <gtest/gtest.h>

#include <cstring>

#include "TempDir.h"
#include "doc/ProgramDirectory.h"
#include "usage/ExemptionList.h"

namespace {

std::vector<std::string> Parse(const std::string& text) {
    ExemptNameSlots names;
    int count = -1;
    ParseExemptionList(text, names, count);
    return std::vector<std::string>(names, names + count);
}

std::string Resolve(const std::string& login, const std::string& file) {
    ExemptNameSlots names;
    int count = 0;
    ParseExemptionList(file, names, count);
    return ResolveUsageCategory(login, names, count, IsCp932LeadByte);
}

}  // namespace

TEST(ExemptionList, ParsesLinesIntoSlots) {
    using V = std::vector<std::string>;
    const struct {
        const char* what;
        std::string text;
        V slots;
    } cases[] = {
        {"empty file", "", V{}},
        {"LF lines, last without end", "alice\nbob", V{"alice", "bob"}},
        {"CR LF and trailing blanks", "alice   \r\nbob\t\r\n", V{"alice", "bob"}},
        {"leading blanks stay", "  alice\n", V{"  alice"}},
        {"empty and blank lines take slots", "\n   \nbob\n", V{"", "", "bob"}},
        {"Ctrl+Z ends the file",
         "alice\n\x1A"
         "bob\n",
         V{"alice"}},
        {"30 bytes fit", std::string(30, 'x') + "\n", V{std::string(30, 'x')}},
        {"31 bytes take the slot as an empty entry", std::string(31, 'x') + "\nbob", V{"", "bob"}},
        {"more than ten lines", "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl\n",
         V{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Parse(c.text), c.slots);
    }
}

TEST(ExemptionList, ResolvesTheCategory) {
    const struct {
        const char* login;
        std::string file;
        const char* category;
    } cases[] = {
        {"alice", "Alice\n", "alice"},  // the login name's own form
        {"Taro", "taro\n", "Taro"},
        {"alice", "  alice\n", "guest"},
        {"alice", "alice   \r\n", "alice"},
        {"hana", "alice\n", "guest"},
        {"Guest", "guest\n", "Guest"},
        {"k", "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\n", "guest"},  // the eleventh line is ignored
        {"", "\n", "guest"},                                  // an empty entry matches nothing
        // A double-byte character whose second byte is 'A' is not the one ending in 'a'.
        {"\x83"
         "A",
         "\x83"
         "a\n",
         "guest"},
        {"\x83"
         "A",
         "\x83"
         "A\n",
         "\x83"
         "A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.login);
        EXPECT_EQ(Resolve(c.login, c.file), c.category);
    }
}

TEST(ExemptionList, LoadsFromTheProgramDirectory) {
    TempDir dir;
    ExemptNameSlots names;
    std::strcpy(names[0], "kept");
    int count = 1;
    LoadExemptionList(dir.path(), NativeSeparator(), names, count);
    EXPECT_EQ(count, 1) << "a missing file leaves the list as it was";
    EXPECT_STREQ(names[0], "kept");

    dir.Write("Hourgate.ini", "alice\r\nbob\r\n");
    LoadExemptionList(dir.path(), NativeSeparator(), names, count);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(names[0], "alice");
    EXPECT_STREQ(names[1], "bob");
}
