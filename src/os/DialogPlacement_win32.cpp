#include "os/DialogPlacement_win32.h"

namespace {
HWND g_mainWindow = nullptr;
}

void SetMainWindow(HWND frame) { g_mainWindow = frame; }

HWND DialogOwner(HWND parent) { return parent ? parent : g_mainWindow; }

void CenterDialog(HWND dialog) {
    RECT box;
    ::GetWindowRect(dialog, &box);
    const HWND owner = ::GetWindow(dialog, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(owner ? owner : dialog, MONITOR_DEFAULTTOPRIMARY),
                      &monitor);
    const RECT work = monitor.rcWork;
    RECT around = work;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &around);
    const LONG width = box.right - box.left;
    const LONG height = box.bottom - box.top;
    LONG x = (around.left + around.right - width) / 2;
    LONG y = (around.top + around.bottom - height) / 2;
    // Never push the dialog off the screen when the owner sits near an edge.
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
