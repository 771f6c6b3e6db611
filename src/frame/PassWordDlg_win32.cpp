#include "frame/PassWordDlg_win32.h"

#include "app/DialogSupport_win32.h"
#include "res/resource.h"

INT_PTR CPassWordDlg::DoModal() {
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PASSWORD),
                             DialogOwner(m_hParent), DialogProc, reinterpret_cast<LPARAM>(this));
}

void CPassWordDlg::DoDataExchange() {
    const HWND box = ::GetDlgItem(m_hWnd, IDC_PASSWORD);
    const int length = ::GetWindowTextLengthA(box);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(box, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    m_strPassword = text;
}

INT_PTR CALLBACK CPassWordDlg::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CPassWordDlg*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            self = reinterpret_cast<CPassWordDlg*>(lParam);
            ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            self->m_hWnd = dialog;
            CenterDialog(dialog);
            return TRUE;  // the first tab stop, the password box, gets the focus
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                self->DoDataExchange();
                ::EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}
