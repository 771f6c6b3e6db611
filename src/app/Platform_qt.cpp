#include "app/Platform_qt.h"

#include <pwd.h>
#include <syslog.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "guard/GuardClient_qt.h"
#include "notify/ForcedPowerOff_qt.h"
#include "notify/WarningDlg_qt.h"
#include "usage/HourgateView_qt.h"
#include "usage/UsagePolicy.h"

std::int64_t QtPlatform::Now() const { return static_cast<std::int64_t>(::time(nullptr)); }

bool QtPlatform::ToLocalTime(std::int64_t time, LocalTimeFields& out) const {
    const time_t t = static_cast<time_t>(time);
    struct tm local = {};
    if (::localtime_r(&t, &local) == nullptr) return false;
    out = LocalTimeFields::From(local);
    return true;
}

std::int64_t QtPlatform::SleepStoppingMilliseconds() const {
    // CLOCK_MONOTONIC does not advance during suspend on Linux and ignores clock
    // changes, which is what the accounting needs.
    struct timespec ts = {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::int64_t QtPlatform::BootTimeMilliseconds() const {
    // CLOCK_BOOTTIME goes on during suspend and, like CLOCK_MONOTONIC, is not
    // moved when the wall clock is set.
    struct timespec ts = {};
    ::clock_gettime(CLOCK_BOOTTIME, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

std::optional<std::string> QtPlatform::UserName() const {
    // The real user id, not $USER or getlogin(): the first can be forged, the
    // second fails without a controlling terminal.
    long bufferSize = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (bufferSize <= 0) bufferSize = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(bufferSize));
    struct passwd entry = {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_name == nullptr) {
        return std::nullopt;
    }
    std::string name = found->pw_name;
    if (name.size() > kMaxLoginNameBytes) return std::nullopt;
    return name;
}

std::string QtPlatform::ExecutablePath() const {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size()) return std::string();
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

void QtPlatform::SetTimer(unsigned id, unsigned milliseconds) {
    if (m_viewWnd) m_viewWnd->SetCoreTimer(id, milliseconds);
}

void QtPlatform::KillTimer(unsigned id) {
    if (m_viewWnd) m_viewWnd->KillCoreTimer(id);
}

void QtPlatform::BaseInitialUpdate() {
    if (m_viewWnd) m_viewWnd->update();
}

void QtPlatform::ShowWarning(const std::string& message) {
    CWarningDlg dlg(m_mainWindow.data());
    dlg.m_strMessage = message;
    dlg.DoModal();
}

int QtPlatform::ForcedPowerOff() {
    // A dry run sends no request, not even to the guard.
    if (m_guard && !m_bDryRun) return m_guard->PowerOff(m_failures);
    return ::ForcedPowerOff(m_bDryRun, m_failures);
}

void QtPlatform::WriteSystemLog(const std::string& line) {
    ::syslog(LOG_WARNING, "%s", line.c_str());
}
