// One user's platform inside the Windows guard: the system's clocks, time zone
// and the guard's own directory as the tray program has them, that user's name,
// timers on the service's window, and notices and power-off requests handed to
// the service, which shows them in the user's session and powers off the machine.
#pragma once

#include "core/NoticeWindow.h"
#include "os/System_win32.h"

class GuardService;

class GuardPlatform : public Win32SystemPlatform {
public:
    GuardPlatform(GuardService& service, std::string user)
        : m_service(service), m_user(std::move(user)) {}

    std::optional<std::string> UserName() const override { return m_user; }
    void SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(unsigned id) override;
    void BaseInitialUpdate() override {}
    // The tray program asks for the figures when it shows them.
    void Default() override {}
    // Sent to the user's session; the service does not wait for it.
    void ShowWarning(const std::string& message) override;
    // Issued once the notice just sent has had its time on screen, so that the
    // order of effects is the tray program's: notice, then power-off.
    int ForcedPowerOff() override;
    int ForcedLogOff() override;
    void WriteSystemLog(const std::string& line) override;
    void WriteSystemInfo(const std::string& line) override;
    void WriteSystemNotice(const std::string& line) override;

private:
    GuardService& m_service;
    std::string m_user;
    NoticeWindow m_notice;
};
