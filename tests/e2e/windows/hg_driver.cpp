// Test driver of the Windows whole-program tests, run under Wine beside the one
// running hourgate.exe: reports what the shell shows and sends what the shell
// and the user would.
//
//   hg_driver state                        frame, tray icon, notice, login name, and
//                                          the view's figures (its window text)
//   hg_driver post MESSAGE WPARAM LPARAM   posts a message to the frame
//   hg_driver answer TEXT BUTTON           types TEXT into the password dialog and
//                                          presses BUTTON (IDOK, IDCANCEL; 0: none)
//   hg_driver pipe TEXT                    sends TEXT to the guard's pipe as a tray
//                                          program would, prints the answer
//   hg_driver service NAME                 the service's state, access list (SDDL) and
//                                          its actions on failure
//
// Exit code 1 while there is no frame, no password dialog or no guard.
#include <windows.h>
// after windows.h, which it needs
#include <sddl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static ULONG_PTR Number(const char* text) { return std::strtoull(text, nullptr, 0); }

static int PrintService(const char* name) {
    const SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    const SC_HANDLE service =
        manager ? ::OpenServiceA(manager, name,
                                 READ_CONTROL | SERVICE_QUERY_STATUS | SERVICE_QUERY_CONFIG)
                : nullptr;
    if (!service) return 1;
    SERVICE_STATUS status{};
    if (::QueryServiceStatus(service, &status)) std::printf("state=%lu\n", status.dwCurrentState);
    BYTE buffer[4096];
    DWORD size = 0;
    char* sddl = nullptr;
    if (::QueryServiceObjectSecurity(service,
                                     OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, buffer,
                                     sizeof buffer, &size) &&
        ::ConvertSecurityDescriptorToStringSecurityDescriptorA(
            buffer, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &sddl,
            nullptr)) {
        std::printf("sddl=%s\n", sddl);
        ::LocalFree(sddl);
    }
    if (::QueryServiceConfig2A(service, SERVICE_CONFIG_FAILURE_ACTIONS, buffer, sizeof buffer,
                               &size)) {
        std::printf("failure_actions=%lu\n",
                    reinterpret_cast<SERVICE_FAILURE_ACTIONSA*>(buffer)->cActions);
    } else {
        std::printf("failure_actions=unknown (Windows error %lu)\n", ::GetLastError());
    }
    ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return 0;
}

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "pipe" && argc == 3) {
        char answer[2048] = {};
        DWORD size = 0;
        if (!::CallNamedPipeA("\\\\.\\pipe\\hourgate-guard", argv[2],
                              static_cast<DWORD>(std::strlen(argv[2])), answer, sizeof answer,
                              &size, 2000)) {
            std::printf("error=%lu\n", ::GetLastError());
            return 1;
        }
        std::printf("%.*s\n", static_cast<int>(size), answer);
        return 0;
    }
    if (command == "service" && argc == 3) return PrintService(argv[2]);
    const HWND frame = ::FindWindowA("HourgateFrame", nullptr);
    if (!frame) return 1;
    if (command == "state") {
        // Once the program waits for input, its start-up is over (or a notice shows).
        DWORD pid = 0;
        ::GetWindowThreadProcessId(frame, &pid);
        const HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
        if (process) ::WaitForInputIdle(process, 60000), ::CloseHandle(process);
        // Changing nothing in an icon succeeds only for an icon that is there.
        NOTIFYICONDATAA icon{};
        icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
        icon.hWnd = frame;
        icon.uID = 1;
        std::printf("visible=%d\ntray=%d\n", ::IsWindowVisible(frame) ? 1 : 0,
                    ::Shell_NotifyIconA(NIM_MODIFY, &icon) ? 1 : 0);
        char text[512] = {};
        DWORD size = sizeof text;
        if (const HWND notice = ::FindWindowA("#32770", "警告")) {
            ::GetDlgItemTextA(notice, 1000, text, sizeof text);  // IDC_MESSAGE
            std::printf("notice=%s\n", text);
        }
        if (::GetUserNameA(text, &size)) std::printf("user=%s\n", text);
        if (const HWND view = ::FindWindowExA(frame, nullptr, "HourgateView", nullptr)) {
            std::string figures(512, '\0');
            figures.resize(static_cast<std::size_t>(
                ::GetWindowTextA(view, &figures[0], static_cast<int>(figures.size()))));
            for (std::size_t at; (at = figures.find("\r\n")) != std::string::npos;) {
                figures.replace(at, 2, " / ");
            }
            std::printf("figures=%s\n", figures.c_str());
        }
        return 0;
    }
    if (command == "post" && argc == 5) {
        return !::PostMessageA(frame, static_cast<UINT>(Number(argv[2])), Number(argv[3]),
                               static_cast<LPARAM>(Number(argv[4])));
    }
    const HWND password = ::FindWindowA("#32770", "Pass Word");
    if (command != "answer" || argc != 4 || !password) return 1;
    ::SetDlgItemTextA(password, 1001, argv[2]);  // IDC_PASSWORD
    return Number(argv[3]) != 0 && !::PostMessageA(password, WM_COMMAND, Number(argv[3]), 0);
}
