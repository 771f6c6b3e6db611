#include "tray/Platform_win32.h"

#include "os/ForcedPowerOff_win32.h"
#include "tray/WarningDlg_win32.h"

void Win32Platform::SetCurrentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    m_current.hwnd = window;
    m_current.message = message;
    m_current.wParam = wParam;
    m_current.lParam = lParam;
}

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

int Win32Platform::ForcedLogOff() { return ::ForcedLogOff(m_bDryRun, m_powerOffFailures); }
