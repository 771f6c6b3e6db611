#include <windows.h>

#include "app/Handles_win32.h"
#include "usage/DataFile.h"

namespace {

ScopedFile OpenUnshared(const std::string& path, DWORD access, DWORD disposition) {
    return OpenFileHandle(path.c_str(), access, 0 /* no sharing */, disposition);
}

}  // namespace

std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    const ScopedFile file = OpenUnshared(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return std::nullopt;
    std::string bytes(maxBytes, '\0');
    std::size_t got = 0;
    while (got < maxBytes) {
        DWORD n = 0;
        const DWORD want = static_cast<DWORD>(maxBytes - got);
        if (!::ReadFile(file.get(), &bytes[got], want, &n, nullptr) || n == 0) break;
        got += n;
    }
    bytes.resize(got);
    return bytes;
}

bool OverwriteFile(const std::string& path, const std::string& bytes) {
    const ScopedFile file = OpenUnshared(path, GENERIC_WRITE, OPEN_ALWAYS);
    if (!file) return false;
    DWORD written = 0;
    bool ok = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr) &&
              written == bytes.size();
    ok = ok && ::SetEndOfFile(file.get());  // the file pointer stands just after the new bytes
    ok = ok && ::FlushFileBuffers(file.get());
    return ok;
}
