#include "os/ForcedPowerOff_qt.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QString>

#include "core/DryRun.h"
#include "os/Logind_qt.h"

namespace {

// Long enough for a busy logind, short enough that a hung one does not freeze
// the tray icon for the bus's default 25 seconds.
constexpr int kCanPowerOffTimeoutMs = 10000;

}  // namespace

constexpr const char* kWhat = "power-off could not be requested";

int ForcedPowerOff(bool dryRun, FailureLog& failures) {
    if (dryRun) {
        ReportDryRunPowerOff();
        return 1;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        failures.Failed(kWhat, "no system bus: " + bus.lastError().message().toStdString());
        return 0;
    }

    // "challenge" (needs authentication) and "na" count as refusals: the request
    // is non-interactive, so only an unconditional yes lets it through.
    const QDBusMessage ask = QDBusMessage::createMethodCall(
        kLogindService, kLogindPath, kLogindManager, QStringLiteral("CanPowerOff"));
    const QDBusMessage answer = bus.call(ask, QDBus::Block, kCanPowerOffTimeoutMs);
    if (answer.type() != QDBusMessage::ReplyMessage || answer.arguments().size() != 1) {
        failures.Failed(kWhat, "logind did not answer: " + answer.errorMessage().toStdString());
        return 0;
    }
    const QString can = answer.arguments().constFirst().toString();
    if (can != QStringLiteral("yes")) {
        // "challenge": polkit wants a password, as it does while another user is logged on.
        failures.Failed(kWhat, "logind's CanPowerOff answered \"" + can.toStdString() + "\"");
        return 0;
    }

    QDBusMessage request = QDBusMessage::createMethodCall(
        kLogindService, kLogindPath, kLogindManager, QStringLiteral("PowerOff"));
    request << false;  // interactive: never ask the user for authentication
    // Sent without waiting for the reply: logind answers only as the shutdown begins.
    if (!bus.send(request)) {
        failures.Failed(kWhat,
                        "PowerOff could not be sent: " + bus.lastError().message().toStdString());
        return 0;
    }
    failures.Succeeded(kWhat);
    return 1;
}

int ForcedLogOff(bool dryRun, FailureLog& failures) {
    constexpr const char* kLogOffWhat = "log-off could not be requested";
    if (dryRun) {
        ReportDryRunLogOff();
        return 1;
    }
    QDBusConnection bus = QDBusConnection::systemBus();
    // logind takes "auto" as the caller's own session.
    const QString session = qEnvironmentVariableIsEmpty("XDG_SESSION_ID")
                                ? QStringLiteral("auto")
                                : qEnvironmentVariable("XDG_SESSION_ID");
    QDBusMessage request = QDBusMessage::createMethodCall(
        kLogindService, kLogindPath, kLogindManager, QStringLiteral("TerminateSession"));
    request << session;
    if (!bus.isConnected() || !bus.send(request)) {
        failures.Failed(kLogOffWhat, "TerminateSession could not be sent: " +
                                         bus.lastError().message().toStdString());
        return 0;
    }
    failures.Succeeded(kLogOffWhat);
    return 1;
}
