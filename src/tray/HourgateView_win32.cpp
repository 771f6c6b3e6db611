#include "tray/HourgateView_win32.h"

#include <commdlg.h>

namespace {

constexpr const char* kViewClass = "HourgateView";
// Where the view puts its lines, one under the other.
constexpr int kLineSpacing = 30;

// Draws on the device context and keeps the text, which then also becomes the
// window's text: screen readers and test tools read the figures there.
class KeptTextOutput : public TextOutput {
public:
    explicit KeptTextOutput(TextOutput& inner) : m_inner(inner) {}
    void TextOut(int x, int y, const std::string& text) override {
        m_inner.TextOut(x, y, text);
        if (!kept.empty()) kept += "\r\n";
        kept += text;
        ++lines;
    }
    std::string kept;
    std::size_t lines = 0;

private:
    TextOutput& m_inner;
};

}  // namespace

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

void CViewWindow::Draw(TextOutput& output) {
    if (!m_bGuarded) {
        m_view.OnDraw(output);
        return;
    }
    for (std::size_t i = 0; i < m_guardLines.size(); ++i) {
        output.TextOut(0, static_cast<int>(i) * kLineSpacing, m_guardLines[i]);
    }
}

void CViewWindow::OnPaint() {
    std::size_t lines = 0;
    {
        const PaintScope paint(m_hWnd);
        DcTextOutput dc(paint.dc());
        KeptTextOutput output(dc);
        Draw(output);
        char shown[512] = {};
        ::GetWindowTextA(m_hWnd, shown, sizeof shown);
        if (output.kept != shown) ::SetWindowTextA(m_hWnd, output.kept.c_str());
        lines = output.lines;
    }
    FitLines(lines);
}

void CViewWindow::FitLines(std::size_t lines) {
    // The frame keeps its own size for the two lines; a third (the limits an
    // administrator set) makes it as much taller as that line needs.
    if (lines <= 2) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const int needed = static_cast<int>(lines - 1) * kLineSpacing + kLineSpacing * 2 / 3;
    if (client.bottom >= needed) return;
    const HWND frame = ::GetParent(m_hWnd);
    RECT outer{};
    ::GetWindowRect(frame, &outer);
    ::SetWindowPos(frame, nullptr, 0, 0, outer.right - outer.left,
                   outer.bottom - outer.top + needed - client.bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CViewWindow::EnterGuardedMode(const GuardPipeReply& first) {
    m_bGuarded = true;
    ShowGuardReply(first);
    ::SetTimer(m_hWnd, kGuardPollTimerId, kUsageTimerMilliseconds, nullptr);
}

bool CViewWindow::TakeOverByLateGuard() {
    const GuardPipeReply guard = AskGuard(GuardMethod::Status);
    if (guard.reach == GuardReach::NoGuard) return false;
    ::KillTimer(m_hWnd, USAGE_TIMER_ID);
    m_platform.WriteSystemInfo("guarded mode: the guard service counts for this user from now on");
    EnterGuardedMode(guard);
    return true;
}

void CViewWindow::RefreshFromGuard() { ShowGuardReply(AskGuard(GuardMethod::Status)); }

void CViewWindow::ShowGuardReply(const GuardPipeReply& reply) {
    std::vector<std::string> lines = m_guardLines;
    if (reply.Is(GuardAnswer::Kind::Lines)) {
        lines = reply.answer.lines;
    } else if (reply.reach == GuardReach::Answered) {
        lines.clear();  // the guard keeps no count for this user now
    }                   // no answer this time: the last lines stay
    if (lines == m_guardLines) return;
    m_guardLines = lines;
    // The window's text follows at once, shown or not; the painting when it shows.
    std::string text;
    for (const std::string& line : m_guardLines) text += (text.empty() ? "" : "\r\n") + line;
    ::SetWindowTextA(m_hWnd, text.c_str());
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
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
    Draw(output);
    ::EndPage(printer.get());
    ::EndDoc(printer.get());
}

LRESULT CViewWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (m_bGuarded) {
                if (wParam == kGuardPollTimerId) RefreshFromGuard();
                return 0;
            }
            if (TakeOverByLateGuard()) return 0;
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
