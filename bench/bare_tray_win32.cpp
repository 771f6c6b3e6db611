// The yardstick of bench/run.sh on Windows: the least a Win32 tray program of
// this shape can cost. A hidden frame window, the tray icon and a 30-second
// timer, built and linked with the program's own flags.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

namespace {

constexpr UINT kTrayMessage = WM_APP + 1;

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA frameClass{};
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = instance;
    frameClass.hIcon = ::LoadIconA(instance, MAKEINTRESOURCEA(1));
    frameClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    frameClass.lpszClassName = "BareTrayFrame";
    if (!::RegisterClassA(&frameClass)) return 1;
    const HWND frame =
        ::CreateWindowExA(0, frameClass.lpszClassName, "bare", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                          CW_USEDEFAULT, 400, 150, nullptr, nullptr, instance, nullptr);
    if (!frame) return 1;
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = frame;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = kTrayMessage;
    icon.hIcon = static_cast<HICON>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ::lstrcpynA(icon.szTip, "bare", sizeof icon.szTip);
    if (!::Shell_NotifyIconA(NIM_ADD, &icon)) return 1;
    ::SetTimer(frame, 1, 30000, nullptr);
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    ::Shell_NotifyIconA(NIM_DELETE, &icon);
    return 0;
}
