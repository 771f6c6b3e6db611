#include "notify/WarningDlg_win32.h"

#include "app/DialogSupport_win32.h"
#include "notify/WarningNotice.h"
#include "res/resource.h"

INT_PTR CWarningDlg::DoModal() {
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_WARNING),
                             DialogOwner(m_hParent), DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CWarningDlg::OnInitDialog() {
    ::SetDlgItemTextA(m_hWnd, IDC_MESSAGE, m_strMessage.c_str());
    FitMessage();
    CenterDialog(m_hWnd);
    ::SetTimer(m_hWnd, kNoticeTimerId, kNoticeMilliseconds, nullptr);
    return TRUE;
}

// The message area suits the quota warning; the hour notice with a long login name
// is wider. Widen the notice rather than cut the name and the hours off both ends.
void CWarningDlg::FitMessage() {
    const HWND label = ::GetDlgItem(m_hWnd, IDC_MESSAGE);
    RECT area;
    ::GetWindowRect(label, &area);
    const HDC dc = ::GetDC(label);
    const HGDIOBJ oldFont =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    SIZE text{};
    ::GetTextExtentPoint32A(dc, m_strMessage.c_str(), static_cast<int>(m_strMessage.size()), &text);
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(label, dc);
    const int margin = ::GetSystemMetrics(SM_CXEDGE) * 4;
    const int grow = text.cx + margin - (area.right - area.left);
    if (grow <= 0) return;
    const UINT keep = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    ::SetWindowPos(label, nullptr, 0, 0, area.right - area.left + grow, area.bottom - area.top,
                   keep);
    RECT frame;
    ::GetWindowRect(m_hWnd, &frame);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, frame.right - frame.left + grow, frame.bottom - frame.top,
                   keep);
}

void CWarningDlg::OnTimer() {
    ::KillTimer(m_hWnd, kNoticeTimerId);
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
            return EndOnOkOrCancel(dialog, wParam) ? TRUE : FALSE;
        default:
            return FALSE;
    }
}
