// The local sessions as logind reports them, followed through its signals on
// the system bus: SessionNew, SessionRemoved and each session's PropertiesChanged.
#pragma once

#include <syslog.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QVariantMap>
#include <functional>
#include <map>
#include <optional>

#include "core/FailureLog.h"
#include "core/SessionTable.h"

class LogindSessions : public QObject {
    Q_OBJECT
public:
    // `changed` runs after every change of the table.
    LogindSessions(QDBusConnection bus, std::function<void()> changed);

    // Subscribes to logind's signals, then reads the sessions there are; false
    // when the signals cannot be followed.
    bool Start();
    const SessionTable& Table() const { return m_table; }
    // The id of the session logind puts the process in, given to `done` when
    // logind answers; nothing when it has none (a system service) or cannot tell.
    void SessionOfProcess(uint pid, std::function<void(std::optional<std::string>)> done);

private slots:
    void OnSessionNew(const QString& id, const QDBusObjectPath& path);
    void OnSessionRemoved(const QString& id, const QDBusObjectPath& path);
    void OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated, const QDBusMessage& message);

private:
    // Every call to logind is made without waiting: the guard's one thread
    // never stops for a busy or hung logind. `done` runs with the reply, or with
    // the error after the timeout.
    void Call(const QDBusMessage& call, std::function<void(const QDBusMessage&)> done);
    // Everything again, when logind (re)appears on the bus.
    void ReadAll();
    // Reads the session's class, seat, state and user; drops it when it is gone.
    void ReadSession(const QString& id, const QString& path);

    QDBusConnection m_bus;
    std::function<void()> m_changed;
    QDBusServiceWatcher m_logindWatcher;
    SessionTable m_table;
    FailureLog m_failures{
        [](const std::string& line) { ::syslog(LOG_WARNING, "%s", line.c_str()); }};
    // What stays fixed for a session's life, by its object path: with it a
    // change of Active alone is applied from the signal, with no call back.
    struct Known {
        QString id;
        std::string user, sessionClass, seat;
    };
    std::map<QString, Known> m_known;
};
