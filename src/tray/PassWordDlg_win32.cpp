#include "tray/PassWordDlg_win32.h"

#include "res/resource.h"

CPassWordDlg::CPassWordDlg(HWND parent) : CDialog(IDD_PASSWORD, parent) {}

void CPassWordDlg::OnOK() {
    DoDataExchange();
    CDialog::OnOK();
}

void CPassWordDlg::DoDataExchange() {
    const HWND box = ::GetDlgItem(m_hWnd, IDC_PASSWORD);
    const int length = ::GetWindowTextLengthA(box);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = ::GetWindowTextA(box, &text[0], length + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    m_strPassword = text;
}
