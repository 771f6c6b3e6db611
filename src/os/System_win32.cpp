#include "os/System_win32.h"

#include <vector>

namespace {

// The system's own limit for the user-name buffer: 38 characters and a terminator.
constexpr DWORD kUserNameBuffer = 39;

// FILETIME counts 100-nanosecond steps from 1601-01-01, 11644473600 s before 1970.
constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000;
constexpr std::int64_t kUnixEpochInFileTimeSeconds = 11644473600;
constexpr std::int64_t kLastFileTimeSecond =
    INT64_MAX / kFileTimeUnitsPerSecond - kUnixEpochInFileTimeSeconds;

}  // namespace

std::int64_t Win32Now() { return ::_time64(nullptr); }

bool Win32LocalTime(std::int64_t time, LocalTimeFields& out) {
    // The system's time zone, the one the task bar clock shows: the run-time's
    // _localtime64 would follow a TZ variable any user can set for themselves,
    // and with it move the allowed hours and the date.
    if (time < -kUnixEpochInFileTimeSeconds || time > kLastFileTimeSecond) return false;
    const auto units =
        static_cast<ULONGLONG>((time + kUnixEpochInFileTimeSeconds) * kFileTimeUnitsPerSecond);
    const FILETIME fileTime{static_cast<DWORD>(units), static_cast<DWORD>(units >> 32)};
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!::FileTimeToSystemTime(&fileTime, &utc) ||
        !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return false;
    }
    out = {local.wYear - 1900, local.wMonth - 1, local.wDay,
           local.wHour,        local.wMinute,    local.wDayOfWeek};
    return true;
}

std::int64_t Win32SleepStoppingMilliseconds() {
    ULONGLONG hundredNanoseconds = 0;
    ::QueryUnbiasedInterruptTime(&hundredNanoseconds);
    return static_cast<std::int64_t>(hundredNanoseconds / 10000);
}

std::int64_t Win32BootTimeMilliseconds() {
    // Runs on through sleep, and setting the clock does not move it. Not
    // QueryInterruptTime, which has the same properties: it exists only from
    // Windows 10 on and only in KernelBase, while the program runs on Windows 7;
    // the tick count's 10-16 ms steps are plenty for counting minutes.
    return static_cast<std::int64_t>(::GetTickCount64());
}

std::optional<std::string> Win32UserName() {
    char name[kUserNameBuffer] = {};
    DWORD size = kUserNameBuffer;
    if (!::GetUserNameA(name, &size)) return std::nullopt;
    return std::string(name);
}

std::string Win32ExecutablePath() {
    // Grow the buffer rather than cut a long path, which would give a wrong directory.
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::string();
        if (n < path.size()) return std::string(path.data(), n);
        if (path.size() >= 32768) return std::string();
        path.resize(path.size() * 2);
    }
}

bool Win32IsLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != 0; }

EventLog::~EventLog() {
    if (m_hEventSource) ::DeregisterEventSource(m_hEventSource);
}

void EventLog::Write(const std::string& line, EventKind kind) {
    if (!m_hEventSource) m_hEventSource = ::RegisterEventSourceA(nullptr, "Hourgate");
    const WORD type = kind == EventKind::Fatal     ? EVENTLOG_ERROR_TYPE
                      : kind == EventKind::Refused ? EVENTLOG_WARNING_TYPE
                      : kind == EventKind::Failure ? EVENTLOG_WARNING_TYPE
                                                   : EVENTLOG_INFORMATION_TYPE;
    const char* strings[] = {line.c_str()};
    if (!m_hEventSource || !::ReportEventA(m_hEventSource, type, 0, static_cast<DWORD>(kind),
                                           nullptr, 1, 0, strings, nullptr)) {
        ::OutputDebugStringA(line.c_str());
    }
}
