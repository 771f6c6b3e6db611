#include "os/System_posix.h"

#include <pwd.h>
#include <time.h>
#include <unistd.h>

#include <vector>

#include "core/ProgramDirectory.h"
#include "core/UsagePolicy.h"

namespace {

std::int64_t Milliseconds(clockid_t clock) {
    struct timespec ts = {};
    ::clock_gettime(clock, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

std::int64_t PosixNow() { return static_cast<std::int64_t>(::time(nullptr)); }

bool PosixLocalTime(std::int64_t time, LocalTimeFields& out) {
    const time_t t = static_cast<time_t>(time);
    struct tm local = {};
    if (::localtime_r(&t, &local) == nullptr) return false;
    out = LocalTimeFields::From(local);
    return true;
}

std::int64_t PosixSleepStoppingMilliseconds() { return Milliseconds(CLOCK_MONOTONIC); }

std::int64_t PosixBootTimeMilliseconds() { return Milliseconds(CLOCK_BOOTTIME); }

std::optional<std::string> PosixUserName(uid_t uid) {
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (bufferSize <= 0) bufferSize = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize));
    struct passwd entry = {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_name == nullptr) {
        return std::nullopt;
    }
    std::string name = found->pw_name;
    if (name.size() > kMaxLoginNameBytes) return std::nullopt;
    return name;
}

std::string PosixExecutablePath() {
    // Read once: the program's files are where it started, and the guard asks
    // for them at every tick.
    static const std::string path = [] {
        std::vector<char> buffer(4096);
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return std::string();
        return std::string(buffer.data(), static_cast<std::size_t>(n));
    }();
    return path;
}

namespace {

std::string PackagedOr(const char* packaged) {
    return DataDirectoryFor(ProgramDirectoryOf(PosixExecutablePath(), '/', nullptr),
                            HOURGATE_PACKAGED_PROGRAM_DIRS, packaged);
}

}  // namespace

std::string PosixConfigurationDirectory() { return PackagedOr(HOURGATE_PACKAGED_CONFIG_DIR); }

std::string PosixStateDirectory() { return PackagedOr(HOURGATE_PACKAGED_STATE_DIR); }

std::string PosixModuleDirectory() { return PackagedOr(HOURGATE_PACKAGED_MODULE_DIR); }
