#include "notify/WarningDlg_win32.h"

#include "app/DialogSupport_win32.h"
#include "res/resource.h"

INT_PTR CWarningDlg::DoModal() {
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_WARNING),
                             DialogOwner(m_hParent), DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CWarningDlg::OnInitDialog() {
    ::SetDlgItemTextA(m_hWnd, IDC_MESSAGE, m_strMessage.c_str());
    CenterDialog(m_hWnd);
    ::SetTimer(m_hWnd, kWarningTimerId, kWarningMilliseconds, nullptr);
    return TRUE;
}

void CWarningDlg::OnTimer() {
    ::KillTimer(m_hWnd, kWarningTimerId);
    ::EndDialog(m_hWnd, IDOK);
}

INT_PTR CALLBACK CWarningDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CWarningDlg*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            self = reinterpret_cast<CWarningDlg*>(lParam);
            ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            self->m_hWnd = dialog;
            return self->OnInitDialog();
        case WM_TIMER:
            if (self) self->OnTimer();
            return TRUE;
        case WM_COMMAND:
            // Enter arrives as IDOK and Escape as IDCANCEL although there are no buttons.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}
