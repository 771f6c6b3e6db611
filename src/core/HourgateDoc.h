// The document: it holds no usage data, only the directories of the data files:
// beside the running executable, or where a package keeps them.
#pragma once

#include <string>

class HourgatePlatform;

class CHourgateDoc {
public:
    explicit CHourgateDoc(HourgatePlatform& platform) : m_platform(platform) {}

    // Recomputes both directories from the executable's path. Callers run it
    // immediately before each use of a directory.
    void UpdateProgramDirectory();
    // The document stores nothing, so a new document always succeeds.
    bool OnNewDocument() { return true; }

    std::string m_strProgramDirectory;  // the records and grants
    std::string m_strConfigDirectory;   // the exemption list and the limits

private:
    HourgatePlatform& m_platform;
};
