#include "app/Platform_win32.h"

#include <vector>

#include "notify/ForcedPowerOff_win32.h"
#include "notify/WarningDlg_win32.h"

namespace {

// The system's own limit for the user-name buffer: 38 characters and a terminator.
constexpr DWORD kUserNameBuffer = 39;

// FILETIME counts 100-nanosecond steps from 1601-01-01, 11644473600 s before 1970.
constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000;
constexpr std::int64_t kUnixEpochInFileTimeSeconds = 11644473600;
constexpr std::int64_t kLastFileTimeSecond =
    INT64_MAX / kFileTimeUnitsPerSecond - kUnixEpochInFileTimeSeconds;

bool IsLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != 0; }

}  // namespace

void Win32Platform::SetCurrentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    m_current.hwnd = window;
    m_current.message = message;
    m_current.wParam = wParam;
    m_current.lParam = lParam;
}

std::int64_t Win32Platform::Now() const { return ::_time64(nullptr); }

Win32Platform::~Win32Platform() {
    if (m_hEventSource) ::DeregisterEventSource(m_hEventSource);
}

bool Win32Platform::ToLocalTime(std::int64_t time, LocalTimeFields& out) const {
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

std::int64_t Win32Platform::SleepStoppingMilliseconds() const {
    ULONGLONG hundredNanoseconds = 0;
    ::QueryUnbiasedInterruptTime(&hundredNanoseconds);
    return static_cast<std::int64_t>(hundredNanoseconds / 10000);
}

std::optional<std::string> Win32Platform::UserName() const {
    char name[kUserNameBuffer] = {};
    DWORD size = kUserNameBuffer;
    if (!::GetUserNameA(name, &size)) return std::nullopt;
    return std::string(name);
}

std::string Win32Platform::ExecutablePath() const {
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

LeadByteTest Win32Platform::LeadBytes() const { return IsLeadByte; }

void Win32Platform::SetTimer(unsigned id, unsigned milliseconds) {
    ::SetTimer(m_hView, id, milliseconds, nullptr);
}

void Win32Platform::KillTimer(unsigned id) { ::KillTimer(m_hView, id); }

void Win32Platform::BaseInitialUpdate() { ::InvalidateRect(m_hView, nullptr, TRUE); }

void Win32Platform::Default() {
    ::DefWindowProcA(m_current.hwnd, m_current.message, m_current.wParam, m_current.lParam);
}

void Win32Platform::ShowWarning(const std::string& message) {
    CWarningDlg notice;
    notice.m_strMessage = message;
    notice.DoModal();
}

int Win32Platform::ForcedPowerOff() { return ::ForcedPowerOff(m_bDryRun, m_powerOffFailures); }

std::int64_t Win32Platform::BootTimeMilliseconds() const {
    // Runs on through sleep, and setting the clock does not move it. Not
    // QueryInterruptTime, which has the same properties: it exists only from
    // Windows 10 on and only in KernelBase, while the program runs on Windows 7;
    // the tick count's 10-16 ms steps are plenty for counting minutes.
    return static_cast<std::int64_t>(::GetTickCount64());
}

void Win32Platform::WriteSystemLog(const std::string& line) {
    if (!m_hEventSource) m_hEventSource = ::RegisterEventSourceA(nullptr, "Hourgate");
    const char* strings[] = {line.c_str()};
    // Where not even the event log takes it, a debugger may still see it.
    if (!m_hEventSource || !::ReportEventA(m_hEventSource, EVENTLOG_WARNING_TYPE, 0, 0, nullptr, 1,
                                           0, strings, nullptr)) {
        ::OutputDebugStringA(line.c_str());
    }
}
