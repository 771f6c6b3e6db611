// Which users are in use: the sessions the system reports, reduced to the users
// whose minutes count now. Fed by logind on Linux and by the session-change
// notifications on Windows.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// A user's minutes count while that user has a local user session that is the
// active one of its seat: a session switched away from, a login screen or a
// remote shell without a seat counts nothing.
bool SessionCounts(const std::string& sessionClass, const std::string& seat, bool active);

class SessionTable;

// Where a caller stands when it asks the guard to power the machine off.
enum class CallerStanding {
    Unknown,      // its session is not known, or is another user's
    NotCounting,  // its own session, but not the seat's active local one
    Counting,     // its own session is the one in use: it may
};
// The one rule of both guards: only from the caller's own session, and only
// while that session counts. Each OS names the caller's session (logind's
// session of the calling process, the pipe client's WTS session) and tells its
// user apart (`isCaller`); a user's other session that counts (at the seat,
// while the request comes from an ssh shell) is no ground.
CallerStanding StandingOf(const SessionTable& sessions, const std::optional<std::string>& session,
                          const std::function<bool(const std::string& user)>& isCaller);

class SessionTable {
public:
    // Adds a session or replaces what was known of it.
    void Update(const std::string& id, const std::string& user, bool counts);
    void Remove(const std::string& id);

    // Users with at least one session that counts.
    std::set<std::string> CountingUsers() const;
    // Users with any session at all, counting or not.
    std::set<std::string> Users() const;

    struct Session {
        std::string user;
        bool counts = false;
    };
    std::optional<Session> Find(const std::string& id) const;
    // The ids of the user's sessions that count: where that user's notices go.
    std::vector<std::string> CountingSessionsOf(const std::string& user) const;

private:
    std::map<std::string, Session> m_sessions;  // by session id
};
