// The guard's accountings: one view per user with a session, each on a platform
// of its own, so that every user is counted by the same rules as the tray
// program counts its one user.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/HourgateDoc.h"
#include "core/HourgateView.h"
#include "core/Platform.h"
#include "core/SessionTable.h"

// A user's platform as the view sees it inside the guard: the guard's platform
// for that user, except that the sleep-stopping clock advances only while the
// user's session counts. Switching to another user's session thus pauses the
// first user's minutes exactly as sleep does.
class SessionClockPlatform : public HourgatePlatform {
public:
    explicit SessionClockPlatform(std::unique_ptr<HourgatePlatform> inner)
        : m_inner(std::move(inner)) {}

    void SetCounting(bool counting);
    bool IsCounting() const { return m_bCounting; }

    std::int64_t SleepStoppingMilliseconds() const override;

    std::int64_t Now() const override { return m_inner->Now(); }
    bool ToLocalTime(std::int64_t time, LocalTimeFields& out) const override {
        return m_inner->ToLocalTime(time, out);
    }
    std::int64_t BootTimeMilliseconds() const override { return m_inner->BootTimeMilliseconds(); }
    std::optional<std::string> UserName() const override { return m_inner->UserName(); }
    std::string ExecutablePath() const override { return m_inner->ExecutablePath(); }
    std::string ConfigurationDirectory() const override {
        return m_inner->ConfigurationDirectory();
    }
    std::string StateDirectory() const override { return m_inner->StateDirectory(); }
    char PathSeparator() const override { return m_inner->PathSeparator(); }
    LeadByteTest LeadBytes() const override { return m_inner->LeadBytes(); }
    void SetTimer(unsigned id, unsigned milliseconds) override {
        m_inner->SetTimer(id, milliseconds);
    }
    void KillTimer(unsigned id) override { m_inner->KillTimer(id); }
    void BaseInitialUpdate() override { m_inner->BaseInitialUpdate(); }
    void Default() override { m_inner->Default(); }
    void ShowWarning(const std::string& message) override { m_inner->ShowWarning(message); }
    int ForcedPowerOff() override { return m_inner->ForcedPowerOff(); }
    int ForcedLogOff() override { return m_inner->ForcedLogOff(); }
    void WriteSystemLog(const std::string& line) override { m_inner->WriteSystemLog(line); }
    void WriteSystemInfo(const std::string& line) override { m_inner->WriteSystemInfo(line); }
    void WriteSystemNotice(const std::string& line) override { m_inner->WriteSystemNotice(line); }

private:
    std::unique_ptr<HourgatePlatform> m_inner;
    bool m_bCounting = false;
    std::int64_t m_nCountedMs = 0;  // counted time of the finished stretches
    std::int64_t m_nSinceMs = 0;    // the inner clock when the current stretch began
};

class GuardedUsers {
public:
    // Makes the guard's platform for one user: that user's name, the guard's
    // directory, its timers, notices and power-off.
    using PlatformFactory = std::function<std::unique_ptr<HourgatePlatform>(const std::string&)>;

    explicit GuardedUsers(PlatformFactory makePlatform) : m_makePlatform(std::move(makePlatform)) {}

    // Brings the accountings in line with the sessions: a user whose session
    // counts for the first time gets usage start, as at a logon; a user's
    // minutes count only while one of their sessions does; a user without any
    // session left is dropped (the last tick left the record current).
    void Apply(const SessionTable& sessions);

    // The user's view, or null while no count is kept for that user.
    CHourgateView* Find(const std::string& user);
    // The two lines of the user's window, as the view draws them; none while no
    // count is kept for the user.
    std::vector<std::string> StatusLines(const std::string& user);
    // True while one of the user's sessions counts.
    bool IsCounting(const std::string& user) const;
    std::vector<std::string> Users() const;
    // Every count kept, with whether it counts now.
    void ForEach(const std::function<void(CHourgateView& view, bool counting)>& visit);

private:
    struct Accounting {
        explicit Accounting(std::unique_ptr<HourgatePlatform> inner)
            : platform(std::move(inner)), document(platform), view(platform, document) {}
        SessionClockPlatform platform;
        CHourgateDoc document;
        CHourgateView view;
    };

    PlatformFactory m_makePlatform;
    std::map<std::string, std::unique_ptr<Accounting>> m_accountings;  // by user name
};
