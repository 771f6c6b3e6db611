#include "core/PowerOffSequence.h"

namespace {

int EnableShutdownPrivilege(const PowerOffApi& api) {
    void* token = nullptr;
    if (!api.OpenProcessToken(api.GetCurrentProcess(), kTokenAdjustAndQuery, &token)) return 0;
    HgTokenPrivileges newState{};
    int ok = api.LookupPrivilegeValueA(nullptr, kShutdownPrivilege, &newState.Luid);
    if (ok) {
        newState.PrivilegeCount = 1;
        newState.Attributes = kPrivilegeEnabled;
        HgTokenPrivileges previousState{};
        std::uint32_t returnLength = 0;
        ok = api.AdjustTokenPrivileges(token, 0, &newState, sizeof previousState, &previousState,
                                       &returnLength);
    }
    api.CloseHandle(token);  // nothing later needs it
    return ok ? 1 : 0;
}

}  // namespace

int ForcedPowerOff(const PowerOffApi& api) {
    HgOsVersionInfoA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!api.GetVersionExA(&version)) return 0;
    if (version.dwPlatformId == kPlatformWin32Nt && !EnableShutdownPrivilege(api)) return 0;
    api.ExitWindowsEx(kForcedPowerOffFlags, kPowerOffReason);
    return 1;
}
