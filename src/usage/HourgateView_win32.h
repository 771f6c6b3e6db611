// The view's window: hosts the core view, carries its timer and paints its lines.
#pragma once

#include <windows.h>

#include "app/Handles_win32.h"
#include "app/Platform_win32.h"
#include "app/Window_win32.h"
#include "usage/HourgateView.h"

class CHourgateDoc;

// Text output on a device context: the window's client area or a printer page.
class DcTextOutput : public TextOutput {
public:
    explicit DcTextOutput(HDC dc) : m_hDC(dc) {}
    void TextOut(int x, int y, const std::string& text) override;

private:
    HDC m_hDC;
};

// The child window in the frame's client area that hosts CHourgateView.
class CViewWindow : public CWnd {
public:
    CViewWindow(Win32Platform& platform, CHourgateDoc& document)
        : m_platform(platform), m_view(platform, document) {}

    bool Create(HWND frame, UINT id);
    // Draws the status lines on a printer chosen in the print dialog.
    void OnFilePrint(HWND owner, const char* documentName);

    CHourgateView& View() { return m_view; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();

    Win32Platform& m_platform;
    CHourgateView m_view;
    ScopedClass m_class;
};
