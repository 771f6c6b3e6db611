// The guard service: the users' accountings, fed by logind's sessions, and the
// interface on the system bus through which each user's tray program shows its
// user's figures and notices. Every answer is for the caller's own uid.
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "core/GuardAdmin.h"
#include "core/GuardedUsers.h"
#include "guard/GuardPlatform_qt.h"
#include "guard/Sessions_qt.h"

class GuardService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.hourgate.Guard1")
public:
    GuardService(QDBusConnection bus, bool dryRun);

    // Takes the guard's name and object on the bus and starts following the
    // sessions; false, with the reason, when another guard holds the name.
    bool Start(std::string& why);

    // For the users' platforms.
    void OnUserTimer(const std::string& user, unsigned id);
    // False when none of the user's tray programs is there to show it: the
    // notice is then held for the first one that subscribes soon after (the
    // hour notice at a logon comes before the desktop has started the tray).
    bool SendNotice(const std::string& user, const std::string& message);
    void PublishStatus(const std::string& user);
    // Sends logind the power-off after `delayMs`; an earlier pending request
    // stands. With `logOff` only the user's sessions in use are ended instead,
    // unless a power-off is pending anyway.
    void RequestPowerOff(const std::string& user, int delayMs, bool logOff = false);

signals:
    // Declared so that the interface's introspection lists them; never emitted
    // as broadcasts: each goes to its user's subscribed connections only (SendTo).
    Q_SCRIPTABLE void Notice(const QString& message);
    Q_SCRIPTABLE void StatusChanged(const QStringList& lines);

public slots:
    Q_SCRIPTABLE QStringList Status();
    Q_SCRIPTABLE void Subscribe();
    Q_SCRIPTABLE void PowerOff();
    // The caller's tray program closed the guard's notice: a power-off waiting
    // for it goes out now.
    Q_SCRIPTABLE void NoticeClosed();
    // An administrator's requests (hourgatectl): GuardBus.h.
    Q_SCRIPTABLE QStringList AdminStatus();
    Q_SCRIPTABLE QStringList AdminGrant(const QString& user, int minutes);
    Q_SCRIPTABLE QStringList AdminSet(const QString& user, int minutes);
    Q_SCRIPTABLE QStringList AdminReload();
    Q_SCRIPTABLE QStringList AdminHistory(const QString& user, int days);

public:
    // At the guard's stop: today's counts go to the history.
    void Stop() { m_admin.Stop(); }

private slots:
    void OnBusLost();

private:
    // The user name of the caller of the current method, from its uid as the
    // bus daemon knows it; nothing (and an error reply) when it cannot be told.
    std::optional<std::string> Caller();
    QStringList Lines(const std::string& user);
    // One of the guard's signals to one subscribed connection only.
    bool SendTo(const QString& subscriber, const QString& signal, const QVariant& value);
    // False when the user has no subscriber the signal could be sent to.
    bool SendToSubscribers(const std::string& user, const QString& signal, const QVariant& value);
    void SendPowerOff();
    // Replies to the current request with what `act` gives, when the caller is
    // root or polkit lets it manage the guard; anyone else is refused and logged.
    void AsAdministrator(const char* what, std::function<AdminResult()> act);
    // Ends the user's sessions in use through logind.
    void LogOff(const std::string& user);
    void DeliverHeldNotice(const std::string& user, const QString& subscriber);

    QDBusConnection m_bus;
    bool m_bDryRun;
    GuardedUsers m_users;
    GuardPlatform m_ownPlatform;  // the guard's directory, clocks and log, for no user
    GuardAdmin m_admin;
    LogindSessions m_sessions;
    std::map<QString, std::string> m_subscribers;  // unique bus name -> user
    QDBusServiceWatcher m_subscriberWatcher;
    QTimer m_powerOffTimer;
    std::string m_powerOffFor;
    bool m_bLogOff = false;
    struct HeldNotice {
        QString message;
        std::int64_t sinceMs;  // sleep-stopping clock
    };
    std::map<std::string, HeldNotice> m_heldNotices;  // by user
    // Users with a notice sent or held that no tray program has said it closed.
    std::set<std::string> m_unseenNotices;
};
