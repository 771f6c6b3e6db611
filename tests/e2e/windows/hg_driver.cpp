// Test driver for the end-to-end tests: finds the frame of one hourgate.exe (by
// the path of its executable), drives it with the messages the shell and the
// user would send, and reports what it sees on standard output.
//
//   hg_driver EXE COMMAND [ARGS...] [-- COMMAND [ARGS...]]...
//
// Timeouts are in milliseconds. A failed command prints why on standard error
// and ends the driver with exit code 1.
#include <windows.h>
// after windows.h, which they need
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr const char* kFrameClass = "HourgateFrame";
constexpr UINT WM_TRAYNOTIFY = WM_APP + 100;
constexpr int kWarningMessageId = 1000;  // IDC_MESSAGE
constexpr int kPasswordBoxId = 1001;     // IDC_PASSWORD

std::string g_exe;

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "hg_driver: %s\n", why.c_str());
    std::exit(1);
}

std::string ProcessImage(DWORD pid) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return std::string();
    char path[MAX_PATH * 2] = {};
    DWORD size = sizeof path;
    const BOOL ok = ::QueryFullProcessImageNameA(process, 0, path, &size);
    ::CloseHandle(process);
    return ok ? std::string(path, size) : std::string();
}

bool BelongsToTarget(HWND window) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    return pid != 0 && ::lstrcmpiA(ProcessImage(pid).c_str(), g_exe.c_str()) == 0;
}

HWND FindFrame() {
    struct Search {
        HWND found = nullptr;
    } search;
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            char cls[64] = {};
            ::GetClassNameA(window, cls, sizeof cls);
            if (std::strcmp(cls, kFrameClass) != 0 || !BelongsToTarget(window)) return TRUE;
            reinterpret_cast<Search*>(context)->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A shown top-level dialog of the target that has a control with `controlId`.
HWND FindDialogWith(int controlId) {
    struct Search {
        int controlId;
        HWND found = nullptr;
    } search{controlId};
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            char cls[64] = {};
            ::GetClassNameA(window, cls, sizeof cls);
            if (std::strcmp(cls, "#32770") != 0 || !::IsWindowVisible(window)) return TRUE;
            if (!::GetDlgItem(window, s->controlId) || !BelongsToTarget(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The popup menu window while a menu is open (Wine may keep hidden ones around).
HWND FindOpenMenu() {
    HWND found = nullptr;
    ::EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            char cls[64] = {};
            ::GetClassNameA(window, cls, sizeof cls);
            if (std::strcmp(cls, "#32768") != 0 || !::IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(context) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

template <typename Probe>
auto WaitFor(int timeoutMs, Probe probe) -> decltype(probe()) {
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (auto result = probe()) return result;
        if (::GetTickCount64() >= end) return decltype(probe()){};
        ::Sleep(20);
    }
}

HWND Frame() {
    const HWND frame = FindFrame();
    if (!frame) Fail("no frame of " + g_exe);
    return frame;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// True when the shell has a tray icon for (frame, 1): modifying nothing in it
// succeeds only for an icon that exists.
bool TrayIconPresent(HWND frame) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data.hWnd = frame;
    data.uID = 1;
    data.uFlags = 0;
    return ::Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

int Number(const char* text) { return static_cast<int>(std::strtol(text, nullptr, 0)); }

// Runs one command with its arguments.
void RunCommand(const std::vector<std::string>& args) {
    const std::string& command = args[0];
    auto arg = [&](std::size_t i) -> const char* {
        if (i >= args.size()) Fail(command + ": missing argument");
        return args[i].c_str();
    };
    if (command == "wait-frame") {
        if (!WaitFor(Number(arg(1)), [] { return FindFrame(); })) Fail("frame did not appear");
        std::printf("frame\n");
    } else if (command == "wait-gone") {
        if (!WaitFor(Number(arg(1)), [] { return FindFrame() == nullptr; })) Fail("frame stayed");
        std::printf("gone\n");
    } else if (command == "wait-tray") {
        if (!WaitFor(Number(arg(1)), [] { return TrayIconPresent(Frame()); })) Fail("no tray icon");
        std::printf("tray\n");
    } else if (command == "tray") {
        std::printf("tray=%d\n", TrayIconPresent(Frame()) ? 1 : 0);
    } else if (command == "tray-delete") {  // what a crashing task bar does to the icon
        NOTIFYICONDATAA data{};
        data.cbSize = NOTIFYICONDATAA_V2_SIZE;
        data.hWnd = Frame();
        data.uID = 1;
        ::Shell_NotifyIconA(NIM_DELETE, &data);
    } else if (command == "taskbar-created") {  // what a new task bar announces
        ::PostMessageA(Frame(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    } else if (command == "visible") {
        std::printf("visible=%d\n", ::IsWindowVisible(Frame()) ? 1 : 0);
    } else if (command == "wait-visible") {
        const bool want = Number(arg(1)) != 0;
        if (!WaitFor(Number(arg(2)), [&] { return (::IsWindowVisible(Frame()) != 0) == want; })) {
            Fail(std::string("frame visibility did not become ") + arg(1));
        }
        std::printf("visible=%d\n", want ? 1 : 0);
    } else if (command == "wait-foreground") {  // the frame has the keyboard
        if (!WaitFor(Number(arg(1)), [] { return ::GetForegroundWindow() == Frame(); })) {
            Fail("frame did not become the foreground window");
        }
        std::printf("foreground\n");
    } else if (command == "status-text") {  // the message pane of the status bar
        const HWND status = ::FindWindowExA(Frame(), nullptr, "msctls_statusbar32", nullptr);
        if (!status) Fail("no status bar");
        // GetWindowText would not ask another process's window; WM_GETTEXT does.
        char text[512] = {};
        DWORD_PTR length = 0;
        ::SendMessageTimeoutA(status, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                              SMTO_ABORTIFHUNG, 5000, &length);
        std::printf("status=%s\n", text);
    } else if (command == "frame-info") {
        const HWND frame = Frame();
        RECT box;
        ::GetWindowRect(frame, &box);
        std::printf("caption=%s\nstyle=0x%08lX\nsize=%ldx%ld\n", TextOf(frame).c_str(),
                    static_cast<unsigned long>(::GetWindowLongA(frame, GWL_STYLE)),
                    box.right - box.left, box.bottom - box.top);
    } else if (command == "tray-left") {
        ::PostMessageA(Frame(), WM_TRAYNOTIFY, 1, WM_LBUTTONDOWN);
    } else if (command == "tray-right") {
        ::PostMessageA(Frame(), WM_TRAYNOTIFY, 1, WM_RBUTTONDOWN);
    } else if (command == "tray-other") {  // events the frame must ignore
        const HWND frame = Frame();
        ::PostMessageA(frame, WM_TRAYNOTIFY, 1, WM_LBUTTONUP);
        ::PostMessageA(frame, WM_TRAYNOTIFY, 1, WM_LBUTTONDBLCLK);
        ::PostMessageA(frame, WM_TRAYNOTIFY, 2, WM_LBUTTONDOWN);
    } else if (command == "command") {
        ::PostMessageA(Frame(), WM_COMMAND, static_cast<WPARAM>(Number(arg(1))), 0);
    } else if (command == "close") {
        ::PostMessageA(Frame(), WM_CLOSE, 0, 0);
    } else if (command == "sleep") {
        ::Sleep(static_cast<DWORD>(Number(arg(1))));
    } else if (command == "wait-menu") {
        if (!WaitFor(Number(arg(1)), [] { return FindOpenMenu(); })) Fail("no popup menu");
        std::printf("menu\n");
    } else if (command == "wait-warning") {
        // Prints the notice's caption and text as soon as it shows.
        const HWND notice =
            WaitFor(Number(arg(1)), [] { return FindDialogWith(kWarningMessageId); });
        if (!notice) Fail("no warning notice");
        std::printf("caption=%s\nmessage=%s\nsysmenu=%d\n", TextOf(notice).c_str(),
                    TextOf(::GetDlgItem(notice, kWarningMessageId)).c_str(),
                    (::GetWindowLongA(notice, GWL_STYLE) & WS_SYSMENU) ? 1 : 0);
        std::fflush(stdout);
    } else if (command == "wait-no-warning") {
        const ULONGLONG start = ::GetTickCount64();
        if (!WaitFor(Number(arg(1)), [] { return FindDialogWith(kWarningMessageId) == nullptr; })) {
            Fail("warning notice stayed");
        }
        std::printf("closed_after_ms=%llu\n", ::GetTickCount64() - start);
    } else if (command == "answer-password") {
        // answer-password TEXT ok|cancel TIMEOUT
        const HWND dialog = WaitFor(Number(arg(3)), [] { return FindDialogWith(kPasswordBoxId); });
        if (!dialog) Fail("no password dialog");
        std::printf("caption=%s\n", TextOf(dialog).c_str());
        ::SetDlgItemTextA(dialog, kPasswordBoxId, arg(1));
        const int button = std::strcmp(arg(2), "ok") == 0 ? IDOK : IDCANCEL;
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
    } else if (command == "wait-dialog") {  // a dialog with this control id, e.g. IDOK of About
        const int id = Number(arg(1));
        const HWND dialog = WaitFor(Number(arg(2)), [id] { return FindDialogWith(id); });
        if (!dialog) Fail("no dialog");
        std::printf("caption=%s\n", TextOf(dialog).c_str());
    } else if (command == "dialog-command") {  // dialog-command CONTROL_ID COMMAND_ID
        const HWND dialog = FindDialogWith(Number(arg(1)));
        if (!dialog) Fail("no dialog");
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(Number(arg(2)), BN_CLICKED), 0);
    } else if (command == "dialog-set-text") {  // dialog-set-text CONTROL_ID TEXT
        const int id = Number(arg(1));
        const HWND dialog = FindDialogWith(id);
        if (!dialog) Fail("no dialog");
        ::SetDlgItemTextA(dialog, id, arg(2));
    } else if (command == "launch") {
        // launch TIMEOUT: starts EXE --dry-run (sharing our standard handles) and
        // prints the time from process creation to its tray icon.
        std::string line = "\"" + g_exe + "\" --dry-run";
        const std::string directory = g_exe.substr(0, g_exe.find_last_of('\\'));
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        PROCESS_INFORMATION process{};
        LARGE_INTEGER frequency, start, end;
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        if (!::CreateProcessA(g_exe.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                              directory.c_str(), &startup, &process)) {
            Fail("cannot start " + g_exe);
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        const bool up = WaitFor(Number(arg(1)), [] {
            const HWND frame = FindFrame();
            return frame && TrayIconPresent(frame);
        });
        if (!up) Fail("no tray icon after start");
        ::QueryPerformanceCounter(&end);
        std::printf("startup_to_tray_ms=%.0f\n",
                    1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                        static_cast<double>(frequency.QuadPart));
    } else if (command == "terminate") {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(Frame(), &pid);
        const HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!process || !::TerminateProcess(process, 0)) Fail("cannot end the program");
        ::WaitForSingleObject(process, 5000);
        ::CloseHandle(process);
    } else if (command == "memory") {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(Frame(), &pid);
        const HANDLE process =
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        if (!process ||
            !::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                    sizeof counters)) {
            Fail("cannot read the memory counters");
        }
        // Wine leaves PrivateUsage at 0, so also add up the committed private pages.
        unsigned long long committedPrivate = 0;
        MEMORY_BASIC_INFORMATION region{};
        for (const char* address = nullptr;
             ::VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
             address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
            if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
                committedPrivate += region.RegionSize;
            }
        }
        ::CloseHandle(process);
        std::printf(
            "private_usage_bytes=%llu\ncommitted_private_bytes=%llu\n"
            "pagefile_usage_bytes=%llu\nworking_set_bytes=%llu\n",
            static_cast<unsigned long long>(counters.PrivateUsage), committedPrivate,
            static_cast<unsigned long long>(counters.PagefileUsage),
            static_cast<unsigned long long>(counters.WorkingSetSize));
    } else if (command == "today") {
        // The program's own idea of today: the same run-time library and TZ.
        const __time64_t now = ::_time64(nullptr);
        std::tm local{};
        if (::_localtime64_s(&local, &now) != 0) Fail("no local time");
        std::printf("date=%04d/%02d/%02d\nhour=%d\nweekday=%d\n", local.tm_year + 1900,
                    local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_wday);
    } else if (command == "user") {
        char name[64] = {};
        DWORD size = sizeof name;
        if (!::GetUserNameA(name, &size)) Fail("no user name");
        std::printf("user=%s\n", name);
    } else {
        Fail("unknown command " + command);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) Fail("usage: hg_driver EXE COMMAND [ARGS...] [-- COMMAND ...]");
    g_exe = argv[1];
    std::vector<std::string> rest(argv + 2, argv + argc);
    std::size_t i = 0;
    while (i < rest.size()) {
        std::size_t end = i;
        while (end < rest.size() && rest[end] != "--") ++end;
        const std::vector<std::string> one(rest.begin() + static_cast<long>(i),
                                           rest.begin() + static_cast<long>(end));
        if (!one.empty()) RunCommand(one);
        std::fflush(stdout);
        i = end + 1;
    }
    return 0;
}
