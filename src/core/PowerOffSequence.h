// The Windows power-off sequence, written against a table of the OS functions it
// calls so that every branch can be exercised without touching the OS. The types
// mirror the Win32 records byte for byte; the Windows shell checks that they match.
#pragma once

#include <cstdint>
#include <functional>

struct HgOsVersionInfoA {  // OSVERSIONINFOA
    std::uint32_t dwOSVersionInfoSize;
    std::uint32_t dwMajorVersion;
    std::uint32_t dwMinorVersion;
    std::uint32_t dwBuildNumber;
    std::uint32_t dwPlatformId;
    char szCSDVersion[128];
};

struct HgLuid {  // LUID
    std::uint32_t LowPart;
    std::int32_t HighPart;
};

struct HgTokenPrivileges {  // TOKEN_PRIVILEGES with one entry
    std::uint32_t PrivilegeCount;
    HgLuid Luid;
    std::uint32_t Attributes;
};

static_assert(sizeof(HgOsVersionInfoA) == 148, "OSVERSIONINFOA is 148 bytes");
static_assert(sizeof(HgTokenPrivileges) == 16, "a one-entry TOKEN_PRIVILEGES is 16 bytes");

constexpr std::uint32_t kPlatformWin32Nt = 2;                // VER_PLATFORM_WIN32_NT
constexpr std::uint32_t kTokenAdjustAndQuery = 0x20 | 0x08;  // TOKEN_ADJUST_PRIVILEGES | QUERY
constexpr const char* kShutdownPrivilege = "SeShutdownPrivilege";
constexpr std::uint32_t kPrivilegeEnabled = 2;                 // SE_PRIVILEGE_ENABLED
constexpr unsigned kForcedPowerOffFlags = 0x01 | 0x04 | 0x08;  // SHUTDOWN | FORCE | POWEROFF
constexpr std::uint32_t kPowerOffReason = 0xFFFFFFFF;

struct PowerOffApi {
    std::function<int(HgOsVersionInfoA*)> GetVersionExA;
    std::function<void*()> GetCurrentProcess;
    std::function<int(void* process, std::uint32_t access, void** token)> OpenProcessToken;
    std::function<int(const char* systemName, const char* name, HgLuid* luid)>
        LookupPrivilegeValueA;
    std::function<int(void* token, int disableAll, HgTokenPrivileges* newState,
                      std::uint32_t bufferLength, HgTokenPrivileges* previousState,
                      std::uint32_t* returnLength)>
        AdjustTokenPrivileges;
    std::function<int(void* handle)> CloseHandle;
    std::function<int(unsigned flags, std::uint32_t reason)> ExitWindowsEx;
};

// Enables the shutdown privilege (on NT-family systems) and asks for a forced
// power-off. 1 when the request was issued, whatever the request call returned;
// 0, with no request, when the version query, the token, the privilege lookup or
// the adjustment failed.
int ForcedPowerOff(const PowerOffApi& api);
