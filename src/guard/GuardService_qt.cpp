#include "guard/GuardService_qt.h"

#include <QCoreApplication>

#include <syslog.h>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <algorithm>

#include "core/DryRun.h"
#include "core/GuardBus.h"
#include "core/WarningNotice.h"
#include "guard/GuardPlatform_qt.h"
#include "os/Logind_qt.h"
#include "os/System_posix.h"

namespace {

// Enough for every tray program a user may sensibly run; a bound on what one
// user can make the guard remember.
constexpr std::size_t kMaxSubscriptionsPerUser = 16;

}  // namespace

GuardService::GuardService(QDBusConnection bus, bool dryRun)
    : m_bus(bus),
      m_bDryRun(dryRun),
      m_users(
          [this](const std::string& user) { return std::make_unique<GuardPlatform>(*this, user); }),
      m_ownPlatform(*this, std::string()),
      m_admin(m_users, m_ownPlatform),
      m_sessions(bus,
                 [this] {
                     m_users.Apply(m_sessions.Table());
                     for (const std::string& user : m_users.Users()) PublishStatus(user);
                 }),
      m_subscriberWatcher(QString(), bus, QDBusServiceWatcher::WatchForUnregistration) {
    connect(&m_subscriberWatcher, &QDBusServiceWatcher::serviceUnregistered, this,
            [this](const QString& name) {
                m_subscribers.erase(name);
                m_subscriberWatcher.removeWatchedService(name);
            });
    m_powerOffTimer.setSingleShot(true);
    connect(&m_powerOffTimer, &QTimer::timeout, this, &GuardService::SendPowerOff);
}

bool GuardService::Start(std::string& why) {
    if (!m_bus.registerObject(
            kGuardPath, this,
            QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        why = "cannot register " + std::string(kGuardPath) + ": " +
              m_bus.lastError().message().toStdString();
        return false;
    }
    if (!m_bus.registerService(kGuardService)) {
        why = "cannot own " + std::string(kGuardService) +
              " on the system bus: " + m_bus.lastError().message().toStdString();
        return false;
    }
    if (!m_sessions.Start()) {
        why = "cannot follow logind's sessions: " + m_bus.lastError().message().toStdString();
        return false;
    }
    // Without the bus the guard sees no logon, answers no tray program and
    // cannot power off: it ends, and the service manager starts it again. A
    // restart loses at most the running minute; the records keep the rest.
    if (!m_bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                       QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"),
                       this, SLOT(OnBusLost()))) {
        why = "cannot watch the system bus: " + m_bus.lastError().message().toStdString();
        return false;
    }
    return true;
}

void GuardService::OnBusLost() {
    ::syslog(LOG_ERR, "the system bus connection is lost: exiting to be started again");
    QCoreApplication::exit(1);
}

void GuardService::OnUserTimer(const std::string& user, unsigned id) {
    if (CHourgateView* view = m_users.Find(user)) {
        view->OnTimer(id);
        m_admin.AfterTick(*view);
    }
}

QStringList GuardService::Lines(const std::string& user) {
    QStringList lines;
    for (const std::string& line : m_users.StatusLines(user))
        lines << QString::fromUtf8(line.c_str());
    return lines;
}

bool GuardService::SendTo(const QString& subscriber, const QString& signal, const QVariant& value) {
    QDBusMessage message =
        QDBusMessage::createTargetedSignal(subscriber, kGuardPath, kGuardInterface, signal);
    message << value;
    return m_bus.send(message);
}

bool GuardService::SendToSubscribers(const std::string& user, const QString& signal,
                                     const QVariant& value) {
    bool sent = false;
    for (const auto& [name, subscribed] : m_subscribers) {
        if (subscribed == user) sent = SendTo(name, signal, value) || sent;
    }
    return sent;
}

bool GuardService::SendNotice(const std::string& user, const std::string& message) {
    m_unseenNotices.insert(user);
    const QString text = QString::fromUtf8(message.c_str());
    if (SendToSubscribers(user, QStringLiteral("Notice"), text)) return true;
    m_heldNotices[user] = HeldNotice{text, PosixSleepStoppingMilliseconds()};
    return false;
}

void GuardService::DeliverHeldNotice(const std::string& user, const QString& subscriber) {
    const auto held = m_heldNotices.find(user);
    if (held == m_heldNotices.end()) return;
    const bool fresh =
        PosixSleepStoppingMilliseconds() - held->second.sinceMs < kHeldNoticeMilliseconds;
    // The power-off that waits for it goes out once the tray program says the
    // notice has closed (NoticeClosed), or when the hold runs out.
    if (fresh) SendTo(subscriber, QStringLiteral("Notice"), held->second.message);
    m_heldNotices.erase(held);
}

void GuardService::PublishStatus(const std::string& user) {
    // The lines are drawn only for a user whose tray program listens.
    const bool listened = std::any_of(m_subscribers.begin(), m_subscribers.end(),
                                      [&user](const auto& entry) { return entry.second == user; });
    if (listened) SendToSubscribers(user, QStringLiteral("StatusChanged"), Lines(user));
}

void GuardService::RequestPowerOff(const std::string& user, int delayMs, bool logOff) {
    if (m_powerOffTimer.isActive()) {
        // A power-off pending covers everyone; a log-off of another user waits its turn.
        if (!m_bLogOff && logOff) return;
        if (m_bLogOff == logOff && m_powerOffTimer.remainingTime() <= delayMs) return;
    }
    m_powerOffFor = user;
    m_bLogOff = logOff;
    m_powerOffTimer.start(delayMs);
}

void GuardService::NoticeClosed() {
    const std::optional<std::string> user = Caller();
    if (!user) return;
    m_unseenNotices.erase(*user);
    // The notice has had its time on screen: the power-off that waited for it follows.
    if (m_powerOffTimer.isActive() && m_powerOffFor == *user) m_powerOffTimer.start(0);
}

void GuardService::SendPowerOff() {
    if (m_unseenNotices.count(m_powerOffFor) != 0) {
        ::syslog(LOG_NOTICE, "power-off for %s without the notice shown: no tray program said so",
                 m_powerOffFor.c_str());
    }
    m_unseenNotices.clear();
    if (m_bLogOff) {
        LogOff(m_powerOffFor);
        return;
    }
    ::syslog(LOG_NOTICE, "power-off requested for %s", m_powerOffFor.c_str());
    if (m_bDryRun) {
        ReportDryRunPowerOff();
        return;
    }
    // As root, logind's policy lets the request through whoever else is logged on.
    QDBusMessage request = QDBusMessage::createMethodCall(
        kLogindService, kLogindPath, kLogindManager, QStringLiteral("PowerOff"));
    request << false;  // never ask anyone for authentication
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(request), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<> reply = *call;
        if (reply.isError()) {
            ::syslog(LOG_ERR, "logind refused the power-off: %s",
                     reply.error().message().toUtf8().constData());
        }
        call->deleteLater();
    });
}

void GuardService::LogOff(const std::string& user) {
    for (const std::string& session : m_sessions.Table().CountingSessionsOf(user)) {
        ::syslog(LOG_NOTICE, "log-off requested for %s: session %s", user.c_str(), session.c_str());
        if (m_bDryRun) {
            ReportDryRunLogOff();
            continue;
        }
        QDBusMessage request = QDBusMessage::createMethodCall(
            kLogindService, kLogindPath, kLogindManager, QStringLiteral("TerminateSession"));
        request << QString::fromStdString(session);
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(request), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [](QDBusPendingCallWatcher* call) {
                    const QDBusPendingReply<> reply = *call;
                    if (reply.isError()) {
                        ::syslog(LOG_ERR, "logind refused the log-off: %s",
                                 reply.error().message().toUtf8().constData());
                    }
                    call->deleteLater();
                });
    }
}

std::optional<std::string> GuardService::Caller() {
    const QDBusReply<uint> uid = connection().interface()->serviceUid(message().service());
    std::optional<std::string> name;
    if (uid.isValid()) name = PosixUserName(uid.value());
    if (!name) sendErrorReply(QDBusError::AccessDenied, QStringLiteral("caller not known"));
    return name;
}

QStringList GuardService::Status() {
    const std::optional<std::string> user = Caller();
    if (!user) return {};
    if (!m_users.Find(*user)) {
        sendErrorReply(kGuardErrorNotCounted, QStringLiteral("no count is kept for this user"));
        return {};
    }
    return Lines(*user);
}

void GuardService::Subscribe() {
    const std::optional<std::string> user = Caller();
    if (!user) return;
    const auto count = std::count_if(m_subscribers.begin(), m_subscribers.end(),
                                     [&](const auto& entry) { return entry.second == *user; });
    if (static_cast<std::size_t>(count) >= kMaxSubscriptionsPerUser) {
        sendErrorReply(kGuardErrorRefused, QStringLiteral("too many subscriptions"));
        return;
    }
    m_subscribers[message().service()] = *user;
    m_subscriberWatcher.addWatchedService(message().service());
    DeliverHeldNotice(*user, message().service());
}

void GuardService::PowerOff() {
    const std::optional<std::string> user = Caller();
    if (!user) return;
    // Only a user at the machine may end everyone's session with it, and only
    // from that session: not from their ssh shell while they sit at the seat.
    const QDBusReply<uint> pid = connection().interface()->servicePid(message().service());
    // The answer waits for logind's; the guard's loop does not.
    setDelayedReply(true);
    const QDBusMessage request = message();
    const auto decide = [this, request, name = *user](const std::optional<std::string>& session) {
        if (StandingOf(m_sessions.Table(), session, [&name](const std::string& sessionUser) {
                return sessionUser == name;
            }) != CallerStanding::Counting) {
            ::syslog(LOG_WARNING, "power-off refused to %s: not from the seat's active session",
                     name.c_str());
            m_bus.send(request.createErrorReply(
                kGuardErrorRefused, QStringLiteral("not from the seat's active session")));
            return;
        }
        ::syslog(LOG_NOTICE, "power-off for %s: the exit command without the password",
                 name.c_str());
        RequestPowerOff(name, 0);
        m_bus.send(request.createReply());
    };
    if (pid.isValid()) {
        m_sessions.SessionOfProcess(pid.value(), decide);
    } else {
        decide(std::nullopt);
    }
}

void GuardService::AsAdministrator(const char* what, std::function<AdminResult()> act) {
    setDelayedReply(true);
    const QDBusMessage request = message();
    const QDBusReply<uint> uid = connection().interface()->serviceUid(request.service());
    const std::string who =
        uid.isValid() ? PosixUserName(uid.value()).value_or(std::to_string(uid.value())) : "?";
    const auto finish = [this, request, act, what, who](bool allowed) {
        if (!allowed) {
            ::syslog(LOG_WARNING, "%s refused to %s: not an administrator", what, who.c_str());
            m_bus.send(request.createErrorReply(kGuardErrorRefused,
                                                QStringLiteral("not an administrator")));
            return;
        }
        const AdminResult result = act();
        if (!result.ok) {
            m_bus.send(
                request.createErrorReply(kGuardErrorFailed, QString::fromStdString(result.error)));
            return;
        }
        QStringList rows;
        for (const std::string& row : result.rows) rows << QString::fromStdString(row);
        m_bus.send(request.createReply(rows));
        // A grant or a corrected count shows in the tray programs at once.
        for (const std::string& user : m_users.Users()) PublishStatus(user);
    };
    if (!uid.isValid() || uid.value() == 0) {
        finish(uid.isValid());
        return;
    }
    // Anyone else asks polkit, which may ask for an administrator's password
    // through the caller's authentication agent.
    QDBusMessage check =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.PolicyKit1"),
                                       QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
                                       QStringLiteral("org.freedesktop.PolicyKit1.Authority"),
                                       QStringLiteral("CheckAuthorization"));
    QDBusArgument subject;
    subject.beginStructure();
    subject << QStringLiteral("system-bus-name");
    subject.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QDBusVariant>());
    subject.beginMapEntry();
    subject << QStringLiteral("name") << QDBusVariant(request.service());
    subject.endMapEntry();
    subject.endMap();
    subject.endStructure();
    QDBusArgument details;
    details.beginMap(QMetaType::fromType<QString>(), QMetaType::fromType<QString>());
    details.endMap();
    constexpr uint kAllowUserInteraction = 1;
    check << QVariant::fromValue(subject) << QString::fromLatin1(kGuardManageAction)
          << QVariant::fromValue(details) << kAllowUserInteraction << QString();
    // Long enough for an administrator to type a password.
    constexpr int kPolkitTimeoutMs = 120000;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(check, kPolkitTimeoutMs), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [finish](QDBusPendingCallWatcher* call) {
            const QDBusMessage reply = call->reply();
            bool authorized = false;
            if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1) {
                const QDBusArgument result = reply.arguments().constFirst().value<QDBusArgument>();
                result.beginStructure();
                result >> authorized;
            }
            call->deleteLater();
            finish(authorized);
        });
}

QStringList GuardService::AdminStatus() {
    AsAdministrator("status", [this] { return m_admin.Status(); });
    return {};
}

QStringList GuardService::AdminGrant(const QString& user, int minutes) {
    AsAdministrator("grant", [this, name = user.toStdString(), minutes] {
        return m_admin.Grant(name, minutes);
    });
    return {};
}

QStringList GuardService::AdminSet(const QString& user, int minutes) {
    AsAdministrator("set", [this, name = user.toStdString(), minutes] {
        return m_admin.SetMinutes(name, minutes);
    });
    return {};
}

QStringList GuardService::AdminReload() {
    AsAdministrator("reload", [this] { return m_admin.Reload(); });
    return {};
}

QStringList GuardService::AdminHistory(const QString& user, int days) {
    AsAdministrator(
        "history", [this, name = user.toStdString(), days] { return m_admin.History(name, days); });
    return {};
}
