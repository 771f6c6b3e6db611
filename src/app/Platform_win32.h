// The platform the portable core runs on under Win32: the system's clocks and
// time zone, the user name and module path, the view window's timer, the
// warning notice and the forced power-off.
#pragma once

#include <windows.h>

#include "app/Platform.h"

class Win32Platform : public HourgatePlatform {
public:
    explicit Win32Platform(bool dryRun) : m_bDryRun(dryRun) {}

    // The window that owns the usage timer and receives its expiries.
    void AttachView(HWND view) { m_hView = view; }
    // The message the view is handling, for Default().
    void SetCurrentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

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
};
