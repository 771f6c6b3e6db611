// The program's only top-level window: menu bar, tool bar, status bar, the view
// in its client area, and the tray icon that shows and hides it.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include <functional>
#include <string>
#include <utility>

#include "os/Handles_win32.h"
#include "os/Window_win32.h"
#include "tray/HourgateView_win32.h"

constexpr UINT WM_TRAYNOTIFY = WM_APP + 100;
constexpr UINT kTrayIconId = 1;
constexpr const char* kFrameClass = "HourgateFrame";
constexpr const char* kTrayTip = "HourGate";
// The frame style of a document/view frame before this frame trims it.
constexpr DWORD FWS_ADDTOTITLE = 0x8000;
constexpr int kFrameWidth = 400;
constexpr int kFrameHeight = 150;
constexpr int kIndicatorCount = 5;
// Checks whether the mouse is still on the tool bar while a button's prompt shows.
constexpr UINT_PTR kFlyByTimerId = 0xE000;
constexpr UINT kFlyByCheckMilliseconds = 200;

// The commands the frame passes on to the application object, which keeps the
// document's title and runs the dialogs that open, save and set up printing;
// given to the frame at construction.
struct FrameCommands {
    std::function<void()> about;
    std::function<void()> fileNew;
    std::function<void()> fileOpen;
    std::function<void()> fileSave;
    std::function<void()> printSetup;
    // The document's title, which the print job carries.
    std::function<std::string()> title;
};

class CMainFrame : public CWnd {
public:
    CMainFrame(Win32Platform& platform, CHourgateDoc& document, FrameCommands commands)
        : m_platform(platform), m_commands(std::move(commands)), m_view(platform, document) {}
    // Destroys the window while its handlers still run: the tray icon goes with it.
    ~CMainFrame() override { DestroyWindow(); }

    // Creates the window (and with it the view, the bars and the tray icon).
    bool Create();
    // Fixed size, caption and system menu only, no document name in the caption.
    static BOOL PreCreateWindow(CREATESTRUCTA& cs);

    // Shows the lock-key panes of the status bar as the keys stand now.
    void UpdateIndicators();
    CViewWindow& View() { return m_view; }

    // Children of the frame, destroyed with it.
    HWND m_statusBar = nullptr;
    HWND m_toolBar = nullptr;
    ScopedIcon m_hTrayIcon;
    NOTIFYICONDATAA m_trayIconData{};
    BOOL m_bWindowShown = FALSE;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnTrayNotify(WPARAM iconId, LPARAM mouseMessage);
    int OnCreate(CREATESTRUCTA* cs);
    void OnDestroy();
    void OnAppExit();
    void OnTrayExit();
    void OnClose();
    void OnTaskbarCreated();
    void OnSize();
    bool OnCommand(UINT id);
    LRESULT OnNotify(NMHDR* header);
    void OnMenuSelect(UINT item, UINT flags, HMENU menu);
    void OnFlyByTimer();
    void EndFlyBy();

    bool CreateToolBar();
    bool LoadToolBar();
    bool CreateStatusBar();
    bool SetIndicators();
    void SetMessageText(const std::string& text);
    void ShowPrompt(UINT commandId);
    // The password check shared by both exit commands.
    void GuardedExit();

    Win32Platform& m_platform;
    FrameCommands m_commands;
    // The class's icons outlive the class, which outlives the window.
    ScopedIcon m_classIcon;
    ScopedIcon m_classIconSmall;
    ScopedClass m_class;
    CViewWindow m_view;
    std::string m_indicatorTexts[kIndicatorCount];
    std::string m_tooltip;
};

// The status-bar prompt (before the line feed) or the tooltip (after it) of a
// command, from the string table; empty when the command has none.
std::string CommandPrompt(UINT commandId);
std::string CommandTooltip(UINT commandId);
