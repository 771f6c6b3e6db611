// The Windows guard's yardstick in bench/run.sh: the least a service of its
// shape can cost. A console program with a message-only window and a 30-second
// timer that answers each caller of the guard's pipe with a fixed message,
// built and linked with the program's own flags. Takes --console and
// --dry-run as the guard does, and ignores them.
#include <windows.h>

int main() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "BareService";
    if (!::RegisterClassA(&windowClass)) return 1;
    const HWND window = ::CreateWindowExA(0, "BareService", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                          nullptr, windowClass.hInstance, nullptr);
    if (!window) return 1;
    ::SetTimer(window, 1, 30000, nullptr);
    const HANDLE pipe = ::CreateNamedPipeA(
        "\\\\.\\pipe\\hourgate-guard", PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 1024, 64, 0, nullptr);
    OVERLAPPED overlapped{};
    overlapped.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (pipe == INVALID_HANDLE_VALUE || !overlapped.hEvent) return 1;
    ::ConnectNamedPipe(pipe, &overlapped);
    for (;;) {
        const DWORD woke =
            ::MsgWaitForMultipleObjectsEx(1, &overlapped.hEvent, INFINITE, QS_ALLINPUT, 0);
        if (woke == WAIT_OBJECT_0) {
            // A caller: its request, the answer, then the next caller.
            char request[65];
            DWORD n = 0;
            ::ReadFile(pipe, request, sizeof request, &n, nullptr);
            ::WriteFile(pipe, "HG1 Lines", 9, &n, nullptr);
            ::FlushFileBuffers(pipe);
            ::DisconnectNamedPipe(pipe);
            ::ResetEvent(overlapped.hEvent);
            ::ConnectNamedPipe(pipe, &overlapped);
            continue;
        }
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
    }
}
