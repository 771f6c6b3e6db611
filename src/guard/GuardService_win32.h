// The Windows guard service: the users' accountings, fed by the WTS sessions,
// and the pipe through which each user's tray program shows that user's
// figures. Everything runs on one thread, around a message-only window that
// carries the accountings' timers and receives what the service control
// handler posts from the dispatcher's thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "core/FailureLog.h"
#include "core/GuardAdmin.h"
#include "core/GuardedUsers.h"
#include "guard/GuardPipeServer_win32.h"
#include "guard/GuardPlatform_win32.h"
#include "guard/Sessions_win32.h"
#include "os/Handles_win32.h"
#include "os/System_win32.h"
#include "os/Window_win32.h"

// Posted to the service's window by the control handler: wParam the event,
// lParam the session id.
constexpr UINT WM_GUARD_SESSIONCHANGE = WM_APP + 1;

class GuardService : public CWnd {
public:
    // `console`: run by hand, so the log lines also go to standard error.
    // `sessionsFromCallers`: the test switch for Wine, which lists no sessions.
    GuardService(bool dryRun, bool console, bool sessionsFromCallers);
    ~GuardService() override { DestroyWindow(); }

    // Creates the window, which from then on queues what is posted to it.
    bool Create(std::string& why);
    // Creates the pipe, reads the sessions and, with
    // `protectFiles` (as a service), makes the guard's directory its own; false,
    // with the reason, when the guard cannot serve.
    bool Start(std::string& why, bool protectFiles);
    // Serves the pipe and the window until the window is closed (WM_CLOSE,
    // posted from any thread, stops the service).
    int Run();
    // After Run, at the guard's stop: today's counts go to the history.
    void Stop() { m_admin.Stop(); }

    // For the users' platforms.
    void SetUserTimer(const std::string& user, unsigned id, unsigned milliseconds);
    void KillUserTimer(const std::string& user, unsigned id);
    void SendNotice(const std::string& user, const std::string& message);
    // Requests the power-off after `delayMs`; an earlier pending request stands.
    // With `logOff`, only the user's sessions in use are ended, unless a
    // power-off is pending anyway.
    void RequestPowerOff(const std::string& user, UINT delayMs, bool logOff = false);
    // A line for the Application event log (and standard error when run by hand).
    // To the event log (information instead of warning when `info`), and run by
    // hand to standard error too.
    void Log(const std::string& line, EventKind kind = EventKind::Failure);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    GuardAnswer Answer(const GuardRequest& request, const GuardCaller& caller);
    // An administrator's request (hourgatectl); anyone else is refused and logged.
    GuardAnswer AnswerAdministrator(const GuardRequest& request, const GuardCaller& caller);
    void ApplySessions();
    void OnTimer(UINT_PTR id);
    void SendPowerOff();

    bool m_bDryRun;
    bool m_bConsole;
    bool m_bSessionsFromCallers;
    // The service's one event-log writer.
    EventLog m_eventLog;
    SystemWtsApi m_wts;
    WtsSessions m_sessions;
    bool m_bSessionsRead = false;
    GuardedUsers m_users;
    GuardPlatform m_ownPlatform;  // the guard's directory, clocks and log, for no user
    GuardAdmin m_admin;
    GuardPipeServer m_pipe;
    ScopedClass m_class;
    FailureLog m_failures;
    // The accountings' timers: (user, the view's timer id) <-> the window's timer id.
    std::map<std::pair<std::string, unsigned>, UINT_PTR> m_timerIds;
    std::map<UINT_PTR, std::pair<std::string, unsigned>> m_timerOwners;
    UINT_PTR m_nNextTimerId = 16;
    ULONGLONG m_nPowerOffDue = 0;  // tick count; 0 when none is pending
    std::string m_powerOffFor;
    bool m_bLogOff = false;
};
