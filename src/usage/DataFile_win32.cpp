#include <windows.h>

#include <algorithm>

#include "app/Handles_win32.h"
#include "usage/DataFile.h"

namespace {

std::string Reason(DWORD error) { return "Windows error " + std::to_string(error); }

bool IsNotThere(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

ScopedFile OpenUnshared(const std::string& path, DWORD access, DWORD disposition) {
    return OpenFileHandle(path.c_str(), access, 0 /* no sharing */, disposition);
}

}  // namespace

FileContents ReadDataFile(const std::string& path, std::size_t maxBytes, bool /*followLinks*/) {
    FileContents result;
    const ScopedFile file = OpenUnshared(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) {
        const DWORD error = ::GetLastError();
        if (!IsNotThere(error)) result = {FileState::Unreadable, std::string(), Reason(error)};
        return result;
    }
    result.state = FileState::Read;
    char buffer[4096];
    while (result.bytes.size() < maxBytes) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, maxBytes - result.bytes.size()));
        if (!::ReadFile(file.get(), buffer, want, &n, nullptr) || n == 0) break;
        result.bytes.append(buffer, n);
    }
    return result;
}

std::string WriteDataFile(const std::string& path, const std::string& bytes) {
    const ScopedFile file = OpenUnshared(path, GENERIC_WRITE, OPEN_ALWAYS);
    if (!file) return Reason(::GetLastError());
    DWORD written = 0;
    bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr) &&
              written == bytes.size();
    ok = ok && ::SetEndOfFile(file.get());  // the file pointer stands just after the new bytes
    ok = ok && ::FlushFileBuffers(file.get());
    return ok ? std::string() : Reason(::GetLastError());
}
