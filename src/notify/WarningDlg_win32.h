// The self-closing warning notice: caption, warning icon, one centred line, no
// buttons and no close box; it ends itself after three seconds.
#pragma once

#include <windows.h>

#include <string>

class CWarningDlg {
public:
    explicit CWarningDlg(HWND parent = nullptr) : m_hParent(parent) {}

    // Shows the notice and returns once it has closed: IDOK when its time ran out
    // or Enter was pressed, IDCANCEL for Escape, -1 when it could not be shown.
    INT_PTR DoModal();

    std::string m_strMessage;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void FitMessage();
    void OnTimer();

    HWND m_hParent;
    HWND m_hWnd = nullptr;
};
