#include "notify/ForcedPowerOff_win32.h"

#include <windows.h>

#include <cstddef>

#include "notify/DryRun.h"

// The sequence is written against mirror types so that it can be tested without
// the OS; they must be the real records byte for byte.
static_assert(sizeof(HgOsVersionInfoA) == sizeof(OSVERSIONINFOA), "OSVERSIONINFOA size");
static_assert(offsetof(HgOsVersionInfoA, dwPlatformId) == offsetof(OSVERSIONINFOA, dwPlatformId),
              "OSVERSIONINFOA layout");
static_assert(sizeof(HgLuid) == sizeof(LUID), "LUID size");
static_assert(offsetof(HgLuid, HighPart) == offsetof(LUID, HighPart), "LUID layout");
static_assert(sizeof(HgTokenPrivileges) == sizeof(TOKEN_PRIVILEGES), "TOKEN_PRIVILEGES size");
static_assert(offsetof(HgTokenPrivileges, Luid) == offsetof(TOKEN_PRIVILEGES, Privileges[0].Luid),
              "TOKEN_PRIVILEGES layout");
static_assert(offsetof(HgTokenPrivileges, Attributes) ==
                  offsetof(TOKEN_PRIVILEGES, Privileges[0].Attributes),
              "TOKEN_PRIVILEGES layout");
static_assert(kPlatformWin32Nt == VER_PLATFORM_WIN32_NT, "platform id");
static_assert(kTokenAdjustAndQuery == (TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY), "token access");
static_assert(kPrivilegeEnabled == SE_PRIVILEGE_ENABLED, "privilege attribute");
static_assert(kForcedPowerOffFlags == (EWX_SHUTDOWN | EWX_FORCE | EWX_POWEROFF), "shutdown flags");

PowerOffApi SystemPowerOffApi(bool dryRun) {
    PowerOffApi api;
    api.GetVersionExA = [](HgOsVersionInfoA* info) {
        return static_cast<int>(::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info)));
    };
    api.GetCurrentProcess = []() -> void* { return ::GetCurrentProcess(); };
    api.OpenProcessToken = [](void* process, std::uint32_t access, void** token) {
        return static_cast<int>(::OpenProcessToken(static_cast<HANDLE>(process), access,
                                                   reinterpret_cast<PHANDLE>(token)));
    };
    api.LookupPrivilegeValueA = [](const char* systemName, const char* name, HgLuid* luid) {
        return static_cast<int>(
            ::LookupPrivilegeValueA(systemName, name, reinterpret_cast<PLUID>(luid)));
    };
    api.AdjustTokenPrivileges = [](void* token, int disableAll, HgTokenPrivileges* newState,
                                   std::uint32_t bufferLength, HgTokenPrivileges* previousState,
                                   std::uint32_t* returnLength) {
        DWORD length = 0;
        const BOOL ok = ::AdjustTokenPrivileges(
            static_cast<HANDLE>(token), disableAll, reinterpret_cast<PTOKEN_PRIVILEGES>(newState),
            bufferLength, reinterpret_cast<PTOKEN_PRIVILEGES>(previousState), &length);
        if (returnLength) *returnLength = length;
        return static_cast<int>(ok);
    };
    api.CloseHandle = [](void* handle) {
        return static_cast<int>(::CloseHandle(static_cast<HANDLE>(handle)));
    };
    if (dryRun) {
        api.ExitWindowsEx = [](unsigned, std::uint32_t) {
            ReportDryRunPowerOff();
            return 1;
        };
    } else {
        api.ExitWindowsEx = [](unsigned flags, std::uint32_t reason) {
            return static_cast<int>(::ExitWindowsEx(flags, reason));
        };
    }
    return api;
}

int ForcedPowerOff(bool dryRun) { return ForcedPowerOff(SystemPowerOffApi(dryRun)); }
