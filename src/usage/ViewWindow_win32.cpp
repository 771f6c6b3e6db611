#include "usage/ViewWindow_win32.h"

#include <commdlg.h>

#include <ctime>
#include <vector>

#include "notify/ForcedPowerOff_win32.h"
#include "notify/WarningDlg_win32.h"

namespace {

constexpr const char* kViewClass = "HourgateView";
// The system's own limit for the user-name buffer: 38 characters and a terminator.
constexpr DWORD kUserNameBuffer = 39;

bool IsLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != 0; }

}  // namespace

void DcTextOutput::TextOut(int x, int y, const std::string& text) {
    ::TextOutA(m_hDC, x, y, text.data(), static_cast<int>(text.size()));
}

void Win32Platform::SetCurrentMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    m_current.hwnd = window;
    m_current.message = message;
    m_current.wParam = wParam;
    m_current.lParam = lParam;
}

std::int64_t Win32Platform::Now() const { return ::_time64(nullptr); }

bool Win32Platform::ToLocalTime(std::int64_t time, LocalTimeFields& out) const {
    const __time64_t t = time;
    std::tm local{};
    if (::_localtime64_s(&local, &t) != 0) return false;
    out = LocalTimeFields::From(local);
    return true;
}

std::int64_t Win32Platform::SleepStoppingMilliseconds() const {
    ULONGLONG hundredNanoseconds = 0;
    ::QueryUnbiasedInterruptTime(&hundredNanoseconds);
    return static_cast<std::int64_t>(hundredNanoseconds / 10000);
}

std::optional<std::string> Win32Platform::UserName() const {
    char name[kUserNameBuffer] = {};
    DWORD size = kUserNameBuffer;
    if (!::GetUserNameA(name, &size)) return std::nullopt;
    return std::string(name);
}

std::string Win32Platform::ExecutablePath() const {
    // Grow the buffer rather than cut a long path, which would give a wrong directory.
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return std::string();
        if (n < path.size()) return std::string(path.data(), n);
        if (path.size() >= 32768) return std::string();
        path.resize(path.size() * 2);
    }
}

LeadByteTest Win32Platform::LeadBytes() const { return IsLeadByte; }

void Win32Platform::SetTimer(unsigned id, unsigned milliseconds) {
    ::SetTimer(m_hView, id, milliseconds, nullptr);
}

void Win32Platform::KillTimer(unsigned id) { ::KillTimer(m_hView, id); }

void Win32Platform::BaseInitialUpdate() { ::InvalidateRect(m_hView, nullptr, TRUE); }

void Win32Platform::Default() {
    ::DefWindowProcA(m_current.hwnd, m_current.message, m_current.wParam, m_current.lParam);
}

void Win32Platform::ShowWarning(const std::string& message) {
    CWarningDlg notice;
    notice.m_strMessage = message;
    notice.DoModal();
}

int Win32Platform::ForcedPowerOff() { return ::ForcedPowerOff(m_bDryRun); }

bool CViewWindow::Create(HWND frame, UINT id) {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (!::GetClassInfoExA(instance, kViewClass, &windowClass)) {
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kViewClass;
        if (!::RegisterClassExA(&windowClass)) return false;
    }
    m_hWnd = ::CreateWindowExA(WS_EX_CLIENTEDGE, kViewClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                               frame, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance,
                               this);
    if (!m_hWnd) return false;
    m_platform.AttachView(m_hWnd);
    return true;
}

void CViewWindow::OnPaint() {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    DcTextOutput output(dc);
    m_view.OnDraw(output);
    ::EndPaint(m_hWnd, &paint);
}

void CViewWindow::OnFilePrint(HWND owner, const char* documentName) {
    PRINTDLGA print{};
    print.lStructSize = sizeof print;
    print.hwndOwner = owner;
    print.Flags = PD_RETURNDC | PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS | PD_NOSELECTION |
                  PD_HIDEPRINTTOFILE;
    if (!::PrintDlgA(&print)) return;
    if (print.hDC) {
        DOCINFOA job{};
        job.cbSize = sizeof job;
        job.lpszDocName = documentName;
        if (::StartDocA(print.hDC, &job) > 0) {
            if (::StartPage(print.hDC) > 0) {
                DcTextOutput output(print.hDC);
                m_view.OnDraw(output);
                ::EndPage(print.hDC);
                ::EndDoc(print.hDC);
            } else {
                ::AbortDoc(print.hDC);
            }
        }
        ::DeleteDC(print.hDC);
    }
    if (print.hDevMode) ::GlobalFree(print.hDevMode);
    if (print.hDevNames) ::GlobalFree(print.hDevNames);
}

LRESULT CALLBACK CViewWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CViewWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<CViewWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_TIMER:
            self->m_platform.SetCurrentMessage(window, message, wParam, lParam);
            self->m_view.OnTimer(static_cast<std::uintptr_t>(wParam));
            return 0;
        case WM_PAINT:
            self->OnPaint();
            return 0;
        case WM_MOUSEACTIVATE:
            // Clicking the view activates the frame as a whole.
            return MA_ACTIVATE;
        case WM_NCDESTROY:
            ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
            self->m_hWnd = nullptr;
            self->m_platform.AttachView(nullptr);
            break;
        default:
            break;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}
