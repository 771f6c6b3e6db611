#include <gtest/gtest.h>

#include <cstring>

#include "TempDir.h"
#include "doc/ProgramDirectory.h"
#include "usage/ExemptionList.h"

using V = std::vector<std::string>;

TEST(ExemptionList, ParsesLinesIntoSlots) {
    const std::pair<std::string, V> cases[] = {
        {"", V{}},
        {"alice   \r\nbob\t\r\n  carol", V{"alice", "bob", "  carol"}},
        {"\n   \nbob\n", V{"", "", "bob"}},  // empty lines take slots
        {"alice\n\x1A"
         "bob\n",
         V{"alice"}},  // Ctrl+Z ends the file
        {std::string(30, 'x') + "\n" + std::string(31, 'y') + "\nbob",
         V{std::string(30, 'x'), "", "bob"}},
        {"a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\n", V{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}},
    };
    for (const auto& [text, slots] : cases) {
        ExemptNameSlots names;
        int count = -1;
        ParseExemptionList(text, names, count);
        EXPECT_EQ(V(names, names + count), slots) << text;
    }
}

TEST(ExemptionList, ResolvesTheCategoryInTheLoginNamesOwnForm) {
    const struct {
        const char* login;
        std::string file;
        const char* category;
    } cases[] = {
        {"alice", "Alice\n", "alice"},
        {"Taro", "taro\n", "Taro"},
        {"alice", "  alice\n", "guest"},
        {"hana", "alice\n", "guest"},
        {"k", "a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\n", "guest"},  // the eleventh line is ignored
        {"", "\n", "guest"},
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
        ExemptNameSlots names;
        int count = 0;
        ParseExemptionList(c.file, names, count);
        EXPECT_EQ(ResolveUsageCategory(c.login, names, count, IsCp932LeadByte), c.category)
            << c.login;
    }
}

TEST(ExemptionList, LoadsFromTheProgramDirectoryOrKeepsTheList) {
    TempDir dir;
    ExemptNameSlots names;
    std::strcpy(names[0], "kept");
    int count = 1;
    LoadExemptionList(dir.path(), NativeSeparator(), names, count);
    EXPECT_EQ(V(names, names + count), V{"kept"}) << "a missing file leaves the list as it was";
    dir.Write("Hourgate.ini", "alice\r\nbob\r\n");
    LoadExemptionList(dir.path(), NativeSeparator(), names, count);
    EXPECT_EQ(V(names, names + count), (V{"alice", "bob"}));
}
