// The document: it holds no usage data, only the directory of the running
// executable, beside which the program keeps its data files.
#pragma once

#include <string>

class HourgatePlatform;

class CHourgateDoc {
public:
    explicit CHourgateDoc(HourgatePlatform& platform) : m_platform(platform) {}

    // Recomputes m_strProgramDirectory from the executable's path. Callers run it
    // immediately before each use of the directory.
    void UpdateProgramDirectory();
    // The document stores nothing, so a new document always succeeds.
    bool OnNewDocument() { return true; }

    std::string m_strProgramDirectory;

private:
    HourgatePlatform& m_platform;
};
