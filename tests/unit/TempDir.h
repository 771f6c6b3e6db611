// A fresh directory under the system's temporary directory, removed afterwards.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // Path of a file in the directory, with the platform's separator.
    std::string File(const std::string& name) const;
    void Write(const std::string& name, const std::string& bytes) const;
    // The file's bytes, or "<absent>" when it does not exist.
    std::string Read(const std::string& name) const;

private:
    std::string m_path;
};

char NativeSeparator();
