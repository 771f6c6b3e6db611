#include "TempDir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

char NativeSeparator() { return static_cast<char>(fs::path::preferred_separator); }

TempDir::TempDir() {
    static int counter = 0;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = (fs::temp_directory_path() /
              ("hourgate-test-" + std::to_string(stamp) + "-" + std::to_string(counter++)))
                 .string();
    fs::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string TempDir::File(const std::string& name) const {
    return m_path + NativeSeparator() + name;
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
}

std::string TempDir::Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return in ? bytes.str() : "<absent>";
}

#ifdef _WIN32
HeldFile::HeldFile(const std::string& path, bool shared)
    : m_handle(::CreateFileA(path.c_str(), GENERIC_READ, shared ? FILE_SHARE_READ : 0, nullptr,
                             OPEN_EXISTING, 0, nullptr)) {}
HeldFile::~HeldFile() { ::CloseHandle(m_handle); }
#else
HeldFile::HeldFile(const std::string& path, bool shared) : m_fd(::open(path.c_str(), O_RDONLY)) {
    ::flock(m_fd, shared ? LOCK_SH : LOCK_EX);
}
HeldFile::~HeldFile() { ::close(m_fd); }
#endif
