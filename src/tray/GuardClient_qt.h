// The tray program's link to the guard service in guarded mode: the guard
// counts and enforces, the tray program shows its figures and notices for its
// own user and hands it the exit command's power-off request.
#pragma once

#include <QObject>
#include <QStringList>

#include "core/GuardedExit.h"

class FailureLog;
class QDBusError;

class GuardClient : public QObject {
    Q_OBJECT
public:
    // True when the guard's name has an owner on the system bus: false at once
    // when there is no system bus, and after a short timeout when it hangs.
    static bool GuardRunning();

    // Subscribes to the guard's signals, and again, with the figures fetched
    // afresh, whenever the guard reappears on the bus (restarted).
    explicit GuardClient(QObject* parent = nullptr);

    // Asks the guard for the figures; they arrive as StatusChanged.
    void Refresh();
    // The window's two lines as the guard last gave them; none while it keeps
    // no count for this user.
    const QStringList& Lines() const { return m_lines; }
    // The exit command's request; when the guard did not take it, the reason
    // goes to `failures`.
    GuardPowerOff PowerOff(FailureLog& failures);
    // Tells the guard that its notice has closed, without waiting for an answer.
    void NoticeClosed();

signals:
    // The guard's notice for this user, to be shown as the standalone one is.
    void Notice(const QString& message);
    void StatusChanged();

private slots:
    void OnStatus(const QStringList& lines);
    void OnStatusError(const QDBusError& error);

private:
    void Subscribe();

    QStringList m_lines;
};
