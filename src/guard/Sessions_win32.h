// The WTS API behind the guard's session bookkeeping, and the notice it shows
// in a user's session.
#pragma once

#include <windows.h>

#include <string>

#include "core/WtsSessions.h"

class SystemWtsApi : public WtsApi {
public:
    std::optional<std::vector<std::uint32_t>> Enumerate() override;
    std::optional<WtsSession> Query(std::uint32_t id) override;
};

// Shows `text` in session `session` as a message box captioned 警告 that closes
// itself after the notice's time, without waiting for it; false, with the
// system's error, when it could not be sent.
bool SendSessionNotice(std::uint32_t session, const std::string& text, DWORD& error);
