#include "core/WtsSessions.h"

bool WtsSessionCounts(const WtsSession& session) {
    return !session.user.empty() && session.state == kWtsActive;
}

bool WtsSessions::ReadAll() {
    const std::optional<std::vector<std::uint32_t>> ids = m_api.Enumerate();
    if (!ids) return false;
    m_table = SessionTable();
    m_bNoneListed = ids->empty();
    for (const std::uint32_t id : *ids) Read(id);
    return true;
}

void WtsSessions::Read(std::uint32_t id) {
    const std::optional<WtsSession> session = m_api.Query(id);
    if (!session || session->user.empty()) {
        m_table.Remove(std::to_string(id));
        return;
    }
    m_table.Update(std::to_string(id), session->user, WtsSessionCounts(*session));
}

void WtsSessions::OnSessionChange(unsigned event, std::uint32_t id) {
    // At its logoff a session may still name its user for a moment.
    if (event == kWtsSessionLogoff) {
        m_table.Remove(std::to_string(id));
        return;
    }
    Read(id);
}

bool WtsSessions::OnCaller(std::uint32_t id, const std::string& user) {
    if (!m_bCallersWhenNoneListed || !m_bNoneListed || user.empty()) return false;
    const std::optional<SessionTable::Session> known = m_table.Find(std::to_string(id));
    if (known && known->user == user && known->counts) return false;
    m_table.Update(std::to_string(id), user, true);
    return true;
}
