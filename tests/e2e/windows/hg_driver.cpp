// Test driver of the Windows whole-program tests, run under Wine beside the one
// running hourgate.exe: reports what the shell shows and sends what the shell
// and the user would.
//
//   hg_driver state                        frame, tray icon, notice, login name
//   hg_driver post MESSAGE WPARAM LPARAM   posts a message to the frame
//   hg_driver answer TEXT BUTTON           types TEXT into the password dialog and
//                                          presses BUTTON (IDOK, IDCANCEL; 0: none)
//   hg_driver pipe TEXT                    sends TEXT to the guard's pipe as a tray
//                                          program would, prints the answer
//
// Exit code 1 while there is no frame, no password dialog or no guard.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static ULONG_PTR Number(const char* text) { return std::strtoull(text, nullptr, 0); }

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
