// One user's platform inside the guard: that user's name, the guard's own
// directory and clocks, timers of its own, and notices and power-off requests
// handed to the service, which reaches the user's tray program and logind.
#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

#include "core/NoticeWindow.h"
#include "os/System_posix.h"

class GuardService;

class GuardPlatform : public PosixPlatform {
public:
    GuardPlatform(GuardService& service, std::string user)
        : m_service(service), m_user(std::move(user)) {}

    std::optional<std::string> UserName() const override { return m_user; }
    void SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(unsigned id) override;
    void BaseInitialUpdate() override {}
    // After each tick: the user's tray program gets the new figures.
    void Default() override;
    // Sent to the user's tray program; the service does not wait for it.
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
    std::map<unsigned, std::unique_ptr<QTimer>> m_timers;
    NoticeWindow m_notice;
};
