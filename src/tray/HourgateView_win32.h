// The view's window: hosts the core view, carries its timer and paints its lines.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/HourgateView.h"
#include "os/Handles_win32.h"
#include "os/TextOutput_win32.h"
#include "os/Window_win32.h"
#include "tray/GuardClient_win32.h"
#include "tray/Platform_win32.h"

// In guarded mode the view asks the guard for its figures this often, as often
// as the view's own usage timer ticks when it counts.
constexpr UINT_PTR kGuardPollTimerId = 2;

class CHourgateDoc;

// The child window in the frame's client area that hosts CHourgateView.
class CViewWindow : public CWnd {
public:
    CViewWindow(Win32Platform& platform, CHourgateDoc& document)
        : m_platform(platform), m_view(platform, document) {}

    bool Create(HWND frame, UINT id);
    // Draws the status lines on a printer chosen in the print dialog.
    void OnFilePrint(HWND owner, const char* documentName);

    CHourgateView& View() { return m_view; }

    // Guarded mode: the guard counts, and the view shows the guard's lines for
    // its user, starting with `first`, the answer that found the guard. The view
    // then never counts nor touches a file.
    void EnterGuardedMode(const GuardPipeReply& first);
    // Asks the guard for the lines now (a new or opened document, the window shown).
    void RefreshFromGuard();
    bool IsGuarded() const { return m_bGuarded; }
    // Standalone, at each usage tick: a guard that started after this program
    // (an autostart can beat a service that is still starting) takes over the
    // count; true when it did.
    bool TakeOverByLateGuard();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void FitLines(std::size_t lines);
    // The status lines: the view's own, or the guard's in guarded mode.
    void Draw(TextOutput& output);
    void ShowGuardReply(const GuardPipeReply& reply);

    Win32Platform& m_platform;
    CHourgateView m_view;
    ScopedClass m_class;
    bool m_bGuarded = false;
    std::vector<std::string> m_guardLines;
};
