// The platform the portable core runs on under Win32: the system's clocks and
// time zone, the user name and module path, the view window's timer, the
// warning notice, the forced power-off and the Application event log.
#pragma once

#include <windows.h>

#include "app/Platform.h"
#include "notify/FailureLog.h"

class Win32Platform : public HourgatePlatform {
public:
    explicit Win32Platform(bool dryRun) : m_bDryRun(dryRun) {}
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    // The window that owns the usage timer and receives its expiries.
    void AttachView(HWND view) { m_hView = view; }
    // The message the view is handling, for Default().
    void SetCurrentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // A dry run sends no power-off request anywhere, not even to the guard.
    bool DryRun() const { return m_bDryRun; }

    std::int64_t Now() const override;
    bool ToLocalTime(std::int64_t time, LocalTimeFields& out) const override;
    std::int64_t SleepStoppingMilliseconds() const override;
    std::int64_t BootTimeMilliseconds() const override;
    std::optional<std::string> UserName() const override;
    std::string ExecutablePath() const override;
    char PathSeparator() const override { return '\\'; }
    LeadByteTest LeadBytes() const override;
    void SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(unsigned id) override;
    void BaseInitialUpdate() override;
    void Default() override;
    void ShowWarning(const std::string& message) override;
    int ForcedPowerOff() override;
    void WriteSystemLog(const std::string& line) override;

private:
    bool m_bDryRun;
    HWND m_hView = nullptr;
    MSG m_current{};
    HANDLE m_hEventSource = nullptr;  // registered at the first line logged
    FailureLog m_powerOffFailures{[this](const std::string& line) { WriteSystemLog(line); }};
};
