// systemd-logind's manager on the system bus: sessions and the power-off.
#pragma once

#include <QString>

inline const QString kLogindService = QStringLiteral("org.freedesktop.login1");
inline const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
inline const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
inline const QString kLogindSession = QStringLiteral("org.freedesktop.login1.Session");
