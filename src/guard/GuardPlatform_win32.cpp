#include "guard/GuardPlatform_win32.h"

#include <algorithm>

#include "guard/GuardService_win32.h"
#include "notify/WarningNotice.h"

void GuardPlatform::SetTimer(unsigned id, unsigned milliseconds) {
    m_service.SetUserTimer(m_user, id, milliseconds);
}

void GuardPlatform::KillTimer(unsigned id) { m_service.KillUserTimer(m_user, id); }

void GuardPlatform::ShowWarning(const std::string& message) {
    m_service.SendNotice(m_user, message);
    m_nNoticeEndsMs = SleepStoppingMilliseconds() + kNoticeMilliseconds;
}

int GuardPlatform::ForcedPowerOff() {
    const std::int64_t wait = m_nNoticeEndsMs - SleepStoppingMilliseconds();
    m_service.RequestPowerOff(m_user, static_cast<UINT>(std::clamp<std::int64_t>(wait, 0, 60000)));
    return 1;
}

void GuardPlatform::WriteSystemLog(const std::string& line) { m_service.Log(line); }
