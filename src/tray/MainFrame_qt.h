// The main frame: a hidden 400 x 150 window holding the view, with menu bar,
// tool bar and status bar, and the tray icon that shows it, hides it and offers
// the guarded exit.
#pragma once

#include <QMainWindow>
#include <QSystemTrayIcon>

#include "core/HourgateView.h"

class CHourgateDoc;
class CHourgateViewWnd;
class QMenu;
class QToolBar;
class GuardClient;
class QtPlatform;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(QtPlatform& platform, CHourgateDoc& document);
    ~CMainFrame() override;

    // Adds the accelerators and the tray icon; false when start-up must stop.
    bool OnCreate();
    // True once an exit command has closed the program.
    bool IsClosing() const { return m_bClosing; }

    // Guarded mode: the guard counts, the window shows its figures and notices.
    void EnterGuardedMode(GuardClient* guard);
    // Usage start; in guarded mode, where the guard counts, the guard's
    // figures fetched afresh instead. Run at start, by New and by Open.
    void StartUsage();
    // The new-document command: the one document is reused and usage start runs again.
    void OnFileNew();

    // Builds the bars before the window is first shown.
    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The menu bar, tool bar and status bar. Made at start, the status bar's
    // text layout alone loads fontconfig, FreeType, HarfBuzz and the Japanese
    // face (about 6 MB) into a program that mostly stays hidden all day.
    void CreateBars();
    void OnTrayNotify(QSystemTrayIcon::ActivationReason reason);
    void OnAppExit();
    void OnTrayExit();
    void OnAppAbout();
    void OnFileOpen();
    void OnFileSave();
    void OnFilePrint();
    // Asks for the exit password and closes, powers off and closes, or changes nothing.
    void GuardedExit();
    void CloseProgram();

    QtPlatform& m_platform;
    CHourgateDoc& m_document;
    CHourgateView m_view;
    CHourgateViewWnd* m_viewWnd = nullptr;
    QToolBar* m_toolBar = nullptr;
    QSystemTrayIcon* m_trayIcon = nullptr;
    QMenu* m_trayMenu = nullptr;
    bool m_bWindowShown = false;
    bool m_bClosing = false;
};
