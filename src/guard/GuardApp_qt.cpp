// Start-up of the guard service, hourgated: run by systemd as root, it counts
// every local user's minutes and enforces the rules whatever the users do.
#include <fcntl.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/CommandLine.h"
#include "core/ExemptionList.h"
#include "core/Limits.h"
#include "guard/GuardService_qt.h"
#include "os/System_posix.h"

namespace {

constexpr const char* kGuardUsage =
    "usage: hourgated [--dry-run]\n"
    "  --dry-run  run as usual, but only report each power-off on standard error\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n";

// Records left by the program run alone may be writable by users: from now on
// only the guard may open them. Only the program's own files: links and other
// odd files are left alone (and then never followed when the records are
// written), and so is every other file beside the program.
void TightenRecords(const QString& directory, const std::string& listDirectory) {
    ExemptNameSlots names = {};
    int count = 0;
    LoadExemptionList(listDirectory, '/', names, count);
    const QStringList files = QDir(directory).entryList(QDir::Files);
    for (const QString& name : files) {
        if (!IsProgramDataFile(name.toStdString(), names, count, nullptr)) continue;
        const QByteArray path = (directory + QLatin1Char('/') + name).toLocal8Bit();
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        // The records become the guard's alone; the list stays readable, as the
        // administrator's file, but only root may change it.
        const mode_t allowed =
            name == QLatin1String(kExemptionListFileName) || name == QLatin1String(kLimitsFileName)
                ? 0644
                : 0600;
        struct stat info = {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            (info.st_uid != 0 || (info.st_mode & 0777 & ~allowed) != 0)) {
            if (::fchown(fd, 0, 0) != 0 || ::fchmod(fd, info.st_mode & allowed) != 0) {
                ::syslog(LOG_WARNING, "cannot make %s the guard's own: %s", path.constData(),
                         std::strerror(errno));
            }
        }
        ::close(fd);
    }
}

// Tells systemd (Type=notify) how the guard is: "READY=1" once it serves on
// the bus, "WATCHDOG=1" while its event loop runs. Nothing without systemd.
void NotifyServiceManager(const char* state) {
    const char* socketPath = std::getenv("NOTIFY_SOCKET");
    if (!socketPath || !*socketPath) return;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::string path = socketPath;
    if (path[0] == '@') path[0] = '\0';  // an abstract socket
    if (path.size() >= sizeof address.sun_path) return;
    std::memcpy(address.sun_path, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    ::sendto(fd, state, std::strlen(state), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&address),
             static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size()));
    ::close(fd);
}

}  // namespace

int main(int argc, char** argv) {
    const CommandLineInfo commandLine = ParseCommandLine(argc, argv, '/');
    const int answered = AnswerGuardCommandLine(commandLine, kGuardUsage, stdout, stderr);
    if (answered >= 0) return answered;
    // Records the guard creates are its own alone.
    ::umask(077);
    // A stop (SIGTERM from systemd, Ctrl+C by hand) ends the loop, so that
    // today's counts reach the history. Blocked before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    ::pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int stopFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    // Under systemd standard error already goes to the journal; run by hand, the
    // log lines are shown there too.
    ::openlog("hourgated", LOG_PID | (std::getenv("JOURNAL_STREAM") ? 0 : LOG_PERROR), LOG_DAEMON);

    // Qt's own event loop, not GLib's: nothing in the guard needs GLib, and
    // GLib's loop reads the clock several times more at every wake-up.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        ::syslog(LOG_ERR, "no system bus: %s", bus.lastError().message().toUtf8().constData());
        return 1;
    }
    const std::string configuration = PosixConfigurationDirectory();
    const std::string state = PosixStateDirectory();
    TightenRecords(QString::fromStdString(configuration), configuration);
    if (state != configuration) TightenRecords(QString::fromStdString(state), configuration);

    GuardService service(bus, commandLine.dryRun);
    std::string why;
    if (!service.Start(why)) {
        ::syslog(LOG_ERR, "%s", why.c_str());
        return 1;
    }
    NotifyServiceManager("READY=1");
    ::syslog(LOG_INFO, "started%s", commandLine.dryRun ? " (dry run)" : "");
    // A guard whose loop hangs stops these pings, and systemd starts it again.
    QTimer watchdog;
    const char* watchdogUsec = std::getenv("WATCHDOG_USEC");
    const long long usec = watchdogUsec ? std::atoll(watchdogUsec) : 0;
    if (usec > 0) {
        QObject::connect(&watchdog, &QTimer::timeout, [] { NotifyServiceManager("WATCHDOG=1"); });
        watchdog.start(static_cast<int>(std::max(usec / 2000, 1LL)));
    }
    QSocketNotifier stop(stopFd, QSocketNotifier::Read);
    QObject::connect(&stop, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    const int status = QCoreApplication::exec();
    service.Stop();
    ::syslog(LOG_INFO, "stopped");
    return status;
}
