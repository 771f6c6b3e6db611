// The exit password dialog: one masked edit box, OK and Cancel.
#pragma once

#include <windows.h>

#include <string>

class CPassWordDlg {
public:
    explicit CPassWordDlg(HWND parent = nullptr) : m_hParent(parent) {}

    // IDOK for OK or Enter, IDCANCEL for Cancel, Escape or the close box, -1 when
    // the dialog could not be shown.
    INT_PTR DoModal();

    // What was typed, taken from the box when the dialog ends with OK.
    std::string m_strPassword;

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void DoDataExchange();

    HWND m_hParent;
    HWND m_hWnd = nullptr;
};
