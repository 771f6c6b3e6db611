// hourgatectl on Linux: the guard's administrators' methods on the system bus.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QStringList>
#include <cstdlib>
#include <iostream>

#include "core/GuardBus.h"
#include "ctl/Ctl.h"

namespace {

// Long enough for polkit to ask an administrator's password.
constexpr int kCallTimeoutMs = 130000;

GuardReply CallGuard(const std::string& method, const std::string& user, int number) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return {GuardReply::Kind::NotRunning, {}, bus.lastError().message().toStdString()};
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kGuardService, kGuardPath, kGuardInterface,
                                                       QString::fromStdString(method));
    if (method == "AdminGrant" || method == "AdminSet" || method == "AdminHistory") {
        call << QString::fromStdString(user) << number;
    }
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        GuardReply ok;
        for (const QString& row : reply.arguments().value(0).toStringList()) {
            ok.rows.push_back(row.toStdString());
        }
        return ok;
    }
    const QString error = reply.errorName();
    const std::string message = reply.errorMessage().toStdString();
    if (error == QLatin1String(kGuardErrorRefused) ||
        error == QLatin1String("org.freedesktop.DBus.Error.AccessDenied")) {
        return {GuardReply::Kind::Refused, {}, message};
    }
    if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
        return {GuardReply::Kind::NotRunning, {}, message};
    }
    return {GuardReply::Kind::Failed, {}, message};
}

// Japanese where the locale of messages says so.
bool JapaneseLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::string(value).rfind("ja", 0) == 0;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    CtlEnvironment env{JapaneseLocale(), [](const std::string& text) { return text; }};
    return RunCtl(args, CallGuard, env, std::cout, std::cerr);
}
