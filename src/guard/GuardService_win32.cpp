#include "guard/GuardService_win32.h"

#include <cstdio>

#include "core/DryRun.h"
#include "core/ProgramDirectory.h"
#include "guard/GuardFiles_win32.h"
#include "guard/GuardPlatform_win32.h"
#include "os/ForcedPowerOff_win32.h"

namespace {

constexpr const char* kServiceWindowClass = "HourgateGuard";
constexpr UINT_PTR kPowerOffTimerId = 1;

// Account names are the same whatever their case.
bool SameAccount(const std::string& a, const std::string& b) {
    return ::CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) ==
           CSTR_EQUAL;
}

}  // namespace

GuardService::GuardService(bool dryRun, bool console, bool sessionsFromCallers)
    : m_bDryRun(dryRun),
      m_bConsole(console),
      m_bSessionsFromCallers(sessionsFromCallers),
      m_sessions(m_wts, sessionsFromCallers),
      m_users(
          [this](const std::string& user) { return std::make_unique<GuardPlatform>(*this, user); }),
      m_ownPlatform(*this, std::string()),
      m_admin(m_users, m_ownPlatform),
      m_pipe([this](const GuardRequest& request, const GuardCaller& caller) {
          return Answer(request, caller);
      }),
      m_failures([this](const std::string& line) { Log(line); }) {}

void GuardService::Log(const std::string& line, EventKind kind) {
    m_eventLog.Write(line, kind);
    if (!m_bConsole) return;
    std::fprintf(stderr, "hourgated: %s\n", line.c_str());
    std::fflush(stderr);
}

bool GuardService::Create(std::string& why) {
    WNDCLASSEXA windowClass{};
    windowClass.lpszClassName = kServiceWindowClass;
    m_class.reset(RegisterWindowClass(windowClass));
    if (!m_class || !CreateEx(0, kServiceWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr)) {
        why = "cannot create the service's window (Windows error " +
              std::to_string(::GetLastError()) + ")";
        return false;
    }
    return true;
}

bool GuardService::Start(std::string& why, bool protectFiles) {
    // Run by hand (a test, or a copy in a build directory), the directory stays as it is.
    if (protectFiles) {
        ProtectGuardDirectory(ProgramDirectoryOf(Win32ExecutablePath(), '\\', Win32IsLeadByte),
                              [this](const std::string& line) { Log(line); });
    }
    if (!m_pipe.Start(why)) return false;
    m_bSessionsRead = m_sessions.ReadAll();
    if (!m_bSessionsRead) {
        // Read again at the next session change.
        Log("cannot list the sessions (Windows error " + std::to_string(::GetLastError()) + ")");
    } else if (m_sessions.ListsNoSessions()) {
        Log(m_bSessionsFromCallers
                ? "the system lists no sessions (as under Wine): a tray program's session "
                  "counts from its first call (--sessions-from-callers)"
                : "the system lists no sessions: no one is counted");
    }
    ApplySessions();
    return true;
}

int GuardService::Run() {
    for (;;) {
        const DWORD count = m_pipe.EventCount();
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(count, m_pipe.Events(), m_pipe.MillisecondsToDeadline(),
                                          QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke < WAIT_OBJECT_0 + count) {
            m_pipe.OnEvent(woke - WAIT_OBJECT_0);
            continue;
        }
        if (woke == WAIT_TIMEOUT) {
            m_pipe.ExpireCallers();
            continue;
        }
        if (woke == WAIT_FAILED) return 1;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            ::DispatchMessageA(&message);
        }
    }
}

void GuardService::ApplySessions() { m_users.Apply(m_sessions.Table()); }

GuardAnswer GuardService::AnswerAdministrator(const GuardRequest& request,
                                              const GuardCaller& caller) {
    static const std::map<GuardMethod, const char*> kWhat = {
        {GuardMethod::AdminStatus, "status"},
        {GuardMethod::AdminGrant, "grant"},
        {GuardMethod::AdminSet, "set"},
        {GuardMethod::AdminReload, "reload"},
        {GuardMethod::AdminHistory, "history"}};
    if (!caller.administrator) {
        Log(std::string(kWhat.at(request.method)) + " refused to " +
                (caller.user.empty() ? "?" : caller.user) + ": not an administrator",
            EventKind::Refused);
        return GuardAnswer::Error(kGuardErrorRefused, "not an administrator");
    }
    AdminResult result;
    switch (request.method) {
        case GuardMethod::AdminGrant:
            result = m_admin.Grant(request.user, request.number);
            break;
        case GuardMethod::AdminSet:
            result = m_admin.SetMinutes(request.user, request.number);
            break;
        case GuardMethod::AdminReload:
            result = m_admin.Reload();
            break;
        case GuardMethod::AdminHistory:
            result = m_admin.History(request.user, request.number);
            break;
        default:
            result = m_admin.Status();
            break;
    }
    if (!result.ok) return GuardAnswer::Error(kGuardErrorFailed, result.error);
    // The pipe's answer has a bound that the bus's has not: rather no rows than some.
    const std::optional<GuardAnswer> sent =
        DecodeGuardAnswer(EncodeGuardAnswer(GuardAnswer::Lines(result.rows)));
    if (!sent || sent->lines.size() != result.rows.size()) {
        return GuardAnswer::Error(kGuardErrorFailed,
                                  "too many rows for one answer: ask for fewer days");
    }
    return *sent;
}

GuardAnswer GuardService::Answer(const GuardRequest& request, const GuardCaller& caller) {
    if (request.method != GuardMethod::Status && request.method != GuardMethod::PowerOff) {
        return AnswerAdministrator(request, caller);
    }
    if (m_sessions.OnCaller(caller.session, caller.user)) ApplySessions();
    // Only for the user of the caller's own session: a program of another
    // account started inside someone's session learns nothing and decides nothing.
    const std::optional<SessionTable::Session> session =
        m_sessions.Table().Find(std::to_string(caller.session));
    if (caller.user.empty() || !session || !SameAccount(session->user, caller.user)) {
        return GuardAnswer::Error(kGuardErrorNotCounted);
    }
    const std::string& user = session->user;
    if (request.method == GuardMethod::Status) {
        if (!m_users.Find(user)) return GuardAnswer::Error(kGuardErrorNotCounted);
        return GuardAnswer::Lines(m_users.StatusLines(user));
    }
    // Only a user at the machine may end everyone's session with it, from it.
    if (StandingOf(m_sessions.Table(), std::to_string(caller.session),
                   [&caller](const std::string& name) { return SameAccount(name, caller.user); }) !=
        CallerStanding::Counting) {
        Log("power-off refused to " + user + ": not from the seat's active session",
            EventKind::Refused);
        return GuardAnswer::Error(kGuardErrorRefused);
    }
    Log("power-off for " + user + ": the exit command without the password", EventKind::PowerOff);
    RequestPowerOff(user, 0);
    return GuardAnswer::Accepted();
}

void GuardService::SetUserTimer(const std::string& user, unsigned id, unsigned milliseconds) {
    const auto key = std::make_pair(user, id);
    auto found = m_timerIds.find(key);
    if (found == m_timerIds.end()) {
        found = m_timerIds.emplace(key, m_nNextTimerId++).first;
        m_timerOwners[found->second] = key;
    }
    ::SetTimer(m_hWnd, found->second, milliseconds, nullptr);
}

void GuardService::KillUserTimer(const std::string& user, unsigned id) {
    const auto found = m_timerIds.find(std::make_pair(user, id));
    if (found != m_timerIds.end()) ::KillTimer(m_hWnd, found->second);
}

void GuardService::OnTimer(UINT_PTR id) {
    if (id == kPowerOffTimerId) {
        SendPowerOff();
        return;
    }
    const auto owner = m_timerOwners.find(id);
    CHourgateView* view =
        owner == m_timerOwners.end() ? nullptr : m_users.Find(owner->second.first);
    if (!view) {
        ::KillTimer(m_hWnd, id);  // its user's count has ended
        return;
    }
    view->OnTimer(owner->second.second);
    m_admin.AfterTick(*view);
}

void GuardService::SendNotice(const std::string& user, const std::string& message) {
    if (m_bConsole)
        std::fprintf(stderr, "hourgated: notice to %s: %s\n", user.c_str(), message.c_str());
    for (const std::string& session : m_sessions.Table().CountingSessionsOf(user)) {
        DWORD error = ERROR_SUCCESS;
        const std::string what = "cannot show " + user + "'s notice in session " + session;
        if (SendSessionNotice(static_cast<std::uint32_t>(std::stoul(session)), message, error)) {
            m_failures.Succeeded(what);
        } else {
            m_failures.Failed(
                what, "WTSSendMessageA failed (Windows error " + std::to_string(error) + ")");
        }
    }
}

void GuardService::RequestPowerOff(const std::string& user, UINT delayMs, bool logOff) {
    const ULONGLONG due = ::GetTickCount64() + delayMs;
    if (m_nPowerOffDue != 0) {
        // A power-off pending covers everyone; a log-off of another user waits its turn.
        if (!m_bLogOff && logOff) return;
        if (m_bLogOff == logOff && m_nPowerOffDue <= due) return;
    }
    m_nPowerOffDue = due;
    m_powerOffFor = user;
    m_bLogOff = logOff;
    ::SetTimer(m_hWnd, kPowerOffTimerId, delayMs, nullptr);
}

void GuardService::SendPowerOff() {
    ::KillTimer(m_hWnd, kPowerOffTimerId);
    m_nPowerOffDue = 0;
    if (m_bLogOff) {
        for (const std::string& session : m_sessions.Table().CountingSessionsOf(m_powerOffFor)) {
            Log("log-off requested for " + m_powerOffFor + ": session " + session,
                EventKind::PowerOff);
            if (::ForcedLogOffSession(m_bDryRun, m_failures, std::stoul(session)) && m_bDryRun) {
                m_eventLog.Write(kDryRunLogOffLine, EventKind::Info);
            }
        }
        return;
    }
    Log("power-off requested for " + m_powerOffFor, EventKind::PowerOff);
    if (::ForcedPowerOff(m_bDryRun, m_failures, PowerOffScope::Machine) && m_bDryRun) {
        // Standard error reaches nobody in a service: the event log has the line too.
        m_eventLog.Write(kDryRunLine, EventKind::Info);
    }
}

LRESULT GuardService::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            OnTimer(static_cast<UINT_PTR>(wParam));
            return 0;
        case WM_GUARD_SESSIONCHANGE:
            // A list that could not be read at start is read whole now.
            if (m_bSessionsRead) {
                m_sessions.OnSessionChange(static_cast<unsigned>(wParam),
                                           static_cast<std::uint32_t>(lParam));
            } else {
                m_bSessionsRead = m_sessions.ReadAll();
            }
            ApplySessions();
            return 0;
        case WM_CLOSE:
            DestroyWindow();
            return 0;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        default:
            return Default();
    }
}
