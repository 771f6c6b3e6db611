#include "guard/Sessions_qt.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QTimer>

#include "os/Logind_qt.h"

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
// A busy logind still answers well within this; a hung one must not stall the guard.
constexpr int kLogindTimeoutMs = 10000;
// A session that could not be read (logind busy) is read again after this.
constexpr int kRetryMs = 2000;

// The first member of a (so) structure: the seat's id of a session's Seat.
QString FirstOfStructure(const QVariant& value) {
    QString first;
    if (!value.canConvert<QDBusArgument>()) return first;
    const QDBusArgument argument = value.value<QDBusArgument>();
    QDBusObjectPath path;
    argument.beginStructure();
    argument >> first >> path;
    argument.endStructure();
    return first;
}

}  // namespace

LogindSessions::LogindSessions(QDBusConnection bus, std::function<void()> changed)
    : m_bus(std::move(bus)),
      m_changed(std::move(changed)),
      m_logindWatcher(kLogindService, m_bus, QDBusServiceWatcher::WatchForRegistration) {
    connect(&m_logindWatcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { ReadAll(); });
}

bool LogindSessions::Start() {
    // Slots are matched to signals by their types' names, which Qt knows only
    // once the type is registered.
    qRegisterMetaType<QDBusObjectPath>();
    const bool connected =
        m_bus.connect(kLogindService, kLogindPath, kLogindManager, QStringLiteral("SessionNew"),
                      this, SLOT(OnSessionNew(QString, QDBusObjectPath))) &&
        m_bus.connect(kLogindService, kLogindPath, kLogindManager, QStringLiteral("SessionRemoved"),
                      this, SLOT(OnSessionRemoved(QString, QDBusObjectPath))) &&
        // Every session of logind: they come and go, one match serves them all.
        // The bus filters on the interface, so the seat's and users' changes
        // (one on every switch) never wake the guard.
        m_bus.connect(kLogindService, QString(), kProperties, QStringLiteral("PropertiesChanged"),
                      {kLogindSession}, QString(), this,
                      SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
    if (connected) ReadAll();
    return connected;
}

void LogindSessions::Call(const QDBusMessage& call, std::function<void(const QDBusMessage&)> done) {
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kLogindTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        done(watcher->reply());
        watcher->deleteLater();
    });
}

void LogindSessions::ReadAll() {
    Call(QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager,
                                        QStringLiteral("ListSessions")),
         [this](const QDBusMessage& reply) {
             if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
                 m_failures.Failed("cannot list logind's sessions",
                                   reply.errorMessage().toStdString());
                 return;
             }
             m_failures.Succeeded("cannot list logind's sessions");
             // a(susso): id, uid, user, seat, object path
             std::map<QString, QString> listed;  // path -> id
             const QDBusArgument sessions = reply.arguments().constFirst().value<QDBusArgument>();
             sessions.beginArray();
             while (!sessions.atEnd()) {
                 QString id, user, seat;
                 uint uid = 0;
                 QDBusObjectPath path;
                 sessions.beginStructure();
                 sessions >> id >> uid >> user >> seat >> path;
                 sessions.endStructure();
                 listed[path.path()] = id;
             }
             sessions.endArray();
             // Sessions no longer listed go now; the listed ones are read one by one,
             // and until then what is known of them stays.
             bool dropped = false;
             for (auto it = m_known.begin(); it != m_known.end();) {
                 if (listed.count(it->first) != 0) {
                     ++it;
                     continue;
                 }
                 m_table.Remove(it->second.id.toStdString());
                 it = m_known.erase(it);
                 dropped = true;
             }
             if (dropped) m_changed();
             for (const auto& [path, id] : listed) ReadSession(id, path);
         });
}

void LogindSessions::ReadSession(const QString& id, const QString& path) {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogindService, path, kProperties, "GetAll");
    call << kLogindSession;
    Call(call, [this, id, path](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
            if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")) {
                m_table.Remove(id.toStdString());  // gone while we asked
                m_known.erase(path);
                m_changed();
                return;
            }
            // No answer is not an answer: what is known stays until logind tells.
            // Tried again every 2 s: logged once, not at every try.
            m_failures.Failed("cannot read logind's session " + id.toStdString(),
                              reply.errorMessage().toStdString());
            QTimer::singleShot(kRetryMs, this, [this, id, path] { ReadSession(id, path); });
            return;
        }
        m_failures.Succeeded("cannot read logind's session " + id.toStdString());
        const QVariantMap properties = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
        Known known{id, properties.value("Name").toString().toStdString(),
                    properties.value("Class").toString().toStdString(),
                    FirstOfStructure(properties.value("Seat")).toStdString()};
        const bool counts =
            SessionCounts(known.sessionClass, known.seat, properties.value("Active").toBool());
        m_table.Update(id.toStdString(), known.user, counts);
        m_known[path] = std::move(known);
        m_changed();
    });
}

void LogindSessions::SessionOfProcess(uint pid,
                                      std::function<void(std::optional<std::string>)> done) {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager,
                                                       QStringLiteral("GetSessionByPID"));
    call << pid;
    Call(call, [this, done = std::move(done)](const QDBusMessage& reply) {
        std::optional<std::string> session;
        if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1) {
            const auto found =
                m_known.find(qdbus_cast<QDBusObjectPath>(reply.arguments().constFirst()).path());
            if (found != m_known.end()) session = found->second.id.toStdString();
        }
        done(session);
    });
}

void LogindSessions::OnSessionNew(const QString& id, const QDBusObjectPath& path) {
    ReadSession(id, path.path());
}

void LogindSessions::OnSessionRemoved(const QString& id, const QDBusObjectPath& path) {
    m_table.Remove(id.toStdString());
    m_known.erase(path.path());
    m_changed();
}

void LogindSessions::OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                         const QStringList& invalidated,
                                         const QDBusMessage& message) {
    const auto found = m_known.find(message.path());
    if (interface != kLogindSession || found == m_known.end()) return;
    const QString active = QStringLiteral("Active");
    // Of what decides whether a session counts only Active ever changes; the
    // idle and lock hints change often and decide nothing.
    if (invalidated.contains(active)) {
        ReadSession(found->second.id, found->first);  // named without its value
        return;
    }
    const auto value = changed.find(active);
    if (value == changed.end()) return;
    const Known& known = found->second;
    m_table.Update(known.id.toStdString(), known.user,
                   SessionCounts(known.sessionClass, known.seat, value->toBool()));
    m_changed();
}
