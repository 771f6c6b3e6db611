#include <windows.h>

#include "usage/DataFile.h"

namespace {

HANDLE OpenUnshared(const std::string& path, DWORD access, DWORD disposition) {
    return ::CreateFileA(path.c_str(), access, 0 /* no sharing */, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    const HANDLE file = OpenUnshared(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes(maxBytes, '\0');
    std::size_t got = 0;
    while (got < maxBytes) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(maxBytes - got);
        if (!::ReadFile(file, &bytes[got], want, &n, nullptr) || n == 0) break;
        got += n;
    }
    ::CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

bool OverwriteFile(const std::string& path, const std::string& bytes) {
    const HANDLE file = OpenUnshared(path, GENERIC_WRITE, OPEN_ALWAYS);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size();
    ok = ok && ::SetEndOfFile(file);  // the file pointer stands just after the new bytes
    ok = ok && ::FlushFileBuffers(file);
    ::CloseHandle(file);
    return ok;
}
