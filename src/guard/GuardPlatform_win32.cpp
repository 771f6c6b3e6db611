#include "guard/GuardPlatform_win32.h"

#include "guard/GuardService_win32.h"

void GuardPlatform::SetTimer(unsigned id, unsigned milliseconds) {
    m_service.SetUserTimer(m_user, id, milliseconds);
}

void GuardPlatform::KillTimer(unsigned id) { m_service.KillUserTimer(m_user, id); }

void GuardPlatform::ShowWarning(const std::string& message) {
    m_service.SendNotice(m_user, message);
    m_notice.NoticeSent(SleepStoppingMilliseconds());
}

int GuardPlatform::ForcedPowerOff() {
    m_service.RequestPowerOff(
        m_user, static_cast<UINT>(m_notice.PowerOffDelayMilliseconds(SleepStoppingMilliseconds())));
    return 1;
}

int GuardPlatform::ForcedLogOff() {
    m_service.RequestPowerOff(
        m_user, static_cast<UINT>(m_notice.PowerOffDelayMilliseconds(SleepStoppingMilliseconds())),
        true);
    return 1;
}

void GuardPlatform::WriteSystemLog(const std::string& line) { m_service.Log(line); }

void GuardPlatform::WriteSystemInfo(const std::string& line) {
    m_service.Log(line, EventKind::Info);
}

void GuardPlatform::WriteSystemNotice(const std::string& line) {
    m_service.Log(line, EventKind::PowerOff);
}
