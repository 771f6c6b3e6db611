#include "guard/SessionTable.h"

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
