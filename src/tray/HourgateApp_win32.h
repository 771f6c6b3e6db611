// The application object: start-up, the message loop and the commands that the
// frame passes on to it (About, new, open, save, print setup).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/HourgateDoc.h"
#include "tray/HourgateView_win32.h"
#include "tray/MainFrame_win32.h"

class CHourgateApp {
public:
    // False when start-up failed; the program then ends without a message loop.
    BOOL InitInstance(int argc, char** argv, int showCommand);
    int Run();

    void OnAppAbout();
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFilePrintSetup();

    // Opens `path` as the (empty) document: the file must be readable, nothing is
    // read from it.
    bool OpenDocumentFile(const std::string& path);

    std::unique_ptr<Win32Platform> m_pPlatform;
    std::unique_ptr<CHourgateDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainWnd;
    HACCEL m_hAccelTable = nullptr;
    std::string m_strTitle;  // the document's title: "無題", or the opened file's name

private:
    void InitialUpdate();
};

CHourgateApp& AfxGetApp();
