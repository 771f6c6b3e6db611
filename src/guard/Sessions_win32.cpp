#include "guard/Sessions_win32.h"

#include <wtsapi32.h>

#include <cstring>

#include "core/WarningNotice.h"
#include "os/Handles_win32.h"

static_assert(kWtsActive == WTSActive && kWtsDisconnected == WTSDisconnected, "connect states");
static_assert(kWtsConsoleConnect == WTS_CONSOLE_CONNECT &&
                  kWtsConsoleDisconnect == WTS_CONSOLE_DISCONNECT &&
                  kWtsRemoteConnect == WTS_REMOTE_CONNECT &&
                  kWtsRemoteDisconnect == WTS_REMOTE_DISCONNECT &&
                  kWtsSessionLogon == WTS_SESSION_LOGON &&
                  kWtsSessionLogoff == WTS_SESSION_LOGOFF && kWtsSessionLock == WTS_SESSION_LOCK &&
                  kWtsSessionUnlock == WTS_SESSION_UNLOCK &&
                  kWtsSessionRemoteControl == WTS_SESSION_REMOTE_CONTROL,
              "session-change events");

namespace {

struct WtsMemoryFreer {
    void operator()(void* memory) const { ::WTSFreeMemory(memory); }
};
template <typename T>
using ScopedWtsMemory = ScopedHandle<T*, WtsMemoryFreer>;

// One value of the session's information, or false.
bool QueryInfo(std::uint32_t id, WTS_INFO_CLASS what, std::string& bytes) {
    LPSTR buffer = nullptr;
    DWORD size = 0;
    if (!::WTSQuerySessionInformationA(WTS_CURRENT_SERVER_HANDLE, id, what, &buffer, &size)) {
        return false;
    }
    const ScopedWtsMemory<char> owned(buffer);
    bytes.assign(owned.get(), size);
    return true;
}

}  // namespace

std::optional<std::vector<std::uint32_t>> SystemWtsApi::Enumerate() {
    WTS_SESSION_INFOA* sessions = nullptr;
    DWORD count = 0;
    if (!::WTSEnumerateSessionsA(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count)) {
        return std::nullopt;
    }
    const ScopedWtsMemory<WTS_SESSION_INFOA> owned(sessions);
    std::vector<std::uint32_t> ids;
    for (DWORD i = 0; i < count; ++i) ids.push_back(owned.get()[i].SessionId);
    return ids;
}

std::optional<WtsSession> SystemWtsApi::Query(std::uint32_t id) {
    std::string user, state;
    if (!QueryInfo(id, WTSUserName, user) || !QueryInfo(id, WTSConnectState, state) ||
        state.size() < sizeof(WTS_CONNECTSTATE_CLASS)) {
        return std::nullopt;
    }
    WtsSession session;
    session.user = user.substr(0, user.find('\0'));
    WTS_CONNECTSTATE_CLASS connectState;
    std::memcpy(&connectState, state.data(), sizeof connectState);
    session.state = static_cast<int>(connectState);
    return session;
}

bool SendSessionNotice(std::uint32_t session, const std::string& text, DWORD& error) {
    char title[] = "警告";
    std::string message = text;
    DWORD response = 0;
    const BOOL sent =
        ::WTSSendMessageA(WTS_CURRENT_SERVER_HANDLE, session, title, sizeof title - 1, &message[0],
                          static_cast<DWORD>(message.size()), MB_OK | MB_ICONWARNING,
                          static_cast<DWORD>(kNoticeMilliseconds / 1000), &response, FALSE);
    error = sent ? ERROR_SUCCESS : ::GetLastError();
    return sent != FALSE;
}
