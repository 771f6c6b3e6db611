// The sessions of a Windows machine as the WTS API reports them: all of them
// at start, then one at a time as the session-change notifications arrive. The
// calls themselves sit behind WtsApi, so that the bookkeeping runs without the OS.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/SessionTable.h"

// WTS_CONNECTSTATE_CLASS's WTSActive, and the session-change events of
// SERVICE_CONTROL_SESSIONCHANGE (the Windows side checks them against the headers).
constexpr int kWtsActive = 0;
constexpr int kWtsDisconnected = 4;
enum WtsSessionEvent : unsigned {
    kWtsConsoleConnect = 1,
    kWtsConsoleDisconnect = 2,
    kWtsRemoteConnect = 3,
    kWtsRemoteDisconnect = 4,
    kWtsSessionLogon = 5,
    kWtsSessionLogoff = 6,
    kWtsSessionLock = 7,
    kWtsSessionUnlock = 8,
    kWtsSessionRemoteControl = 9,
};

struct WtsSession {
    std::string user;  // empty while nobody is logged on in it
    int state = kWtsDisconnected;
};

class WtsApi {
public:
    virtual ~WtsApi() = default;
    // The ids of every session there is; nothing when the system cannot list them.
    virtual std::optional<std::vector<std::uint32_t>> Enumerate() = 0;
    // Who is logged on in the session and its connect state; nothing when the
    // session is gone or cannot be read.
    virtual std::optional<WtsSession> Query(std::uint32_t id) = 0;
};

// A user's minutes count while the user's session is the active one of its
// connection: locked still counts (as the tray program's own count does), a
// disconnected session or the services' session without a user does not.
bool WtsSessionCounts(const WtsSession& session);

class WtsSessions {
public:
    // `callersWhenNoneListed`: the test switch for Wine (see OnCaller); off, a
    // system that lists no sessions has no one counted.
    explicit WtsSessions(WtsApi& api, bool callersWhenNoneListed = false)
        : m_api(api), m_bCallersWhenNoneListed(callersWhenNoneListed) {}

    // Reads every session anew; false when the system could not list them.
    bool ReadAll();
    // A session-change notification for session `id`: the session is read again,
    // or dropped at its logoff.
    void OnSessionChange(unsigned event, std::uint32_t id);
    // A tray program of `user` in session `id` called. Only with the test switch
    // on, and only where the system lists no session at all, which Windows
    // never does (its services have a session of their own) but Wine does, is
    // that caller's session taken as an active one; true when the table changed.
    bool OnCaller(std::uint32_t id, const std::string& user);

    const SessionTable& Table() const { return m_table; }
    bool ListsNoSessions() const { return m_bNoneListed; }

private:
    void Read(std::uint32_t id);

    WtsApi& m_api;
    SessionTable m_table;
    bool m_bCallersWhenNoneListed;
    bool m_bNoneListed = false;
};
