#include <windows.h>

#include <algorithm>

#include "core/DataFile.h"
#include "os/Handles_win32.h"
#include "os/SystemError_win32.h"

namespace {

// Another copy of the program holds a record for well under a millisecond; a
// file refused for longer than this belongs to someone else and is not waited for.
constexpr int kShareWaitSteps = 20;
constexpr DWORD kShareWaitStepMilliseconds = 10;

bool IsNotThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_CANT_RESOLVE_FILENAME;  // a loop of links
}

// CreateFileA, trying again for a moment while another process has the file open
// in a way that excludes ours. `error` tells why an empty owner is returned.
ScopedFile OpenBriefly(const std::string& path, DWORD access, DWORD share, DWORD flags,
                       DWORD& error) {
    for (int step = 1;; ++step) {
        ScopedFile file = OpenFileHandle(path.c_str(), access, share, OPEN_EXISTING, flags);
        error = file ? ERROR_SUCCESS : ::GetLastError();
        if (file || step == kShareWaitSteps ||
            (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION)) {
            return file;
        }
        ::Sleep(kShareWaitStepMilliseconds);
    }
}

// A file on disk that is neither a directory nor a link (opened as itself):
// anything else counts as not there.
bool IsRegularFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
           (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

// A directory cannot be opened as a file at all; the open only says "access denied".
bool IsDirectory(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Writes all of `bytes` at the file pointer: ERROR_SUCCESS or the error.
DWORD WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
        return ::GetLastError();
    }
    return written == bytes.size() ? ERROR_SUCCESS : ERROR_HANDLE_DISK_FULL;
}

std::string CreateWhole(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + "." + std::to_string(::GetCurrentProcessId()) + ".tmp";
    DWORD error = ERROR_SUCCESS;
    {
        const ScopedFile file = OpenFileHandle(temporary.c_str(), GENERIC_WRITE, 0, CREATE_NEW);
        if (!file) return WindowsErrorText(::GetLastError());
        // The rename must not publish a record whose bytes are not on disk yet.
        error = WriteAll(file.get(), bytes);
        if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get())) error = ::GetLastError();
    }  // closed first: a file held open without sharing cannot be renamed
    if (error == ERROR_SUCCESS &&
        !::MoveFileExA(temporary.c_str(), path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
    }
    if (error == ERROR_SUCCESS) return std::string();
    ::DeleteFileA(temporary.c_str());
    return WindowsErrorText(error);
}

}  // namespace

FileContents ReadDataFile(const std::string& path, std::size_t maxBytes, bool followLinks) {
    FileContents result;
    DWORD error = ERROR_SUCCESS;
    // Readers share with each other; a writer opens without sharing and so keeps
    // them out, and they it, like the shared and exclusive locks elsewhere.
    const ScopedFile file = OpenBriefly(path, GENERIC_READ, FILE_SHARE_READ,
                                        followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT, error);
    if (!file) {
        if (!IsNotThere(error) && !(error == ERROR_ACCESS_DENIED && IsDirectory(path))) {
            result = {FileState::Unreadable, std::string(), WindowsErrorText(error)};
        }
        return result;
    }
    if (!IsRegularFile(file.get())) return result;
    result.state = FileState::Read;
    char buffer[4096];
    while (result.bytes.size() < maxBytes) {
        DWORD n = 0;
        const DWORD want =
            static_cast<DWORD>(std::min(sizeof buffer, maxBytes - result.bytes.size()));
        if (!::ReadFile(file.get(), buffer, want, &n, nullptr) || n == 0) break;
        result.bytes.append(buffer, n);
    }
    return result;
}

std::string WriteDataFile(const std::string& path, const std::string& bytes) {
    {
        DWORD error = ERROR_SUCCESS;
        // The link itself, never its target. Reading the attributes, to tell a
        // regular file from a link, needs no right beyond listing the directory.
        const ScopedFile file = OpenBriefly(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0,
                                            FILE_FLAG_OPEN_REPARSE_POINT, error);
        if (!file && !IsNotThere(error)) return WindowsErrorText(error);
        if (file && IsRegularFile(file.get())) {
            // In place from offset 0, so only write permission on the file is needed.
            error = WriteAll(file.get(), bytes);
            if (error == ERROR_SUCCESS && !::SetEndOfFile(file.get())) error = ::GetLastError();
            if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get())) error = ::GetLastError();
            return error == ERROR_SUCCESS ? std::string() : WindowsErrorText(error);
        }
    }  // a link or a device is let go of before the new file replaces it
    return CreateWhole(path, bytes);
}
