// A fresh directory under the system's temporary directory, removed afterwards,
// and a file held open the way another process would hold it.
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

// Holds the file as another copy of the program or another process could: an
// exclusive lock on Linux, an open without sharing on Windows; or `shared`, as
// anyone who may read it can: a shared lock, an open that shares reading only.
class HeldFile {
public:
    explicit HeldFile(const std::string& path, bool shared = false);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    void* m_handle = nullptr;
    int m_fd = -1;
};
