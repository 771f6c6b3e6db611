// The system's own words for an error code, for the administrator's log.
#pragma once

#include <windows.h>

#include <string>

// "<the system's message> (Windows error N)", or only the number when the
// system has no message for it.
inline std::string WindowsErrorText(DWORD error) {
    char text[512] = {};
    DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                               error, 0, text, sizeof text, nullptr);
    // The message ends in a line break; no trail byte of code page 932 is below 0x40.
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
    const std::string code = "Windows error " + std::to_string(error);
    return n == 0 ? code : std::string(text, n) + " (" + code + ")";
}
