#include <gtest/gtest.h>

#include <sstream>

#include "core/PowerOffSequence.h"

namespace {

using Calls = std::vector<std::string>;

// A table of OS functions that logs each call with what it was given; the call
// named `failing` fails.
struct FakeWindows {
    std::uint32_t platformId = kPlatformWin32Nt;
    std::string failing;
    Calls calls;

    template <typename... Args>
    int Log(const std::string& name, Args... args) {
        std::ostringstream line;
        line << name;
        ((line << ' ' << args), ...);
        calls.push_back(line.str());
        return name == failing ? 0 : 1;
    }
    PowerOffApi Table() {
        PowerOffApi api;
        api.GetVersionExA = [this](HgOsVersionInfoA* v) {
            v->dwPlatformId = platformId;
            return Log("version", v->dwOSVersionInfoSize);
        };
        api.GetCurrentProcess = [] { return reinterpret_cast<void*>(-1); };
        api.OpenProcessToken = [this](void*, std::uint32_t access, void**) {
            return Log("token", access);
        };
        api.LookupPrivilegeValueA = [this](const char* system, const char* name, HgLuid* luid) {
            luid->LowPart = 19;
            return Log("lookup", system ? system : "local", name);
        };
        api.AdjustTokenPrivileges = [this](void*, int all, HgTokenPrivileges* s, std::uint32_t size,
                                           HgTokenPrivileges* old, std::uint32_t* returned) {
            return Log("adjust", all, s->PrivilegeCount, s->Luid.LowPart, s->Attributes, size,
                       old && returned);
        };
        api.CloseHandle = [this](void*) { return Log("close"); };
        api.ExitWindowsEx = [this](unsigned flags, std::uint32_t reason) {
            return Log("exit", flags, reason);
        };
        return api;
    }
};

const std::string kRequest = "exit 13 4294967295";

}  // namespace

TEST(PowerOffSequence, EnablesThePrivilegeThenRequestsThePowerOff) {
    FakeWindows os;
    EXPECT_EQ(ForcedPowerOff(os.Table()), 1);
    EXPECT_EQ(os.calls, (Calls{"version 148", "token 40", "lookup local SeShutdownPrivilege",
                               "adjust 0 1 19 2 16 1", "close", kRequest}));
    os.calls.clear();
    os.platformId = 1;  // older systems have no tokens; every call requests again
    EXPECT_EQ(ForcedPowerOff(os.Table()), 1);
    EXPECT_EQ(os.calls, (Calls{"version 148", kRequest}));
}

TEST(PowerOffSequence, EachFailingStepIssuesNoRequestButAFailedRequestStillCounts) {
    for (const std::string failing : {"version", "token", "lookup", "adjust", "exit"}) {
        FakeWindows os;
        os.failing = failing;
        EXPECT_EQ(ForcedPowerOff(os.Table()), failing == "exit" ? 1 : 0) << failing;
        EXPECT_EQ(os.calls.back() == kRequest, failing == "exit") << failing;
    }
}
