// The tray program's platform under Win32: the system's queries, the view
// window's timer, the warning notice and the forced power-off.
#pragma once

#include <windows.h>

#include "core/FailureLog.h"
#include "os/System_win32.h"

class Win32Platform : public Win32SystemPlatform {
public:
    explicit Win32Platform(bool dryRun) : m_bDryRun(dryRun) {}

    // The window that owns the usage timer and receives its expiries.
    void AttachView(HWND view) { m_hView = view; }
    // The message the view is handling, for Default().
    void SetCurrentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // A dry run sends no power-off request anywhere, not even to the guard.
    bool DryRun() const { return m_bDryRun; }

    void SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(unsigned id) override;
    void BaseInitialUpdate() override;
    void Default() override;
    void ShowWarning(const std::string& message) override;
    int ForcedPowerOff() override;
    int ForcedLogOff() override;

private:
    bool m_bDryRun;
    HWND m_hView = nullptr;
    MSG m_current{};
    FailureLog m_powerOffFailures{[this](const std::string& line) { WriteSystemLog(line); }};
};
