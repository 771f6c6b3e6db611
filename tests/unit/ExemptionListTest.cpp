#include <gtest/gtest.h>

#include "TempDir.h"
#include "core/ExemptionList.h"
#include "core/ProgramDirectory.h"

using V = std::vector<std::string>;

TEST(ExemptionList, ParsesLinesIntoSlots) {
    const std::pair<std::string, V> cases[] = {
        {"\xEF\xBB\xBF"
         "alice   \r\nbob\t\r\n  carol",
         V{"alice", "bob", "  carol"}},    // BOM
        {"\n   \nbob", V{"", "", "bob"}},  // empty lines take slots
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

TEST(ExemptionList, ResolvesOnlyNamesThatStayInTheProgramDirectory) {
    TempDir dir;
    dir.Write("Hourgate.ini", std::string(70000, '#') +
                                  "\nAlice\n  bob\n\n\x83"
                                  "a\n..\n../x\n");
    ExemptNameSlots names;
    int count = 0;
    EXPECT_EQ(LoadExemptionList(dir.path(), NativeSeparator(), names, count), "");
    // The second byte of a double-byte character is no letter to fold.
    const std::pair<const char*, const char*> cases[] = {{"alice", "alice"},
                                                         {"bob", "guest"},
                                                         {"", "guest"},
                                                         {"\x83"
                                                          "A",
                                                          "guest"},
                                                         {"..", "guest"},
                                                         {"../x", "guest"}};
    for (const auto& [login, category] : cases) {
        EXPECT_EQ(ResolveUsageCategory(login, names, count, IsCp932LeadByte), category) << login;
    }
}

TEST(ExemptionList, InstallerListBecomesLinesOrIsRefused) {
    const std::pair<std::string, std::string> cases[] = {
        {" taro ,,\x89\xD4\x8E\x71", "taro\r\n\x89\xD4\x8E\x71\r\n"},  // 花子
        // 表, whose second byte is '\', and ten names.
        {"\x95\x5C,a,b,c,d,e,f,g,h,i", "\x95\x5C\r\na\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh\r\ni\r\n"},
        {"a,b,c,d,e,f,g,h,i,j,k", "more than 10 names"},
        {std::string(31, 'x'), std::string(31, 'x') + " is longer than 30 bytes"},
        {"taro;hanako", "taro;hanako: a login name cannot have ';'"},
        {"ta\tro", "name 1 has a control character"},
        {" , ", "the list names no one"},
    };
    for (const auto& [names, result] : cases) {
        std::string text, why;
        const bool ok = FormatExemptionList(names, IsCp932LeadByte, text, why);
        EXPECT_EQ(ok ? text : why, result) << names;
    }
}
