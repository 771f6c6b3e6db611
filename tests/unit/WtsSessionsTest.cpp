// The Windows guard's session bookkeeping against a fake WTS layer: what the
// sessions at start and each session-change notification do to whose minutes count.
#include <gtest/gtest.h>

#include <map>

#include "FakePlatform.h"
#include "TempDir.h"
#include "core/GuardedUsers.h"
#include "core/WtsSessions.h"

namespace {

class FakeWts : public WtsApi {
public:
    std::optional<std::vector<std::uint32_t>> Enumerate() override {
        if (listFails) return std::nullopt;
        std::vector<std::uint32_t> ids;
        for (const auto& [id, session] : sessions) ids.push_back(id);
        return ids;
    }
    std::optional<WtsSession> Query(std::uint32_t id) override {
        const auto found = sessions.find(id);
        if (found == sessions.end()) return std::nullopt;
        return found->second;
    }
    std::map<std::uint32_t, WtsSession> sessions;
    bool listFails = false;
};

struct Guard {
    explicit Guard(bool callersWhenNoneListed = false) : sessions(wts, callersWhenNoneListed) {}
    TempDir dir;
    FakeWts wts;
    WtsSessions sessions;
    GuardedUsers users{[this](const std::string& user) {
        auto fake = std::make_unique<FakePlatform>(dir.path());
        fake->userName = user;
        fake->now = MakeTime(2026, 12, 7, 17, 0);
        return fake;
    }};

    // The notification as the service gets it, with the session as it is by then.
    void Notify(unsigned event, std::uint32_t id, WtsSession now) {
        wts.sessions[id] = std::move(now);
        sessions.OnSessionChange(event, id);
        users.Apply(sessions.Table());
    }
    std::string Counting() {
        std::string names;
        for (const std::string& user : users.Users()) {
            if (users.IsCounting(user)) names += user + " ";
        }
        return names;
    }
};

const int kActive = kWtsActive;
const int kDisconnected = kWtsDisconnected;

}  // namespace

TEST(WtsSessions, NotificationsDecideWhoseMinutesCount) {
    Guard guard;
    guard.wts.sessions = {{0, {"", kDisconnected}},  // the services' session
                          {1, {"taro", kActive}},
                          {2, {"hanako", kDisconnected}}};  // switched away from
    ASSERT_TRUE(guard.sessions.ReadAll());
    guard.users.Apply(guard.sessions.Table());
    EXPECT_EQ(guard.Counting(), "taro ");
    EXPECT_EQ(guard.users.Find("hanako"), nullptr);

    // A locked session stays the active one of its console.
    guard.Notify(kWtsSessionLock, 1, {"taro", kActive});
    EXPECT_EQ(guard.Counting(), "taro ");
    // Switching users: the first session leaves the console, the second comes to it.
    guard.Notify(kWtsConsoleDisconnect, 1, {"taro", kDisconnected});
    guard.Notify(kWtsConsoleConnect, 2, {"hanako", kActive});
    EXPECT_EQ(guard.Counting(), "hanako ");
    ASSERT_NE(guard.users.Find("taro"), nullptr);  // paused, not forgotten
    // Taro comes back over remote desktop while hanako's session still names her.
    guard.Notify(kWtsRemoteConnect, 1, {"taro", kActive});
    guard.Notify(kWtsSessionLogoff, 2, {"hanako", kDisconnected});
    EXPECT_EQ(guard.Counting(), "taro ");
    EXPECT_EQ(guard.users.Find("hanako"), nullptr);
    // A new logon counts at once; a session that can no longer be read is gone.
    guard.Notify(kWtsSessionLogon, 3, {"jiro", kActive});
    EXPECT_EQ(guard.Counting(), "jiro taro ");
    guard.wts.sessions.erase(3);
    guard.sessions.OnSessionChange(kWtsSessionUnlock, 3);
    guard.users.Apply(guard.sessions.Table());
    EXPECT_EQ(guard.Counting(), "taro ");
    EXPECT_EQ(guard.sessions.Table().CountingSessionsOf("taro"), std::vector<std::string>{"1"});

    // Callers never add sessions where the system lists them.
    EXPECT_FALSE(guard.sessions.OnCaller(1, "mallory"));
    EXPECT_FALSE(guard.sessions.ListsNoSessions());
    guard.wts.listFails = true;
    EXPECT_FALSE(guard.sessions.ReadAll());
}

// Wine lists no session at all: only with the tests' switch are the tray
// programs' sessions then the ones known; a real guard counts no one.
TEST(WtsSessions, WithNoSessionListedCallersCountOnlyBehindTheTestSwitch) {
    for (const bool testSwitch : {false, true}) {
        Guard guard(testSwitch);
        ASSERT_TRUE(guard.sessions.ReadAll());
        EXPECT_TRUE(guard.sessions.ListsNoSessions());
        EXPECT_EQ(guard.sessions.OnCaller(1, "root"), testSwitch);
        EXPECT_FALSE(guard.sessions.OnCaller(1, "root"));
        EXPECT_FALSE(guard.sessions.OnCaller(1, ""));
        guard.users.Apply(guard.sessions.Table());
        EXPECT_EQ(guard.Counting(), testSwitch ? "root " : "");
    }
}
