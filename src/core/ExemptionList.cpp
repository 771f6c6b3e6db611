#include "core/ExemptionList.h"

#include <cstring>

#include "core/DataFile.h"
#include "core/Grants.h"
#include "core/History.h"
#include "core/Limits.h"
#include "core/ProgramDirectory.h"
#include "core/UsagePolicy.h"

namespace {

constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsUnsafeFileName(const std::string& name) {
    return name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos;
}

std::string TrimRight(std::string text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n\v\f");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

}  // namespace

void ParseExemptionList(const std::string& text, ExemptNameSlots& names, int& count) {
    const std::string content = text.substr(0, text.find('\x1A'));
    count = 0;
    std::size_t start = content.rfind(kUtf8ByteOrderMark, 0) == 0 ? 3 : 0;
    while (start < content.size() && count < kMaxExemptNames) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        const std::string name = TrimRight(content.substr(start, end - start));
        char* slot = names[count];
        std::memset(slot, 0, kExemptNameBytes);
        if (name.size() < kExemptNameBytes && name.find('\0') == std::string::npos) {
            std::memcpy(slot, name.data(), name.size());
        }
        ++count;
        start = end + 1;
    }
}

std::string LoadExemptionList(const std::string& programDirectory, char separator,
                              ExemptNameSlots& names, int& count) {
    const FileContents file = ReadDataFile(
        JoinPath(programDirectory, separator, kExemptionListFileName), std::string::npos, true);
    if (file.state == FileState::Read) ParseExemptionList(file.bytes, names, count);
    return file.why;
}

std::string ResolveUsageCategory(const std::string& loginName, const ExemptNameSlots& names,
                                 int count, LeadByteTest isLeadByte) {
    if (IsUnsafeFileName(loginName)) return kGuestCategory;
    for (int i = 0; i < count && i < kMaxExemptNames; ++i) {
        if (names[i][0] != '\0' && EqualsNoCase(loginName, names[i], isLeadByte)) {
            return loginName;
        }
    }
    return kGuestCategory;
}

bool IsProgramDataFile(const std::string& fileName, const ExemptNameSlots& names, int count,
                       LeadByteTest isLeadByte) {
    for (const char* own :
         {kExemptionListFileName, kLimitsFileName, kGrantsFileName, kHistoryFileName}) {
        if (fileName == own) return true;
    }
    if (fileName == std::string(kHistoryFileName) + ".1") return true;
    const std::string suffix = ".txt";
    if (fileName.size() <= suffix.size() ||
        fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const std::string stem = fileName.substr(0, fileName.size() - suffix.size());
    return ResolveUsageCategory(stem, names, count, isLeadByte) == stem;
}
