// One user's platform inside the guard: that user's name, the guard's own
// directory and clocks, timers of its own, and notices and power-off requests
// handed to the service, which reaches the user's tray program and logind.
#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

#include "app/Platform.h"

class GuardService;

// How long a notice no tray program could show waits for one, and so how long
// the power-off that follows it waits.
constexpr int kHeldNoticeMilliseconds = 20000;

class GuardPlatform : public HourgatePlatform {
public:
    GuardPlatform(GuardService& service, std::string user)
        : m_service(service), m_user(std::move(user)) {}

    std::int64_t Now() const override;
    bool ToLocalTime(std::int64_t time, LocalTimeFields& out) const override;
    std::int64_t SleepStoppingMilliseconds() const override;
    std::int64_t BootTimeMilliseconds() const override;
    std::optional<std::string> UserName() const override { return m_user; }
    std::string ExecutablePath() const override;
    char PathSeparator() const override { return '/'; }
    LeadByteTest LeadBytes() const override { return nullptr; }
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
    void WriteSystemLog(const std::string& line) override;

private:
    GuardService& m_service;
    std::string m_user;
    std::map<unsigned, std::unique_ptr<QTimer>> m_timers;
    std::int64_t m_nNoticeEndsMs = 0;  // sleep-stopping clock
};
