#include "usage/HourgateView_win32.h"

#include <commdlg.h>

namespace {

constexpr const char* kViewClass = "HourgateView";

}  // namespace

void DcTextOutput::TextOut(int x, int y, const std::string& text) {
    ::TextOutA(m_hDC, x, y, text.data(), static_cast<int>(text.size()));
}

bool CViewWindow::Create(HWND frame, UINT id) {
    WNDCLASSEXA windowClass{};
    windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kViewClass;
    m_class.reset(RegisterWindowClass(windowClass));
    if (!m_class) return false;
    if (!CreateEx(WS_EX_CLIENTEDGE, kViewClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)))) {
        return false;
    }
    m_platform.AttachView(m_hWnd);
    return true;
}

void CViewWindow::OnPaint() {
    const PaintScope paint(m_hWnd);
    DcTextOutput output(paint.dc());
    m_view.OnDraw(output);
}

void CViewWindow::OnFilePrint(HWND owner, const char* documentName) {
    PRINTDLGA print{};
    print.lStructSize = sizeof print;
    print.hwndOwner = owner;
    print.Flags = PD_RETURNDC | PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_NOSELECTION |
                  PD_HIDEPRINTTOFILE;
    const BOOL chosen = ::PrintDlgA(&print);
    // Owned whatever the answer: the dialog may hand out its records even when cancelled.
    const ScopedGlobal devMode(print.hDevMode);
    const ScopedGlobal devNames(print.hDevNames);
    const ScopedDC printer(print.hDC);
    if (!chosen || !printer) return;
    DOCINFOA job{};
    job.cbSize = sizeof job;
    job.lpszDocName = documentName;
    if (::StartDocA(printer.get(), &job) <= 0) return;
    if (::StartPage(printer.get()) <= 0) {
        ::AbortDoc(printer.get());
        return;
    }
    DcTextOutput output(printer.get());
    m_view.OnDraw(output);
    ::EndPage(printer.get());
    ::EndDoc(printer.get());
}

LRESULT CViewWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            m_platform.SetCurrentMessage(m_hWnd, message, wParam, lParam);
            m_view.OnTimer(static_cast<std::uintptr_t>(wParam));
            return 0;
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_MOUSEACTIVATE:
            // Clicking the view activates the frame as a whole.
            return MA_ACTIVATE;
        case WM_NCDESTROY:
            m_platform.AttachView(nullptr);
            return Default();
        default:
            return Default();
    }
}
