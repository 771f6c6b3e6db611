// Start-up of the guard service, hourgated.exe: run by the service control
// manager as LocalSystem, it counts every logged-on user's minutes and
// enforces the rules whatever the users do. --console runs the same service by
// hand (tests, diagnosis), stopped by Ctrl+C.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "core/CommandLine.h"
#include "core/DataFile.h"
#include "core/ExemptionList.h"
#include "core/Limits.h"
#include "core/ProgramDirectory.h"
#include "guard/GuardService_win32.h"
#include "os/Handles_win32.h"
#include "os/System_win32.h"

namespace {

constexpr const char* kServiceName = "hourgated";
constexpr const char* kConsoleSwitch = "--console";
constexpr const char* kSessionsFromCallersSwitch = "--sessions-from-callers";
constexpr const char* kWriteExemptionListSwitch = "--write-exemption-list";
constexpr const char* kSetActionSwitch = "--set-action";
constexpr const char* kGuardUsage =
    "usage: hourgated [--dry-run] [--console] [--sessions-from-callers]\n"
    "       hourgated [--write-exemption-list NAMES] [--set-action ACTION]\n"
    "  --dry-run  run as usual, but only report each power-off in the log\n"
    "  --console  run by hand rather than by the service manager; the log also\n"
    "             goes to standard error, Ctrl+C stops it\n"
    "  --sessions-from-callers  for tests under Wine, which lists no sessions:\n"
    "             a tray program's session counts from its first call\n"
    "  --write-exemption-list NAMES  for the installer: Hourgate.ini beside the\n"
    "             program with these comma-separated names, one per line\n"
    "  --set-action ACTION  for the installer: the action of limits.conf beside\n"
    "             the program, poweroff or logoff; the rest of the file is kept\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

// What the command line (the service's ImagePath) and the start's own
// arguments ask for.
struct GuardOptions {
    bool dryRun = false;
    bool console = false;
    bool sessionsFromCallers = false;
};
GuardOptions g_options;

// The service's window, for the control handler on the dispatcher's thread.
std::atomic<HWND> g_window{nullptr};
SERVICE_STATUS_HANDLE g_statusHandle = nullptr;
SERVICE_STATUS g_status{};

void SetState(DWORD state, DWORD exitCode = NO_ERROR) {
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted =
        state == SERVICE_RUNNING
            ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_SESSIONCHANGE
            : 0;
    g_status.dwWin32ExitCode = exitCode;
    g_status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 10000;
    g_status.dwCheckPoint = state == SERVICE_START_PENDING ? 1 : 0;
    ::SetServiceStatus(g_statusHandle, &g_status);
}

// Runs on the dispatcher's thread: everything is handed to the service's own.
DWORD WINAPI ControlHandler(DWORD control, DWORD eventType, LPVOID eventData, LPVOID) {
    switch (control) {
        case SERVICE_CONTROL_STOP:
        case SERVICE_CONTROL_SHUTDOWN:
            SetState(SERVICE_STOP_PENDING);
            ::PostMessageA(g_window.load(), WM_CLOSE, 0, 0);
            return NO_ERROR;
        case SERVICE_CONTROL_SESSIONCHANGE: {
            const auto* notification = static_cast<const WTSSESSION_NOTIFICATION*>(eventData);
            if (notification) {
                ::PostMessageA(g_window.load(), WM_GUARD_SESSIONCHANGE, eventType,
                               static_cast<LPARAM>(notification->dwSessionId));
            }
            return NO_ERROR;
        }
        case SERVICE_CONTROL_INTERROGATE:
            return NO_ERROR;
        default:
            return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

BOOL WINAPI ConsoleHandler(DWORD) {
    ::PostMessageA(g_window.load(), WM_CLOSE, 0, 0);
    return TRUE;
}

// A guard that ends by a fault is started again: the count lives in its
// records, which it reads back at start. The installer may have set this
// already; where it has not, the service does.
void RestartOnFailure(GuardService& service) {
    const ScopedService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const ScopedService self(
        manager ? ::OpenServiceA(manager.get(), kServiceName,
                                 SERVICE_QUERY_CONFIG | SERVICE_CHANGE_CONFIG | SERVICE_START)
                : nullptr);
    std::vector<BYTE> buffer(1024);
    DWORD size = 0;
    const bool set =
        self &&
        ::QueryServiceConfig2A(self.get(), SERVICE_CONFIG_FAILURE_ACTIONS, buffer.data(),
                               static_cast<DWORD>(buffer.size()), &size) &&
        reinterpret_cast<SERVICE_FAILURE_ACTIONSA*>(buffer.data())->cActions > 0;
    if (self && !set) {
        // The same policy as the Linux unit's: 2 s after every end, for ever
        // (the last action repeats; a guard that gives up would be a way around it).
        SC_ACTION restart[] = {
            {SC_ACTION_RESTART, 2000}, {SC_ACTION_RESTART, 2000}, {SC_ACTION_RESTART, 2000}};
        SERVICE_FAILURE_ACTIONSA actions{};
        actions.dwResetPeriod = 24 * 60 * 60;
        actions.cActions = sizeof restart / sizeof restart[0];
        actions.lpsaActions = restart;
        if (!::ChangeServiceConfig2A(self.get(), SERVICE_CONFIG_FAILURE_ACTIONS, &actions)) {
            service.Log("cannot have the service restarted after a failure (Windows error " +
                        std::to_string(::GetLastError()) + ")");
        }
    }
}

void WINAPI ServiceMain(DWORD argc, LPSTR* argv) {
    // The start's own arguments (sc start hourgated --dry-run) add to the ImagePath's.
    bool dryRun = g_options.dryRun;
    bool sessionsFromCallers = g_options.sessionsFromCallers;
    for (DWORD i = 1; i < argc; ++i) {
        dryRun = dryRun || std::strcmp(argv[i], kDryRunSwitch) == 0;
        sessionsFromCallers =
            sessionsFromCallers || std::strcmp(argv[i], kSessionsFromCallersSwitch) == 0;
    }
    GuardService service(dryRun, false, sessionsFromCallers);
    // The window first: controls that come while the service starts wait in its queue.
    std::string why;
    const bool created = service.Create(why);
    g_window = service.m_hWnd;
    g_statusHandle = ::RegisterServiceCtrlHandlerExA(kServiceName, ControlHandler, nullptr);
    if (!g_statusHandle) return;
    SetState(SERVICE_START_PENDING);
    if (!created || !service.Start(why, true)) {
        service.Log(why, EventKind::Fatal);
        SetState(SERVICE_STOPPED, ERROR_SERVICE_SPECIFIC_ERROR);
        return;
    }
    SetState(SERVICE_RUNNING);
    service.Log(dryRun ? "started (dry run)" : "started", EventKind::Info);
    RestartOnFailure(service);
    const int exitCode = service.Run();
    service.Stop();
    service.Log("stopped", EventKind::Info);
    g_window = nullptr;
    SetState(SERVICE_STOPPED, exitCode == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR);
}

int RunOnConsole() {
    GuardService service(g_options.dryRun, true, g_options.sessionsFromCallers);
    std::string why;
    if (!service.Create(why) || !service.Start(why, false)) {
        service.Log(why, EventKind::Fatal);
        return 1;
    }
    g_window = service.m_hWnd;
    ::SetConsoleCtrlHandler(ConsoleHandler, TRUE);
    const int exitCode = service.Run();
    service.Stop();
    service.Log("stopped", EventKind::Info);
    return exitCode;
}

// What the installer hands over from its properties, to be written beside the program.
struct InstallerSettings {
    std::optional<std::string> names;
    std::optional<std::string> action;
};

// The narrow arguments are the command line in the system's code page; a
// character it lacks would arrive as '?' or a look-alike, and a wrong name
// would go into the list.
bool CommandLineFitsCodePage() {
    if (::GetACP() == CP_UTF8) return true;
    BOOL lossy = FALSE;
    return ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, ::GetCommandLineW(), -1, nullptr, 0,
                                 nullptr, &lossy) > 0 &&
           !lossy;
}

// 0 when written, 2 for a value the files cannot take (nothing is written
// then), 1 when a file cannot be written. The installer shows no output, so
// the reason also goes to the event log.
int WriteInstallerSettings(const InstallerSettings& settings) {
    EventLog log;
    const auto refuse = [&](const std::string& why, int exitCode) {
        std::fprintf(stderr, "hourgated: %s\n", why.c_str());
        log.Write("installer settings refused: " + why, EventKind::Refused);
        return exitCode;
    };
    if (!CommandLineFitsCodePage()) {
        return refuse("the command line has characters that code page " +
                          std::to_string(::GetACP()) + " cannot represent",
                      2);
    }
    std::string list, why;
    if (settings.names && !FormatExemptionList(*settings.names, Win32IsLeadByte, list, why)) {
        return refuse(std::string(kExemptionListFileName) + ": " + why, 2);
    }
    const std::optional<TimeUpAction> action =
        settings.action ? TimeUpActionNamed(*settings.action) : std::nullopt;
    if (settings.action && !action) {
        return refuse("action " + *settings.action + " is not poweroff or logoff", 2);
    }
    const std::string directory = ProgramDirectoryOf(Win32ExecutablePath(), '\\', Win32IsLeadByte);
    std::string written;
    if (settings.names) {
        why = ReplaceDataFile(JoinPath(directory, '\\', kExemptionListFileName), list);
        if (!why.empty()) return refuse(std::string(kExemptionListFileName) + ": " + why, 1);
        written = kExemptionListFileName;
    }
    if (action) {
        const std::string path = JoinPath(directory, '\\', kLimitsFileName);
        const FileContents limits = ReadDataFile(path, kMaxLimitsBytes + 1, false);
        why = limits.state == FileState::Unreadable ? limits.why
              : limits.bytes.size() > kMaxLimitsBytes
                  ? "larger than the program reads"
                  : ReplaceDataFile(path, WithTimeUpAction(limits.bytes, *action));
        if (!why.empty()) return refuse(std::string(kLimitsFileName) + ": " + why, 1);
        written += (written.empty() ? "" : ", ") + std::string(kLimitsFileName);
    }
    log.Write("installer settings written: " + written, EventKind::Info);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // --console, --sessions-from-callers and the installer's settings are the guard's own; the rest
    // is the command line both programs share.
    std::vector<const char*> shared;
    InstallerSettings settings;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], kConsoleSwitch) == 0) {
            g_options.console = true;
        } else if (i > 0 && std::strcmp(argv[i], kSessionsFromCallersSwitch) == 0) {
            g_options.sessionsFromCallers = true;
        } else if (i > 0 && std::strcmp(argv[i], kWriteExemptionListSwitch) == 0) {
            settings.names = i + 1 < argc ? argv[++i] : "";
        } else if (i > 0 && std::strcmp(argv[i], kSetActionSwitch) == 0) {
            settings.action = i + 1 < argc ? argv[++i] : "";
        } else {
            shared.push_back(argv[i]);
        }
    }
    const CommandLineInfo commandLine =
        ParseCommandLine(static_cast<int>(shared.size()), shared.data(), '\\');
    const int answered = AnswerGuardCommandLine(commandLine, kGuardUsage, stdout, stderr);
    if (answered >= 0) return answered;
    if (settings.names || settings.action) return WriteInstallerSettings(settings);
    g_options.dryRun = commandLine.dryRun;
    // Local time is the system's zone, read from the system (never the run-time's
    // TZ); the variable is cleared all the same, so that nothing in the run-time
    // can follow one.
    ::_putenv("TZ=");
    if (g_options.console) return RunOnConsole();

    SERVICE_TABLE_ENTRYA services[] = {{const_cast<char*>(kServiceName), ServiceMain},
                                       {nullptr, nullptr}};
    if (::StartServiceCtrlDispatcherA(services)) return 0;
    if (::GetLastError() == ERROR_FAILED_SERVICE_CONTROLLER_CONNECT) {
        std::fprintf(stderr,
                     "hourgated: not started by the service manager; --console runs it by hand\n%s",
                     kGuardUsage);
        return 2;
    }
    std::fprintf(stderr, "hourgated: cannot reach the service manager (Windows error %lu)\n",
                 ::GetLastError());
    return 1;
}
