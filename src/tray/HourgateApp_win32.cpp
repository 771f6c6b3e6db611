#include "tray/HourgateApp_win32.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstdlib>

#include "core/CommandLine.h"
#include "os/DialogPlacement_win32.h"
#include "os/Handles_win32.h"
#include "res/resource.h"
#include "tray/AboutDlg_win32.h"
#include "tray/Console_win32.h"

namespace {

CHourgateApp theApp;

constexpr const char* kUntitled = "無題";
constexpr const char kAllFilesFilter[] = "すべてのﾌｧｲﾙ (*.*)\0*.*\0";

// The common dialog record shared by the open and save commands.
OPENFILENAMEA FileDialogRecord(HWND owner, char* path, DWORD pathSize, DWORD flags) {
    OPENFILENAMEA record{};
    record.lStructSize = sizeof record;
    record.hwndOwner = owner;
    record.lpstrFilter = kAllFilesFilter;
    record.lpstrFile = path;
    record.nMaxFile = pathSize;
    record.Flags = flags | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    return record;
}

std::string FileTitleOf(const std::string& path) {
    char title[MAX_PATH] = {};
    if (::GetFileTitleA(path.c_str(), title, sizeof title) != 0) return path;
    return title;
}

}  // namespace

CHourgateApp& AfxGetApp() { return theApp; }

void CHourgateApp::InitialUpdate() {
    // Guarded, usage start is the guard's: the figures are asked for instead.
    if (m_pMainWnd->View().IsGuarded()) {
        m_pMainWnd->View().RefreshFromGuard();
    } else {
        m_pMainWnd->View().View().OnInitialUpdate();
    }
}

BOOL CHourgateApp::InitInstance(int argc, char** argv, int showCommand) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    const CommandLineInfo commandLine = ParseCommandLine(argc, argv, '\\');
    // Where the guard service runs, it counts and enforces; this program is its face.
    const GuardPipeReply guard = AskGuard(GuardMethod::Status);
    const bool guarded = guard.reach != GuardReach::NoGuard;
    m_pPlatform = std::make_unique<Win32Platform>(commandLine.dryRun);
    m_pDocument = std::make_unique<CHourgateDoc>(*m_pPlatform);
    m_strTitle = kUntitled;
    m_pMainWnd = std::make_unique<CMainFrame>(
        *m_pPlatform, *m_pDocument,
        FrameCommands{[this] { OnAppAbout(); }, [this] { OnFileNew(); }, [this] { OnFileOpen(); },
                      [this] { OnFileSave(); }, [this] { OnFilePrintSetup(); },
                      [this] { return m_strTitle; }});
    if (!m_pMainWnd->Create()) return FALSE;
    SetMainWindow(m_pMainWnd->m_hWnd);
    m_hAccelTable =
        ::LoadAcceleratorsA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));

    const bool opened = commandLine.file.empty() ? m_pDocument->OnNewDocument()
                                                 : OpenDocumentFile(commandLine.file);
    if (!opened) {
        m_pMainWnd.reset();  // takes the window and the tray icon away again
        SetMainWindow(nullptr);
        return FALSE;
    }
    if (guarded) {
        m_pMainWnd->View().EnterGuardedMode(guard);
        m_pPlatform->WriteSystemInfo("guarded mode: the guard service counts for this user");
    } else {
        m_pPlatform->WriteSystemInfo("standalone mode: this program counts and enforces");
        InitialUpdate();
    }
    const HWND frame = m_pMainWnd->m_hWnd;
    ::ShowWindow(frame, showCommand);
    ::UpdateWindow(frame);

    // The program lives in the notification area.
    ::ShowWindow(frame, SW_HIDE);
    ::UpdateWindow(frame);
    return TRUE;
}

int CHourgateApp::Run() {
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        const HWND frame = m_pMainWnd->m_hWnd;
        // The accelerators act only while the frame is shown and has the keyboard.
        if (m_hAccelTable && frame && ::IsWindowVisible(frame) &&
            (message.hwnd == frame || ::IsChild(frame, message.hwnd)) &&
            ::TranslateAcceleratorA(frame, m_hAccelTable, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
        if (frame && ::IsWindowVisible(frame)) m_pMainWnd->UpdateIndicators();
    }
    return static_cast<int>(message.wParam);
}

bool CHourgateApp::OpenDocumentFile(const std::string& path) {
    // The document stores nothing, so nothing is read.
    if (!OpenFileHandle(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING)) return false;
    m_strTitle = FileTitleOf(path);
    return true;
}

void CHourgateApp::OnAppAbout() {
    CAboutDlg about;
    about.DoModal();
}

void CHourgateApp::OnFileNew() {
    if (!m_pDocument->OnNewDocument()) return;
    m_strTitle = kUntitled;
    InitialUpdate();
}

void CHourgateApp::OnFileOpen() {
    char path[MAX_PATH] = {};
    OPENFILENAMEA open = FileDialogRecord(m_pMainWnd->m_hWnd, path, sizeof path, OFN_FILEMUSTEXIST);
    if (!::GetOpenFileNameA(&open)) return;
    if (OpenDocumentFile(path)) InitialUpdate();
}

void CHourgateApp::OnFileSave() {
    // Always ask for the name: writing the empty document back over the file it
    // was opened from would destroy that file's contents.
    char path[MAX_PATH] = {};
    ::lstrcpynA(path, m_strTitle.c_str(), sizeof path);
    OPENFILENAMEA save =
        FileDialogRecord(m_pMainWnd->m_hWnd, path, sizeof path, OFN_OVERWRITEPROMPT);
    if (!::GetSaveFileNameA(&save)) return;
    // The document stores nothing: the file is created empty.
    if (!OpenFileHandle(path, GENERIC_WRITE, 0, CREATE_ALWAYS)) return;
    m_strTitle = FileTitleOf(path);
}

void CHourgateApp::OnFilePrintSetup() {
    PRINTDLGA setup{};
    setup.lStructSize = sizeof setup;
    setup.hwndOwner = m_pMainWnd->m_hWnd;
    setup.Flags = PD_PRINTSETUP;
    ::PrintDlgA(&setup);
    // Nothing keeps the choice: the print command asks again.
    const ScopedGlobal devMode(setup.hDevMode);
    const ScopedGlobal devNames(setup.hDevNames);
}

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
    // --help, --version and wrong switches are answered before anything starts.
    const int answered = AnswerOnConsole(ParseCommandLine(__argc, __argv, '\\'));
    if (answered >= 0) return answered;
    CHourgateApp& app = AfxGetApp();
    if (!app.InitInstance(__argc, __argv, showCommand)) return 1;
    return app.Run();
}
