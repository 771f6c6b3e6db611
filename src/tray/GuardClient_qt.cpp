#include "tray/GuardClient_qt.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>

#include "core/FailureLog.h"
#include "core/GuardBus.h"

namespace {

// A bus daemon slower than this to say whether the guard runs does not hold
// up the start for the bus's default 25 s: the program then runs standalone.
// (Without a system bus the connection fails at once.)
constexpr int kProbeTimeoutMs = 2000;
constexpr int kStatusTimeoutMs = 5000;
// The guard answers at once; a hung one must not freeze the tray icon for long.
constexpr int kPowerOffTimeoutMs = 10000;

QDBusMessage GuardCall(const char* method) {
    return QDBusMessage::createMethodCall(
        QString::fromLatin1(kGuardService), QString::fromLatin1(kGuardPath),
        QString::fromLatin1(kGuardInterface), QString::fromLatin1(method));
}

}  // namespace

bool GuardClient::GuardRunning() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return false;
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << QString::fromLatin1(kGuardService);
    const QDBusMessage answer = bus.call(ask, QDBus::Block, kProbeTimeoutMs);
    return answer.type() == QDBusMessage::ReplyMessage && answer.arguments().value(0).toBool();
}

GuardClient::GuardClient(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    const QString service = QString::fromLatin1(kGuardService);
    const QString path = QString::fromLatin1(kGuardPath);
    const QString interface = QString::fromLatin1(kGuardInterface);
    // The guard sends these to its subscribers only (unicast); Qt matches them
    // to whichever connection owns the name now.
    bus.connect(service, path, interface, QStringLiteral("Notice"), this, SIGNAL(Notice(QString)));
    bus.connect(service, path, interface, QStringLiteral("StatusChanged"), this,
                SLOT(OnStatus(QStringList)));
    // A restarted guard knows no subscribers: subscribe to the new one.
    auto* watcher =
        new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        Subscribe();
        Refresh();
    });
    Subscribe();
}

void GuardClient::Subscribe() { QDBusConnection::systemBus().send(GuardCall("Subscribe")); }

void GuardClient::Refresh() {
    QDBusConnection::systemBus().callWithCallback(
        GuardCall("Status"), this, SLOT(OnStatus(QStringList)), SLOT(OnStatusError(QDBusError)),
        kStatusTimeoutMs);
}

void GuardClient::OnStatus(const QStringList& lines) {
    m_lines = lines;
    emit StatusChanged();
}

void GuardClient::OnStatusError(const QDBusError&) {
    // Not counted (yet), or the guard is gone: no figures rather than stale ones.
    OnStatus(QStringList());
}

GuardPowerOff GuardClient::PowerOff(FailureLog& failures) {
    constexpr const char* kWhat = "power-off could not be requested";
    const QDBusMessage answer =
        QDBusConnection::systemBus().call(GuardCall("PowerOff"), QDBus::Block, kPowerOffTimeoutMs);
    if (answer.type() == QDBusMessage::ReplyMessage) {
        failures.Succeeded(kWhat);
        return GuardPowerOff::Accepted;
    }
    failures.Failed(kWhat, "the guard did not take it: " + answer.errorName().toStdString() + " " +
                               answer.errorMessage().toStdString());
    // The guard's own errors are its answer; anything else means no guard answered.
    return answer.errorName().startsWith(QString::fromLatin1(kGuardInterface))
               ? GuardPowerOff::Refused
               : GuardPowerOff::Gone;
}

void GuardClient::NoticeClosed() {
    QDBusConnection::systemBus().asyncCall(GuardCall("NoticeClosed"));
}
