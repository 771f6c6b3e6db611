#include "core/ProgramDirectory.h"

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

int ReverseFindSeparator(const std::string& path, char separator, LeadByteTest isLeadByte) {
    int found = -1;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (isLeadByte && isLeadByte(byte) && i + 1 < path.size()) {
            ++i;  // skip the second byte: it belongs to this character
        } else if (path[i] == separator) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

std::string ProgramDirectoryOf(const std::string& executablePath, char separator,
                               LeadByteTest isLeadByte) {
    const int position = ReverseFindSeparator(executablePath, separator, isLeadByte);
    return executablePath.substr(0, position < 0 ? 0 : static_cast<std::size_t>(position));
}

std::string DataDirectoryFor(const std::string& programDirectory,
                             const std::string& packagedProgramDirectories,
                             const std::string& packaged) {
    std::size_t start = 0;
    while (!packaged.empty() && start <= packagedProgramDirectories.size()) {
        std::size_t end = packagedProgramDirectories.find(':', start);
        if (end == std::string::npos) end = packagedProgramDirectories.size();
        if (end > start &&
            packagedProgramDirectories.compare(start, end - start, programDirectory) == 0 &&
            programDirectory.size() == end - start) {
            return packaged;
        }
        start = end + 1;
    }
    return programDirectory;
}

std::string HourgatePlatform::ConfigurationDirectory() const {
    return ProgramDirectoryOf(ExecutablePath(), PathSeparator(), LeadBytes());
}

std::string HourgatePlatform::StateDirectory() const {
    return ProgramDirectoryOf(ExecutablePath(), PathSeparator(), LeadBytes());
}

std::string JoinPath(const std::string& directory, char separator, const std::string& fileName) {
    return directory + separator + fileName;
}
