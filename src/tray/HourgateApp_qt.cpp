// Start-up of the Linux program: document, frame with view and tray icon, usage
// start (or, when the guard service runs, the link to it), then the window
// hidden so that only the tray icon remains.
#include <syslog.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QFont>
#include <QStringList>
#include <cstdlib>
#include <memory>

#include "core/CommandLine.h"
#include "core/GuardBus.h"
#include "core/HourgateDoc.h"
#include "core/Version.h"
#include "tray/GuardClient_qt.h"
#include "tray/MainFrame_qt.h"
#include "tray/Platform_qt.h"

namespace {

// The Windows font first, then the Japanese Gothic faces Linux desktops carry.
void UseJapaneseGothicFont(QApplication& app) {
    QFont font = app.font();
    font.setFamilies({QString::fromUtf8("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic"),
                      QStringLiteral("TakaoPGothic")});
    font.setPointSize(9);
    app.setFont(font);
}

class CHourgateApp {
public:
    CHourgateApp(int& argc, char** argv, CommandLineInfo commandLine)
        : m_app(argc, argv), m_commandLine(std::move(commandLine)) {}

    // False when start-up fails: the program then ends without its event loop.
    bool InitInstance() {
        QApplication::setApplicationName(QStringLiteral("hourgate"));
        QApplication::setApplicationVersion(QStringLiteral(HOURGATE_VERSION_NUMBER));
        // Closing the window only hides it, and the notices come and go while it
        // is hidden: only the exit commands end the program.
        QApplication::setQuitOnLastWindowClosed(false);
        UseJapaneseGothicFont(m_app);

        // A document named on the command line must open; it is read no further.
        if (!m_commandLine.file.empty()) {
            QFile file(QString::fromLocal8Bit(m_commandLine.file.c_str()));
            if (!file.open(QIODevice::ReadOnly)) return false;
        }

        m_platform = std::make_unique<QtPlatform>(m_commandLine.dryRun);
        m_document = std::make_unique<CHourgateDoc>(*m_platform);
        m_frame = std::make_unique<CMainFrame>(*m_platform, *m_document);
        if (!m_frame->OnCreate()) return false;
        if (!m_document->OnNewDocument()) return false;
        if (GuardClient::GuardRunning()) {
            UseGuard("guarded mode: the guard counts for this user");
        } else {
            ::syslog(LOG_INFO, "standalone mode: this program counts and enforces");
            // A guard that starts later (an autostart can beat a service that
            // is still starting) takes the count over when it appears.
            m_guardWatcher = std::make_unique<QDBusServiceWatcher>(
                QString::fromLatin1(kGuardService), QDBusConnection::systemBus(),
                QDBusServiceWatcher::WatchForRegistration);
            QObject::connect(m_guardWatcher.get(), &QDBusServiceWatcher::serviceRegistered, [this] {
                if (!m_guard) UseGuard("guarded mode: the guard counts for this user from now on");
            });
        }
        m_frame->StartUsage();
        // The frame was never shown, so it is hidden already: only the icon remains.
        return true;
    }

    // An exit the user chose during start-up (from the tray while the start-up
    // notice was up) came before the event loop, which would not see it.
    int Run() { return m_frame->IsClosing() ? 0 : QApplication::exec(); }

private:
    void UseGuard(const char* why) {
        m_guard = std::make_unique<GuardClient>();
        m_platform->UseGuard(m_guard.get());
        m_frame->EnterGuardedMode(m_guard.get());
        ::syslog(LOG_INFO, "%s", why);
        if (m_guardWatcher) m_guard->Refresh();
    }

    QApplication m_app;
    CommandLineInfo m_commandLine;
    std::unique_ptr<QtPlatform> m_platform;
    std::unique_ptr<GuardClient> m_guard;
    std::unique_ptr<QDBusServiceWatcher> m_guardWatcher;
    std::unique_ptr<CHourgateDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

// Qt would abort with a message about its platform plugin; say what is missing.
bool HasDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") ||
           std::getenv("QT_QPA_PLATFORM");
}

int main(int argc, char** argv) {
    const CommandLineInfo commandLine = ParseCommandLine(argc, argv, '/');
    const int answered = AnswerCommandLine(commandLine, stdout, stderr);
    if (answered >= 0) return answered;
    if (!HasDisplay()) {
        std::fputs("hourgate: no display to run on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n",
                   stderr);
        return 1;
    }
    ::openlog("hourgate", LOG_PID, LOG_USER);
    CHourgateApp app(argc, argv, commandLine);
    if (!app.InitInstance()) return 1;
    return app.Run();
}
