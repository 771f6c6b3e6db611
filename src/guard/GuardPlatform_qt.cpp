#include "guard/GuardPlatform_qt.h"

#include <syslog.h>

#include "guard/GuardService_qt.h"
#include "os/System_posix.h"

void GuardPlatform::SetTimer(unsigned id, unsigned milliseconds) {
    std::unique_ptr<QTimer>& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        // A coarse timer may fire up to 5% early, and an early tick counts nothing.
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer.get(), &QTimer::timeout,
                         [this, id] { m_service.OnUserTimer(m_user, id); });
    }
    timer->start(static_cast<int>(milliseconds));
}

void GuardPlatform::KillTimer(unsigned id) {
    const auto found = m_timers.find(id);
    if (found != m_timers.end()) found->second->stop();
}

void GuardPlatform::Default() { m_service.PublishStatus(m_user); }

void GuardPlatform::ShowWarning(const std::string& message) {
    m_service.SendNotice(m_user, message);
    // Sent or held, a power-off after it waits for the tray program to say the
    // notice has closed (NoticeClosed), and no longer than the hold.
    m_notice.NoticeSent(PosixSleepStoppingMilliseconds(), kHeldNoticeMilliseconds);
}

int GuardPlatform::ForcedPowerOff() {
    m_service.RequestPowerOff(m_user,
                              m_notice.PowerOffDelayMilliseconds(PosixSleepStoppingMilliseconds()));
    return 1;
}

int GuardPlatform::ForcedLogOff() {
    m_service.RequestPowerOff(
        m_user, m_notice.PowerOffDelayMilliseconds(PosixSleepStoppingMilliseconds()), true);
    return 1;
}

void GuardPlatform::WriteSystemLog(const std::string& line) {
    ::syslog(LOG_WARNING, "%s", line.c_str());
}

void GuardPlatform::WriteSystemInfo(const std::string& line) {
    ::syslog(LOG_INFO, "%s", line.c_str());
}

void GuardPlatform::WriteSystemNotice(const std::string& line) {
    ::syslog(LOG_NOTICE, "%s", line.c_str());
}
