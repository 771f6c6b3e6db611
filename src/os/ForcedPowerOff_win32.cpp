#include "os/ForcedPowerOff_win32.h"

#include <windows.h>
#include <wtsapi32.h>

#include <cstddef>
#include <string>

#include "core/DryRun.h"

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

namespace {

constexpr const char* kNotRequested = "power-off could not be requested";

// Passes a call's result on; a failure is logged once with the call's name.
int Checked(FailureLog& failures, const char* call, BOOL ok) {
    if (!ok) {
        const std::string code = std::to_string(::GetLastError());
        failures.Failed(kNotRequested, std::string(call) + " failed (Windows error " + code + ")");
    }
    return ok ? 1 : 0;
}

}  // namespace

PowerOffApi SystemPowerOffApi(bool dryRun, FailureLog& failures, PowerOffScope scope) {
    PowerOffApi api;
    api.GetVersionExA = [&failures](HgOsVersionInfoA* info) {
        return Checked(failures, "GetVersionExA",
                       ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(info)));
    };
    api.GetCurrentProcess = []() -> void* { return ::GetCurrentProcess(); };
    api.OpenProcessToken = [&failures](void* process, std::uint32_t access, void** token) {
        return Checked(failures, "OpenProcessToken",
                       ::OpenProcessToken(static_cast<HANDLE>(process), access,
                                          reinterpret_cast<PHANDLE>(token)));
    };
    api.LookupPrivilegeValueA = [&failures](const char* systemName, const char* name,
                                            HgLuid* luid) {
        return Checked(failures, "LookupPrivilegeValueA",
                       ::LookupPrivilegeValueA(systemName, name, reinterpret_cast<PLUID>(luid)));
    };
    api.AdjustTokenPrivileges = [&failures](void* token, int disableAll,
                                            HgTokenPrivileges* newState, std::uint32_t bufferLength,
                                            HgTokenPrivileges* previousState,
                                            std::uint32_t* returnLength) {
        DWORD length = 0;
        const BOOL ok = ::AdjustTokenPrivileges(
            static_cast<HANDLE>(token), disableAll, reinterpret_cast<PTOKEN_PRIVILEGES>(newState),
            bufferLength, reinterpret_cast<PTOKEN_PRIVILEGES>(previousState), &length);
        if (returnLength) *returnLength = length;
        return Checked(failures, "AdjustTokenPrivileges", ok);
    };
    api.CloseHandle = [](void* handle) {
        return static_cast<int>(::CloseHandle(static_cast<HANDLE>(handle)));
    };
    // Reaching the request means every step worked: a later failure is news again.
    if (dryRun) {
        api.ExitWindowsEx = [&failures](unsigned, std::uint32_t) {
            failures.Succeeded(kNotRequested);
            ReportDryRunPowerOff();
            return 1;
        };
    } else if (scope == PowerOffScope::Machine) {
        // The request's slot of the table; the flags are ExitWindowsEx's, so the
        // machine-wide call takes its own.
        api.ExitWindowsEx = [&failures](unsigned, std::uint32_t reason) {
            failures.Succeeded(kNotRequested);
            const DWORD error = ::InitiateShutdownA(
                nullptr, nullptr, 0,
                SHUTDOWN_POWEROFF | SHUTDOWN_FORCE_OTHERS | SHUTDOWN_FORCE_SELF, reason);
            ::SetLastError(error);
            return Checked(failures, "InitiateShutdownA", error == ERROR_SUCCESS);
        };
    } else {
        api.ExitWindowsEx = [&failures](unsigned flags, std::uint32_t reason) {
            failures.Succeeded(kNotRequested);
            return Checked(failures, "ExitWindowsEx", ::ExitWindowsEx(flags, reason));
        };
    }
    return api;
}

int ForcedPowerOff(bool dryRun, FailureLog& failures, PowerOffScope scope) {
    return ForcedPowerOff(SystemPowerOffApi(dryRun, failures, scope));
}

int ForcedLogOff(bool dryRun, FailureLog& failures) {
    if (dryRun) {
        ReportDryRunLogOff();
        return 1;
    }
    // Logging off one's own session needs no privilege.
    return Checked(failures, "ExitWindowsEx",
                   ::ExitWindowsEx(EWX_LOGOFF | EWX_FORCE,
                                   SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_FLAG_PLANNED));
}

int ForcedLogOffSession(bool dryRun, FailureLog& failures, unsigned long sessionId) {
    if (dryRun) {
        ReportDryRunLogOff();
        return 1;
    }
    return Checked(failures, "WTSLogoffSession",
                   ::WTSLogoffSession(WTS_CURRENT_SERVER_HANDLE, sessionId, FALSE));
}
