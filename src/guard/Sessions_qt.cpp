#include "guard/Sessions_qt.h"

#include <QDBusArgument>
#include <QDBusMetaType>
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
        // Every object of logind: the sessions come and go, one match serves them all.
        m_bus.connect(kLogindService, QString(), kProperties, QStringLiteral("PropertiesChanged"),
                      this,
                      SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
    if (connected) ReadAll();
    return connected;
}

void LogindSessions::ReadAll() {
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, "ListSessions");
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, kLogindTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) {
        m_failures.Failed("cannot list logind's sessions", reply.errorMessage().toStdString());
        return;
    }
    m_failures.Succeeded("cannot list logind's sessions");
    m_table = SessionTable();
    m_ids.clear();
    // a(susso): id, uid, user, seat, object path
    const QDBusArgument sessions = reply.arguments().constFirst().value<QDBusArgument>();
    sessions.beginArray();
    while (!sessions.atEnd()) {
        QString id, user, seat;
        uint uid = 0;
        QDBusObjectPath path;
        sessions.beginStructure();
        sessions >> id >> uid >> user >> seat >> path;
        sessions.endStructure();
        ReadSession(id, path.path());
    }
    sessions.endArray();
    m_changed();
}

void LogindSessions::ReadSession(const QString& id, const QString& path) {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogindService, path, kProperties, "GetAll");
    call << kLogindSession;
    const QDBusReply<QVariantMap> reply = m_bus.call(call, QDBus::Block, kLogindTimeoutMs);
    if (!reply.isValid()) {
        if (reply.error().type() == QDBusError::UnknownObject) {
            m_table.Remove(id.toStdString());  // gone while we asked
            m_ids.erase(path);
            return;
        }
        // No answer is not an answer: what is known stays until logind tells.
        // Tried again every 2 s: logged once, not at every try.
        m_failures.Failed("cannot read logind's session " + id.toStdString(),
                          reply.error().message().toStdString());
        QTimer::singleShot(kRetryMs, this, [this, id, path] {
            ReadSession(id, path);
            m_changed();
        });
        return;
    }
    m_failures.Succeeded("cannot read logind's session " + id.toStdString());
    const QVariantMap properties = reply.value();
    const std::string user = properties.value("Name").toString().toStdString();
    const bool counts = SessionCounts(properties.value("Class").toString().toStdString(),
                                      FirstOfStructure(properties.value("Seat")).toStdString(),
                                      properties.value("Active").toBool());
    m_ids[path] = id;
    m_table.Update(id.toStdString(), user, counts);
}

std::optional<std::string> LogindSessions::SessionOfProcess(uint pid) {
    QDBusMessage call = QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager,
                                                       QStringLiteral("GetSessionByPID"));
    call << pid;
    const QDBusReply<QDBusObjectPath> reply = m_bus.call(call, QDBus::Block, kLogindTimeoutMs);
    if (!reply.isValid()) return std::nullopt;
    const auto found = m_ids.find(reply.value().path());
    if (found == m_ids.end()) return std::nullopt;
    return found->second.toStdString();
}

void LogindSessions::OnSessionNew(const QString& id, const QDBusObjectPath& path) {
    ReadSession(id, path.path());
    m_changed();
}

void LogindSessions::OnSessionRemoved(const QString& id, const QDBusObjectPath& path) {
    m_table.Remove(id.toStdString());
    m_ids.erase(path.path());
    m_changed();
}

void LogindSessions::OnPropertiesChanged(const QString& interface, const QVariantMap&,
                                         const QStringList&, const QDBusMessage& message) {
    const auto found = m_ids.find(message.path());
    if (interface != kLogindSession || found == m_ids.end()) return;
    // Read whole again: logind may send a property's new value or only its name.
    const QString id = found->second;
    const QString path = found->first;
    ReadSession(id, path);
    m_changed();
}
