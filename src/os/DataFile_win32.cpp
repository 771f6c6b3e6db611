#include <windows.h>

#include <algorithm>
#include <string>

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

// Publishes a new file whole. `replace` puts it in the place of a link or a
// device; otherwise it only takes an empty place, and ERROR_ALREADY_EXISTS
// tells that another copy of the program created the file first.
DWORD CreateWhole(const std::string& path, const std::string& bytes, bool replace) {
    const std::string temporary = path + "." + std::to_string(::GetCurrentProcessId()) + ".tmp";
    DWORD error = ERROR_SUCCESS;
    {
        const ScopedFile file = OpenFileHandle(temporary.c_str(), GENERIC_WRITE, 0, CREATE_NEW);
        if (!file) return ::GetLastError();
        // The new name must not publish a record whose bytes are not on disk yet.
        error = WriteAll(file.get(), bytes);
        if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get())) error = ::GetLastError();
    }  // closed first: a file held open without sharing cannot be renamed
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (error == ERROR_SUCCESS && !::MoveFileExA(temporary.c_str(), path.c_str(), flags)) {
        error = ::GetLastError();
    }
    if (error != ERROR_SUCCESS) ::DeleteFileA(temporary.c_str());
    return error;
}

// Up to `maxBytes` from offset 0 of an open file; a read fault keeps what was read.
std::string ReadFrom(HANDLE file, std::size_t maxBytes) {
    std::string bytes;
    if (::SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return bytes;
    char buffer[4096];
    while (bytes.size() < maxBytes) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, maxBytes - bytes.size()));
        if (!::ReadFile(file, buffer, want, &n, nullptr) || n == 0) break;
        bytes.append(buffer, n);
    }
    return bytes;
}

// The copies of the program serialise their updates with a byte-range lock far
// past the data, so that the lock never stops anyone from reading the bytes.
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;

bool LockBriefly(HANDLE file) {
    for (int step = 1;; ++step) {
        OVERLAPPED at{};
        at.OffsetHigh = kLockOffsetHigh;
        if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            return true;
        }
        if (step == kShareWaitSteps || ::GetLastError() != ERROR_LOCK_VIOLATION) return false;
        ::Sleep(kShareWaitStepMilliseconds);
    }
}

void Unlock(HANDLE file) {
    OVERLAPPED at{};
    at.OffsetHigh = kLockOffsetHigh;
    ::UnlockFileEx(file, 0, 1, 0, &at);
}

}  // namespace

FileContents ReadDataFile(const std::string& path, std::size_t maxBytes, bool followLinks) {
    FileContents result;
    DWORD error = ERROR_SUCCESS;
    // Shared with the program's own writers, who serialise among themselves with
    // a lock: only another process's unshared open keeps a reader out.
    const ScopedFile file = OpenBriefly(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT, error);
    if (!file) {
        if (!IsNotThere(error) && !(error == ERROR_ACCESS_DENIED && IsDirectory(path))) {
            result = {FileState::Unreadable, std::string(), WindowsErrorText(error)};
        }
        return result;
    }
    if (!IsRegularFile(file.get())) return result;
    result.state = FileState::Read;
    result.bytes = ReadFrom(file.get(), maxBytes);
    return result;
}

FileUpdate UpdateDataFile(const std::string& path, std::size_t maxBytes,
                          const std::function<std::string(const FileContents&)>& change) {
    FileUpdate result;
    for (;;) {
        bool replace = false;
        {
            DWORD error = ERROR_SUCCESS;
            // The link itself, never its target. Reading the attributes, to tell a
            // regular file from a link, needs no right beyond listing the directory.
            const ScopedFile file = OpenBriefly(
                path, GENERIC_READ | GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_FLAG_OPEN_REPARSE_POINT, error);
            if (!file && !IsNotThere(error)) {
                result.before = {FileState::Unreadable, std::string(), WindowsErrorText(error)};
                result.why = result.before.why;
                return result;
            }
            if (file && IsRegularFile(file.get())) {
                const bool locked = LockBriefly(file.get());
                const DWORD lockError = locked ? ERROR_SUCCESS : ::GetLastError();
                result.before = {FileState::Read, ReadFrom(file.get(), maxBytes), std::string()};
                if (!locked) {
                    result.held = true;
                    result.why = WindowsErrorText(lockError);
                    return result;
                }
                // In place from offset 0, so only permission on the file is needed.
                const std::string bytes = change(result.before);
                error =
                    ::SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER
                        ? ::GetLastError()
                        : WriteAll(file.get(), bytes);
                if (error == ERROR_SUCCESS && !::SetEndOfFile(file.get())) error = ::GetLastError();
                if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get())) {
                    error = ::GetLastError();
                }
                Unlock(file.get());
                result.written = error == ERROR_SUCCESS;
                if (!result.written) result.why = WindowsErrorText(error);
                return result;
            }
            replace = static_cast<bool>(file);
        }  // a link or a device is let go of before the new file replaces it
        const DWORD error = CreateWhole(path, change(result.before), replace);
        // Two copies may find it missing at once: the second adds to the first's.
        if (!replace && (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)) continue;
        result.written = error == ERROR_SUCCESS;
        if (!result.written) result.why = WindowsErrorText(error);
        return result;
    }
}

std::string ReplaceDataFile(const std::string& path, const std::string& bytes) {
    const DWORD error = CreateWhole(path, bytes, true);
    return error == ERROR_SUCCESS ? std::string() : WindowsErrorText(error);
}
