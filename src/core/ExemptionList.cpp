#include "core/ExemptionList.h"

#include <cstring>

#include "core/DataFile.h"
#include "core/FormatText.h"
#include "core/Grants.h"
#include "core/History.h"
#include "core/Limits.h"
#include "core/ProgramDirectory.h"
#include "core/UsagePolicy.h"

namespace {

constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// Besides ',', which separates the names in the installer's list.
constexpr const char* kNotInLoginNames = "\"/\\[]:;|=+*?<>";

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

bool FormatExemptionList(const std::string& commaSeparated, LeadByteTest isLeadByte,
                         std::string& text, std::string& why) {
    text.clear();
    int count = 0;
    // Splitting on the byte is safe: a double-byte character's second byte is never ','.
    for (std::size_t start = 0; start <= commaSeparated.size();) {
        std::size_t end = commaSeparated.find(',', start);
        if (end == std::string::npos) end = commaSeparated.size();
        std::string name = commaSeparated.substr(start, end - start);
        start = end + 1;
        name.erase(0, name.find_first_not_of(" \t"));
        name = TrimRight(name);
        if (name.empty()) continue;
        if (++count > kMaxExemptNames) {
            why = FormatText("more than %d names", kMaxExemptNames);
            return false;
        }
        if (name.size() >= kExemptNameBytes) {
            why = FormatText("%s is longer than %d bytes", name.c_str(), kExemptNameBytes - 1);
            return false;
        }
        for (std::size_t i = 0; i < name.size(); ++i) {
            const auto byte = static_cast<unsigned char>(name[i]);
            if (byte < 0x20 || byte == 0x7F) {
                why = FormatText("name %d has a control character", count);
                return false;
            }
            if (std::strchr(kNotInLoginNames, byte)) {
                why = FormatText("%s: a login name cannot have '%c'", name.c_str(), byte);
                return false;
            }
            if (isLeadByte && isLeadByte(byte)) ++i;  // its second byte may be any
        }
        text += name + "\r\n";
    }
    if (count == 0) why = "the list names no one";
    return count > 0;
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
