#include "core/SessionTable.h"

bool SessionCounts(const std::string& sessionClass, const std::string& seat, bool active) {
    return sessionClass == "user" && !seat.empty() && active;
}

void SessionTable::Update(const std::string& id, const std::string& user, bool counts) {
    m_sessions[id] = Session{user, counts};
}

void SessionTable::Remove(const std::string& id) { m_sessions.erase(id); }

std::set<std::string> SessionTable::CountingUsers() const {
    std::set<std::string> users;
    for (const auto& [id, session] : m_sessions) {
        if (session.counts) users.insert(session.user);
    }
    return users;
}

std::set<std::string> SessionTable::Users() const {
    std::set<std::string> users;
    for (const auto& [id, session] : m_sessions) users.insert(session.user);
    return users;
}

std::optional<SessionTable::Session> SessionTable::Find(const std::string& id) const {
    const auto found = m_sessions.find(id);
    if (found == m_sessions.end()) return std::nullopt;
    return found->second;
}

std::vector<std::string> SessionTable::CountingSessionsOf(const std::string& user) const {
    std::vector<std::string> ids;
    for (const auto& [id, session] : m_sessions) {
        if (session.counts && session.user == user) ids.push_back(id);
    }
    return ids;
}

CallerStanding StandingOf(const SessionTable& sessions, const std::optional<std::string>& session,
                          const std::function<bool(const std::string& user)>& isCaller) {
    const std::optional<SessionTable::Session> found =
        session ? sessions.Find(*session) : std::nullopt;
    if (!found || !isCaller(found->user)) return CallerStanding::Unknown;
    return found->counts ? CallerStanding::Counting : CallerStanding::NotCounting;
}
