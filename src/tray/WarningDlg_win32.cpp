#include "tray/WarningDlg_win32.h"

#include "core/DialogResult.h"
#include "core/WarningNotice.h"
#include "os/Handles_win32.h"
#include "res/resource.h"

CWarningDlg::CWarningDlg(HWND parent) : CDialog(IDD_WARNING, parent) {}

BOOL CWarningDlg::OnInitDialog() {
    ::SetDlgItemTextA(m_hWnd, IDC_MESSAGE, m_strMessage.c_str());
    FitMessage();
    CDialog::OnInitDialog();  // centred at its final size
    ::SetTimer(m_hWnd, kNoticeTimerId, kNoticeMilliseconds, nullptr);
    return TRUE;
}

// The message area suits the quota warning; the hour notice with a long login name
// is wider. Widen the notice rather than cut the name and the hours off both ends.
void CWarningDlg::FitMessage() {
    const HWND label = ::GetDlgItem(m_hWnd, IDC_MESSAGE);
    RECT area;
    ::GetWindowRect(label, &area);
    SIZE text{};
    {
        const ScopedWindowDC dc = BorrowDC(label);
        const ScopedSelection font = SelectInto(
            dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageA(label, WM_GETFONT, 0, 0)));
        ::GetTextExtentPoint32A(dc.get(), m_strMessage.c_str(),
                                static_cast<int>(m_strMessage.size()), &text);
    }
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

void CWarningDlg::OnTimer(UINT_PTR id) {
    if (id != kNoticeTimerId) return;
    ::KillTimer(m_hWnd, kNoticeTimerId);
    EndDialog(kDialogOk);
}
