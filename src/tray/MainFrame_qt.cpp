#include "tray/MainFrame_qt.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QLabel>
#include <QLibrary>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <QToolBar>

#include "core/GuardedExit.h"
#include "core/HourgateDoc.h"
#include "os/System_posix.h"
#include "tray/AboutDlg_qt.h"
#include "tray/FilePrint_qt.h"
#include "tray/GuardClient_qt.h"
#include "tray/HourgateView_qt.h"
#include "tray/PassWordDlg_qt.h"
#include "tray/Platform_qt.h"

namespace {

QString Jp(const char* utf8) { return QString::fromUtf8(utf8); }

// With the format named: from the file name alone Qt loads every image plugin
// (JPEG, GIF, ICO, ...) to find out which one reads it.
QPixmap Png(const char* path) { return QPixmap(QString::fromLatin1(path), "PNG"); }

constexpr int kFrameWidth = 400;
constexpr int kFrameHeight = 150;

}  // namespace

CMainFrame::CMainFrame(QtPlatform& platform, CHourgateDoc& document)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_platform(platform),
      m_document(document),
      m_view(platform, document) {
    // The caption never carries a document name.
    setWindowTitle(QStringLiteral("hourgate"));
    setWindowIcon(QIcon(Png(":/res/hourgate-32.png")));
    setFixedSize(kFrameWidth, kFrameHeight);

    m_viewWnd = new CHourgateViewWnd(this);
    m_viewWnd->SetView(&m_view);
    setCentralWidget(m_viewWnd);
    m_platform.AttachView(m_viewWnd);
    m_platform.SetMainWindow(this);
}

void CMainFrame::EnterGuardedMode(GuardClient* guard) {
    // The count is the guard's from now on: this program's own ticks end.
    m_platform.KillTimer(USAGE_TIMER_ID);
    m_viewWnd->SetLineSource([guard](TextOutput& dc) {
        const QStringList& lines = guard->Lines();
        if (lines.size() >= 2) DrawStatusLines(dc, lines[0].toStdString(), lines[1].toStdString());
        if (lines.size() >= 3) dc.TextOut(0, 60, lines[2].toStdString());
    });
    connect(guard, &GuardClient::StatusChanged, this, [this, guard] {
        // Also as the window's icon text, as the notice does, so that test
        // tools can read the figures without screen scraping.
        setWindowIconText(guard->Lines().join(QLatin1Char('\n')));
        m_viewWnd->update();
    });
    connect(guard, &GuardClient::Notice, this, [this, guard](const QString& message) {
        m_platform.ShowWarning(message.toStdString());  // returns once it has closed
        guard->NoticeClosed();
    });
}

CMainFrame::~CMainFrame() {
    m_platform.AttachView(nullptr);
    if (m_trayIcon) m_trayIcon->hide();
}

bool CMainFrame::OnCreate() {
    // Accelerators: active only while the window is shown and active.
    const struct {
        QKeySequence keys;
        void (CMainFrame::*handler)();
    } accelerators[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_N), &CMainFrame::OnFileNew},
        {QKeySequence(Qt::CTRL | Qt::Key_O), &CMainFrame::OnFileOpen},
        {QKeySequence(Qt::CTRL | Qt::Key_S), &CMainFrame::OnFileSave},
        {QKeySequence(Qt::CTRL | Qt::Key_P), &CMainFrame::OnFilePrint},
    };
    for (const auto& accelerator : accelerators) {
        auto* action = new QAction(this);
        action->setShortcut(accelerator.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, accelerator.handler);
        addAction(action);
    }

    QIcon trayImage;
    trayImage.addPixmap(Png(":/res/hourgate-16.png"));
    trayImage.addPixmap(Png(":/res/hourgate-32.png"));
    m_trayMenu = new QMenu(this);
    QAction* trayExit = m_trayMenu->addAction(Jp("終了"));
    connect(trayExit, &QAction::triggered, this, &CMainFrame::OnTrayExit);

    m_trayIcon = new QSystemTrayIcon(trayImage, this);
    m_trayIcon->setToolTip(QStringLiteral("HourGate"));
    // Handed to Qt rather than popped up here: an X11 tray then opens it at the
    // right button's press, and desktops with StatusNotifierItem hosts (KDE,
    // GNOME's AppIndicator extension) show it as their own menu.
    m_trayIcon->setContextMenu(m_trayMenu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &CMainFrame::OnTrayNotify);
    // Without a tray host the program runs on unseen; Qt docks the icon as soon
    // as a host appears.
    m_trayIcon->show();

    m_bWindowShown = false;
    return true;
}

void CMainFrame::setVisible(bool visible) {
    if (visible && !m_toolBar) CreateBars();
    QMainWindow::setVisible(visible);
}

void CMainFrame::CreateBars() {
    auto* about =
        new QAction(QIcon(Png(":/res/about-16.png")), Jp("hourgate のﾊﾞｰｼﾞｮﾝ情報(&A)..."), this);
    about->setStatusTip(Jp("ﾌﾟﾛｸﾞﾗﾑの情報、ﾊﾞｰｼﾞｮﾝそして著作権を表示"));
    about->setToolTip(Jp("ﾊﾞｰｼﾞｮﾝ情報"));
    connect(about, &QAction::triggered, this, &CMainFrame::OnAppAbout);

    auto* exitAction = new QAction(Jp("ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"), this);
    exitAction->setStatusTip(Jp("ｱﾌﾟﾘｹｰｼｮﾝを終了し、ﾌｧｲﾙの保存を指示"));
    connect(exitAction, &QAction::triggered, this, &CMainFrame::OnAppExit);

    QMenu* file = menuBar()->addMenu(Jp("ﾌｧｲﾙ(&F)"));
    file->setSeparatorsCollapsible(false);  // the menu starts with a separator
    file->addSeparator();
    file->addAction(exitAction);
    QMenu* help = menuBar()->addMenu(Jp("ﾍﾙﾌﾟ(&H)"));
    help->addAction(about);

    m_toolBar = addToolBar(QStringLiteral("hourgate"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(true);
    m_toolBar->addAction(about);

    // The idle text is an ordinary status-bar widget: prompts of the item under
    // the mouse cover it while they show, and it returns when they clear.
    statusBar()->addWidget(new QLabel(Jp("ﾚﾃﾞｨ"), statusBar()), 1);
}

void CMainFrame::OnTrayNotify(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            // The toggle follows the flag, not whether the window is covered or active.
            if (!m_bWindowShown) {
                show();
                m_bWindowShown = true;
            } else {
                hide();
                m_bWindowShown = false;
            }
            update();
            break;
        default:
            // The right button's menu is Qt's (setContextMenu); a double click's
            // second press and the middle button do nothing.
            break;
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Closing only hides: the program, its tray icon and usage control go on.
    event->ignore();
    hide();
    m_bWindowShown = false;
}

void CMainFrame::OnAppExit() { GuardedExit(); }

void CMainFrame::OnTrayExit() { GuardedExit(); }

void CMainFrame::GuardedExit() {
    CPassWordDlg dlg(this);
    const int result = dlg.DoModal();
    const GuardedExitOutcome outcome =
        DecideGuardedExit(result, dlg.m_strPassword,
                          {m_platform.Guard() != nullptr, m_platform.DryRun(),
                           [this] { return m_platform.AskGuardPowerOff(); },
                           [this] { return m_platform.ForcedPowerOff(); }});
    // KeepRunning: the request could not even be sent, so nothing changes.
    if (outcome != GuardedExitOutcome::KeepRunning) CloseProgram();
}

void CMainFrame::CloseProgram() {
    // Nothing is written on the way out: the last tick left the record current.
    m_trayIcon->hide();
    m_bClosing = true;
    QCoreApplication::exit(0);
}

void CMainFrame::OnAppAbout() {
    CAboutDlg dlg(this);
    dlg.DoModal();
}

void CMainFrame::StartUsage() {
    if (GuardClient* guard = m_platform.Guard()) {
        guard->Refresh();
    } else {
        m_view.OnInitialUpdate();
    }
}

void CMainFrame::OnFileNew() {
    if (!m_document.OnNewDocument()) return;
    StartUsage();
}

void CMainFrame::OnFileOpen() {
    const QString path = QFileDialog::getOpenFileName(this, Jp("開く"));
    if (path.isEmpty()) return;
    // The document reads nothing from the file, but it must be openable.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    file.close();
    StartUsage();
}

void CMainFrame::OnFileSave() {
    // Always asks for the name: the document stores nothing, so writing it over
    // a file that was opened would only empty that file.
    const QString path = QFileDialog::getSaveFileName(this, Jp("名前を付けて保存"));
    if (path.isEmpty()) return;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.close();
}

void CMainFrame::OnFilePrint() {
    // The module sits beside the program, in the directory only root may write.
    QLibrary module(QString::fromStdString(PosixModuleDirectory()) +
                    QStringLiteral("/hourgate-print.so"));
    const auto print =
        reinterpret_cast<FilePrintFunction>(module.resolve(HOURGATE_FILE_PRINT_SYMBOL));
    if (!print) return;  // not installed: nothing to print with
    print(this, m_viewWnd,
          [this](QPainter& painter, double scale) { m_viewWnd->Draw(painter, scale); });
}
