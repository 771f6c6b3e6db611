#include "tray/MainFrame_win32.h"

#include <commctrl.h>

#include "core/GuardedExit.h"
#include "os/DialogPlacement_win32.h"
#include "res/resource.h"
#include "tray/PassWordDlg_win32.h"

namespace {

struct Indicator {
    UINT id;
    int virtualKey;  // a lock key whose state the pane shows; 0 for the message pane
};

constexpr Indicator kIndicators[kIndicatorCount] = {
    {0, 0},  // ID_SEPARATOR: the message pane
    {ID_INDICATOR_KANA, VK_KANA},
    {ID_INDICATOR_CAPS, VK_CAPITAL},
    {ID_INDICATOR_NUM, VK_NUMLOCK},
    {ID_INDICATOR_SCRL, VK_SCROLL},
};

std::string LoadText(UINT id) {
    char buffer[512];
    const int n = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

// System-menu commands have their prompts at a fixed offset in the string table.
UINT PromptStringId(UINT commandId) {
    if (commandId >= SC_SIZE && commandId <= SC_CONTEXTHELP) {
        return AFX_IDS_SCSIZE + ((commandId - SC_SIZE) >> 4);
    }
    return commandId;
}

}  // namespace

std::string CommandPrompt(UINT commandId) {
    const std::string text = LoadText(PromptStringId(commandId));
    return text.substr(0, text.find('\n'));
}

std::string CommandTooltip(UINT commandId) {
    const std::string text = LoadText(commandId);
    const std::size_t lineFeed = text.find('\n');
    return lineFeed == std::string::npos ? std::string() : text.substr(lineFeed + 1);
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
    cs.style &= ~(FWS_ADDTOTITLE | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME);
    cs.cx = kFrameWidth;
    cs.cy = kFrameHeight;
    return TRUE;
}

bool CMainFrame::Create() {
    const HINSTANCE instance = ::GetModuleHandleA(nullptr);
    const auto loadIcon = [instance](int size) {
        return static_cast<HICON>(
            ::LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
    };
    m_classIcon.reset(loadIcon(32));
    m_classIconSmall.reset(loadIcon(16));
    WNDCLASSEXA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.hIcon = m_classIcon.get();
    windowClass.hIconSm = m_classIconSmall.get();
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kFrameClass;
    m_class.reset(RegisterWindowClass(windowClass));
    if (!m_class) return false;

    CREATESTRUCTA cs{};
    cs.hInstance = instance;
    cs.lpszClass = kFrameClass;
    cs.style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE;
    cs.x = CW_USEDEFAULT;
    cs.y = CW_USEDEFAULT;
    cs.cx = CW_USEDEFAULT;
    cs.cy = CW_USEDEFAULT;
    if (!PreCreateWindow(cs)) return false;
    const std::string title = LoadText(IDR_MAINFRAME);  // the window-title field comes first
    ScopedMenu menu(::LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME)));
    if (!CreateEx(cs.dwExStyle, kFrameClass, title.substr(0, title.find('\n')).c_str(),
                  static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy, nullptr, menu.get())) {
        return false;
    }
    menu.release();  // the window's now, destroyed with it
    return true;
}

int CMainFrame::OnCreate(CREATESTRUCTA* /*cs*/) {
    if (!m_view.Create(m_hWnd, AFX_IDW_PANE_FIRST)) return -1;
    if (!CreateToolBar() || !LoadToolBar()) return -1;
    if (!CreateStatusBar() || !SetIndicators()) return -1;
    OnSize();

    m_hTrayIcon.reset(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                      MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                                      16, 16, LR_DEFAULTCOLOR)));
    ::ZeroMemory(&m_trayIconData, sizeof m_trayIconData);
    // The record through the balloon fields, without the GUID: 504 bytes in a
    // 64-bit build (488 in a 32-bit one).
    m_trayIconData.cbSize = NOTIFYICONDATAA_V2_SIZE;
    m_trayIconData.hWnd = m_hWnd;
    m_trayIconData.uID = kTrayIconId;
    m_trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_trayIconData.uCallbackMessage = WM_TRAYNOTIFY;
    m_trayIconData.hIcon = m_hTrayIcon.get();
    ::lstrcpynA(m_trayIconData.szTip, kTrayTip, sizeof m_trayIconData.szTip);
    ::Shell_NotifyIconA(NIM_ADD, &m_trayIconData);
    m_trayIconData.uFlags = NIF_MESSAGE | NIF_ICON;
    m_bWindowShown = FALSE;
    return 0;
}

bool CMainFrame::CreateToolBar() {
    m_toolBar = ::CreateWindowExA(
        0, TOOLBARCLASSNAMEA, nullptr,
        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, 0, 0, 0,
        0, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_TOOLBAR)),
        ::GetModuleHandleA(nullptr), nullptr);
    return m_toolBar != nullptr;
}

bool CMainFrame::LoadToolBar() {
    ::SendMessageA(m_toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(m_toolBar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 15));
    TBADDBITMAP bitmap{::GetModuleHandleA(nullptr), IDR_MAINFRAME};
    if (::SendMessageA(m_toolBar, TB_ADDBITMAP, 1, reinterpret_cast<LPARAM>(&bitmap)) < 0) {
        return false;
    }
    TBBUTTON about{};
    about.iBitmap = 0;
    about.idCommand = ID_APP_ABOUT;
    about.fsState = TBSTATE_ENABLED;
    about.fsStyle = BTNS_BUTTON;
    if (!::SendMessageA(m_toolBar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&about))) {
        return false;
    }
    ::SendMessageA(m_toolBar, TB_AUTOSIZE, 0, 0);
    return true;
}

bool CMainFrame::CreateStatusBar() {
    // No size grip: the frame cannot be resized.
    m_statusBar = ::CreateWindowExA(
        0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE | CCS_BOTTOM, 0, 0, 0, 0, m_hWnd,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_STATUS_BAR)),
        ::GetModuleHandleA(nullptr), nullptr);
    return m_statusBar != nullptr;
}

bool CMainFrame::SetIndicators() {
    int rightEdges[kIndicatorCount];
    for (int i = 0; i < kIndicatorCount; ++i) rightEdges[i] = -1;
    if (!::SendMessageA(m_statusBar, SB_SETPARTS, kIndicatorCount,
                        reinterpret_cast<LPARAM>(rightEdges))) {
        return false;
    }
    SetMessageText(LoadText(AFX_IDS_IDLEMESSAGE));
    UpdateIndicators();
    return true;
}

void CMainFrame::UpdateIndicators() {
    if (!m_statusBar) return;
    for (int i = 1; i < kIndicatorCount; ++i) {
        const bool on = (::GetKeyState(kIndicators[i].virtualKey) & 1) != 0;
        std::string text = on ? LoadText(kIndicators[i].id) : std::string();
        if (text == m_indicatorTexts[i]) continue;
        m_indicatorTexts[i] = text;
        ::SendMessageA(m_statusBar, SB_SETTEXTA, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(m_indicatorTexts[i].c_str()));
    }
}

void CMainFrame::SetMessageText(const std::string& text) {
    if (!m_statusBar) return;
    ::SendMessageA(m_statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void CMainFrame::ShowPrompt(UINT commandId) { SetMessageText(CommandPrompt(commandId)); }

void CMainFrame::OnSize() {
    if (!m_toolBar || !m_statusBar) return;
    ::SendMessageA(m_toolBar, TB_AUTOSIZE, 0, 0);
    ::SendMessageA(m_statusBar, WM_SIZE, 0, 0);
    RECT client, tool, status;
    ::GetClientRect(m_hWnd, &client);
    ::GetWindowRect(m_toolBar, &tool);
    ::GetWindowRect(m_statusBar, &status);
    const int top = tool.bottom - tool.top;
    const int bottom = client.bottom - (status.bottom - status.top);
    ::MoveWindow(m_view.m_hWnd, 0, top, client.right, bottom > top ? bottom - top : 0, TRUE);

    // Each lock-key pane is as wide as its text; the message pane takes the rest.
    const ScopedWindowDC dc = BorrowDC(m_statusBar);
    const ScopedSelection font = SelectInto(
        dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageA(m_statusBar, WM_GETFONT, 0, 0)));
    int rightEdges[kIndicatorCount];
    int edge = client.right;
    for (int i = kIndicatorCount - 1; i >= 1; --i) {
        rightEdges[i] = edge;
        const std::string text = LoadText(kIndicators[i].id);
        SIZE size{};
        ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        edge -= size.cx + 10;
    }
    rightEdges[0] = edge;
    ::SendMessageA(m_statusBar, SB_SETPARTS, kIndicatorCount, reinterpret_cast<LPARAM>(rightEdges));
}

LRESULT CMainFrame::OnTrayNotify(WPARAM iconId, LPARAM mouseMessage) {
    if (iconId != kTrayIconId) return 0;
    if (mouseMessage == WM_LBUTTONDOWN) {
        // Follows the flag, not the window's actual state: a shown window that is
        // covered or inactive is hidden by the press.
        if (!m_bWindowShown) {
            if (m_view.IsGuarded()) m_view.RefreshFromGuard();
            ::ShowWindow(m_hWnd, SW_SHOW);
            m_bWindowShown = TRUE;
        } else {
            ::ShowWindow(m_hWnd, SW_HIDE);
            m_bWindowShown = FALSE;
        }
        ::UpdateWindow(m_hWnd);
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        // Without this the menu would not close when the user clicks elsewhere.
        ::SetForegroundWindow(m_hWnd);
        const ScopedMenu menu(
            ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAYMENU)));
        if (menu) {
            ::TrackPopupMenu(::GetSubMenu(menu.get(), 0), TPM_CENTERALIGN | TPM_LEFTBUTTON,
                             cursor.x, cursor.y, 0, m_hWnd, nullptr);
            // The documented remedy for a tray menu that otherwise closes at once
            // the next time it is opened.
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
        }
    }
    return 0;
}

void CMainFrame::OnClose() {
    ::ShowWindow(m_hWnd, SW_HIDE);
    m_bWindowShown = FALSE;
    ::UpdateWindow(m_hWnd);
}

void CMainFrame::OnDestroy() {
    ::Shell_NotifyIconA(NIM_DELETE, &m_trayIconData);
    ::PostQuitMessage(0);
}

void CMainFrame::GuardedExit() {
    CPassWordDlg dialog;
    const int result = static_cast<int>(dialog.DoModal());
    const GuardedExitOutcome outcome =
        DecideGuardedExit(result, dialog.m_strPassword,
                          {m_view.IsGuarded(), m_platform.DryRun(), AskGuardPowerOff,
                           [this] { return m_platform.ForcedPowerOff(); }});
    if (outcome == GuardedExitOutcome::KeepRunning) return;
    // The same steps as when the window is destroyed, but the window stays: the
    // message loop ends on the quit message and the process with it.
    ::Shell_NotifyIconA(NIM_DELETE, &m_trayIconData);
    ::PostQuitMessage(0);
}

void CMainFrame::OnAppExit() { GuardedExit(); }
void CMainFrame::OnTrayExit() { GuardedExit(); }

bool CMainFrame::OnCommand(UINT id) {
    switch (id) {
        case ID_APP_EXIT:
            OnAppExit();
            return true;
        case ID_TRAY_EXIT:
            OnTrayExit();
            return true;
        case ID_APP_ABOUT:
            m_commands.about();
            return true;
        case ID_FILE_NEW:
            m_commands.fileNew();
            return true;
        case ID_FILE_OPEN:
            m_commands.fileOpen();
            return true;
        case ID_FILE_SAVE:
            m_commands.fileSave();
            return true;
        case ID_FILE_PRINT_SETUP:
            m_commands.printSetup();
            return true;
        case ID_FILE_PRINT:
        case ID_FILE_PRINT_DIRECT:
            m_view.OnFilePrint(m_hWnd, m_commands.title().c_str());
            return true;
        default:
            return false;  // the edit and pane commands have no handler
    }
}

LRESULT CMainFrame::OnNotify(NMHDR* header) {
    switch (header->code) {
        case TTN_GETDISPINFOA: {
            auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
            m_tooltip = CommandTooltip(static_cast<UINT>(header->idFrom));
            info->lpszText = &m_tooltip[0];
            return 0;
        }
        case TTN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
            const std::string tip = CommandTooltip(static_cast<UINT>(header->idFrom));
            const int n = ::MultiByteToWideChar(CP_ACP, 0, tip.c_str(), -1, info->szText,
                                                sizeof info->szText / sizeof info->szText[0]);
            if (n == 0) info->szText[0] = L'\0';
            info->lpszText = info->szText;
            return 0;
        }
        case TBN_HOTITEMCHANGE: {
            // The prompt of the button under the mouse, the idle text once it leaves.
            auto* hot = reinterpret_cast<NMTBHOTITEM*>(header);
            if ((hot->dwFlags & HICF_LEAVING) || hot->idNew == 0) {
                EndFlyBy();
            } else {
                ShowPrompt(static_cast<UINT>(hot->idNew));
                // The tool bar is not told when the mouse jumps out of the window,
                // so look for ourselves until it has gone.
                ::SetTimer(m_hWnd, kFlyByTimerId, kFlyByCheckMilliseconds, nullptr);
            }
            return 0;
        }
        default:
            return 0;
    }
}

void CMainFrame::EndFlyBy() {
    ::KillTimer(m_hWnd, kFlyByTimerId);
    SetMessageText(LoadText(AFX_IDS_IDLEMESSAGE));
}

void CMainFrame::OnFlyByTimer() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const HWND under = ::WindowFromPoint(cursor);
    if (under != m_toolBar || !::IsWindowVisible(m_hWnd)) EndFlyBy();
}

void CMainFrame::OnMenuSelect(UINT item, UINT flags, HMENU menu) {
    if (flags == 0xFFFF && menu == nullptr) {
        SetMessageText(LoadText(AFX_IDS_IDLEMESSAGE));  // the menu has closed
    } else if (item == 0 || (flags & (MF_SEPARATOR | MF_POPUP))) {
        SetMessageText(std::string());
    } else {
        ShowPrompt(item);
    }
}

void CMainFrame::OnTaskbarCreated() {
    // A new task bar (Explorer restarted, or started after this program at logon)
    // knows nothing of the icon; without it the window could not be reached.
    m_trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    ::Shell_NotifyIconA(NIM_ADD, &m_trayIconData);
    m_trayIconData.uFlags = NIF_MESSAGE | NIF_ICON;
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    static const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    switch (message) {
        case WM_TRAYNOTIFY:
            return OnTrayNotify(wParam, lParam);
        case WM_CREATE:
            return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_CLOSE:
            OnClose();
            return 0;
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam)) ? 0 : Default();
        case WM_SIZE:
            OnSize();
            return 0;
        case WM_TIMER:
            if (wParam != kFlyByTimerId) return Default();
            OnFlyByTimer();
            return 0;
        case WM_SETFOCUS:
            if (m_view.m_hWnd) ::SetFocus(m_view.m_hWnd);
            return 0;
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_MENUSELECT:
            OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
            return 0;
        default:
            if (message == taskbarCreated && taskbarCreated != 0) {
                OnTaskbarCreated();
                return 0;
            }
            return Default();
    }
}
