#include "notify/ForcedPowerOff_qt.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>

#include "notify/DryRun.h"

namespace {

const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
// Long enough for a busy logind, short enough that a hung one does not freeze
// the tray icon for the bus's default 25 seconds.
constexpr int kCanPowerOffTimeoutMs = 10000;

}  // namespace

int ForcedPowerOff(bool dryRun) {
    if (dryRun) {
        ReportDryRunPowerOff();
        return 1;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return 0;

    // "challenge" (needs authentication) and "na" count as refusals: the request
    // is non-interactive, so only an unconditional yes lets it through.
    const QDBusMessage ask = QDBusMessage::createMethodCall(
        kLogindService, kLogindPath, kLogindManager, QStringLiteral("CanPowerOff"));
    const QDBusMessage answer = bus.call(ask, QDBus::Block, kCanPowerOffTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().size() != 1 ||
        answer.arguments().constFirst().toString() != QStringLiteral("yes")) {
        return 0;
    }

    QDBusMessage request = QDBusMessage::createMethodCall(
        kLogindService, kLogindPath, kLogindManager, QStringLiteral("PowerOff"));
    request << false;  // interactive: never ask the user for authentication
    // Sent without waiting for the reply: logind answers only as the shutdown begins.
    return bus.send(request) ? 1 : 0;
}
