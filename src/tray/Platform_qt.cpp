#include "tray/Platform_qt.h"

#include <syslog.h>
#include <unistd.h>

#include "core/UsagePolicy.h"
#include "os/ForcedPowerOff_qt.h"
#include "os/System_posix.h"
#include "tray/GuardClient_qt.h"
#include "tray/HourgateView_qt.h"
#include "tray/WarningDlg_qt.h"

std::optional<std::string> QtPlatform::UserName() const {
    // The real user id, not $USER or getlogin(): the first can be forged, the
    // second fails without a controlling terminal.
    return PosixUserName(::getuid());
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

int QtPlatform::ForcedPowerOff() { return ::ForcedPowerOff(m_bDryRun, m_failures); }

int QtPlatform::ForcedLogOff() { return ::ForcedLogOff(m_bDryRun, m_failures); }

GuardPowerOff QtPlatform::AskGuardPowerOff() {
    return m_guard ? m_guard->PowerOff(m_failures) : GuardPowerOff::Gone;
}

void QtPlatform::WriteSystemLog(const std::string& line) {
    ::syslog(LOG_WARNING, "%s", line.c_str());
}
