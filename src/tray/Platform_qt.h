// The core's platform on Linux with Qt: POSIX clocks and user database,
// /proc/self/exe, the view widget's timers, the warning notice and logind.
#pragma once

#include <QPointer>
#include <QWidget>

#include "core/FailureLog.h"
#include "core/GuardedExit.h"
#include "os/System_posix.h"

class CHourgateViewWnd;
class GuardClient;

class QtPlatform : public PosixPlatform {
public:
    explicit QtPlatform(bool dryRun)
        : m_bDryRun(dryRun),
          m_failures([this](const std::string& line) { WriteSystemLog(line); }) {}

    // The widget that carries the view's timers and paints it.
    void AttachView(CHourgateViewWnd* viewWnd) { m_viewWnd = viewWnd; }
    // Notices are centred over this window while it is shown, else on the screen.
    void SetMainWindow(QWidget* mainWindow) { m_mainWindow = mainWindow; }
    // Guarded mode: the guard counts, and the power-off is its to request.
    void UseGuard(GuardClient* guard) { m_guard = guard; }
    GuardClient* Guard() const { return m_guard; }
    bool DryRun() const { return m_bDryRun; }
    // The exit command's request handed to the guard.
    GuardPowerOff AskGuardPowerOff();

    std::optional<std::string> UserName() const override;
    void SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(unsigned id) override;
    void BaseInitialUpdate() override;
    void Default() override {}
    void ShowWarning(const std::string& message) override;
    int ForcedPowerOff() override;
    int ForcedLogOff() override;
    void WriteSystemLog(const std::string& line) override;

private:
    bool m_bDryRun;
    FailureLog m_failures;
    CHourgateViewWnd* m_viewWnd = nullptr;
    GuardClient* m_guard = nullptr;
    QPointer<QWidget> m_mainWindow;
};
