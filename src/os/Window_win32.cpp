#include "os/Window_win32.h"

#include <utility>

#include "core/DialogResult.h"
#include "os/DialogPlacement_win32.h"

static_assert(kDialogOk == IDOK && kDialogCancel == IDCANCEL, "dialog results");

CWnd::~CWnd() {
    // Too late for the derived handlers: the window goes without reaching them.
    if (m_hWnd) ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    DestroyWindow();
}

void CWnd::DestroyWindow() {
    if (m_hWnd) ::DestroyWindow(m_hWnd);  // WM_NCDESTROY clears m_hWnd
    m_hWnd = nullptr;
}

ATOM CWnd::RegisterWindowClass(WNDCLASSEXA windowClass) {
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = MessageProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    return ::RegisterClassExA(&windowClass);
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                    int y, int width, int height, HWND parent, HMENU menuOrId) {
    return ::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent,
                             menuOrId, ::GetModuleHandleA(nullptr), this) != nullptr;
}

LRESULT CWnd::WindowProc(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return Default();
}

LRESULT CWnd::Default() {
    return ::DefWindowProcA(m_current.hwnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CALLBACK CWnd::MessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CWnd*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        // The object comes with the first message, so that even WM_CREATE reaches it.
        self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->m_hWnd = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
    // Handlers send messages of their own; each level sees its own message.
    const MSG outer = std::exchange(self->m_current, MSG{window, message, wParam, lParam, 0, {}});
    const LRESULT result = self->WindowProc(message, wParam, lParam);
    self->m_current = outer;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
    }
    return result;
}

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId),
                             DialogOwner(m_hParent), DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::OnInitDialog() {
    CenterDialog(m_hWnd);
    return TRUE;
}

void CDialog::OnOK() { EndDialog(kDialogOk); }
void CDialog::OnCancel() { EndDialog(kDialogCancel); }
void CDialog::OnTimer(UINT_PTR /*id*/) {}
void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

INT_PTR CALLBACK CDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        self->m_hWnd = dialog;
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return self->OnInitDialog();
    }
    if (!self) return FALSE;
    switch (message) {
        case WM_COMMAND:
            // Enter arrives as IDOK and Escape as IDCANCEL, buttons or not.
            if (LOWORD(wParam) == IDOK) {
                self->OnOK();
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                self->OnCancel();
                return TRUE;
            }
            return FALSE;
        case WM_TIMER:
            self->OnTimer(static_cast<UINT_PTR>(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}
