#include <gtest/gtest.h>

#include "doc/ProgramDirectory.h"
#include "usage/ExemptionList.h"

using V = std::vector<std::string>;

TEST(ExemptionList, ParsesLinesIntoSlots) {
    const std::pair<std::string, V> cases[] = {
        {"alice   \r\nbob\t\r\n  carol", V{"alice", "bob", "  carol"}},
        {"\n   \nbob\n", V{"", "", "bob"}},  // empty lines take slots
        {"alice\n\x1A"
         "bob\n",
         V{"alice"}},  // Ctrl+Z ends the file
        {std::string(30, 'x') + "\n" + std::string(31, 'y'), V{std::string(30, 'x'), ""}},
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
        {"alice", "  alice\n", "guest"},
        {"", "\n", "guest"},
        // A double-byte character whose second byte is 'A' is not the one ending in 'a'.
        {"\x83"
         "A",
         "\x83"
         "a\n",
         "guest"},
    };
    for (const auto& c : cases) {
        ExemptNameSlots names;
        int count = 0;
        ParseExemptionList(c.file, names, count);
        EXPECT_EQ(ResolveUsageCategory(c.login, names, count, IsCp932LeadByte), c.category);
    }
}
