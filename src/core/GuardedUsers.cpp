#include "core/GuardedUsers.h"

void SessionClockPlatform::SetCounting(bool counting) {
    if (counting == m_bCounting) return;
    const std::int64_t now = m_inner->SleepStoppingMilliseconds();
    if (counting) {
        m_nSinceMs = now;
    } else {
        m_nCountedMs += now - m_nSinceMs;
    }
    m_bCounting = counting;
}

std::int64_t SessionClockPlatform::SleepStoppingMilliseconds() const {
    if (!m_bCounting) return m_nCountedMs;
    return m_nCountedMs + (m_inner->SleepStoppingMilliseconds() - m_nSinceMs);
}

void GuardedUsers::Apply(const SessionTable& sessions) {
    const std::set<std::string> present = sessions.Users();
    const std::set<std::string> counting = sessions.CountingUsers();

    for (auto it = m_accountings.begin(); it != m_accountings.end();) {
        if (present.count(it->first) != 0) {
            ++it;
            continue;
        }
        it->second->platform.WriteSystemInfo(it->first + ": no session left, count ended");
        it = m_accountings.erase(it);
    }

    for (const std::string& user : present) {
        const bool counts = counting.count(user) != 0;
        auto found = m_accountings.find(user);
        if (found == m_accountings.end()) {
            if (!counts) continue;  // counted from the first time the session is in use
            auto accounting = std::make_unique<Accounting>(m_makePlatform(user));
            Accounting& added = *accounting;
            m_accountings.emplace(user, std::move(accounting));
            added.platform.SetCounting(true);
            added.platform.WriteSystemInfo(user + ": session active, count started");
            added.view.OnInitialUpdate();
            continue;
        }
        SessionClockPlatform& platform = found->second->platform;
        if (platform.IsCounting() == counts) continue;
        platform.SetCounting(counts);
        // A paused count has nothing to tick for: its timer rests until the
        // session is in use again, so ten users cost the guard one timer.
        if (counts) {
            platform.SetTimer(USAGE_TIMER_ID, kUsageTimerMilliseconds);
        } else {
            platform.KillTimer(USAGE_TIMER_ID);
        }
        platform.WriteSystemInfo(user + (counts ? ": session active, count resumed"
                                                : ": session inactive, count paused"));
    }
}

CHourgateView* GuardedUsers::Find(const std::string& user) {
    const auto found = m_accountings.find(user);
    return found == m_accountings.end() ? nullptr : &found->second->view;
}

std::vector<std::string> GuardedUsers::StatusLines(const std::string& user) {
    struct LinesOutput : TextOutput {
        void TextOut(int, int, const std::string& text) override { lines.push_back(text); }
        std::vector<std::string> lines;
    } output;
    if (CHourgateView* view = Find(user)) view->OnDraw(output);
    return output.lines;
}

bool GuardedUsers::IsCounting(const std::string& user) const {
    const auto found = m_accountings.find(user);
    return found != m_accountings.end() && found->second->platform.IsCounting();
}

std::vector<std::string> GuardedUsers::Users() const {
    std::vector<std::string> users;
    for (const auto& [user, accounting] : m_accountings) users.push_back(user);
    return users;
}

void GuardedUsers::ForEach(const std::function<void(CHourgateView& view, bool counting)>& visit) {
    for (auto& [user, accounting] : m_accountings) {
        visit(accounting->view, accounting->platform.IsCounting());
    }
}
