#include <gtest/gtest.h>

#include "notify/PowerOffSequence.h"

namespace {

using Calls = std::vector<std::string>;

// A table of OS functions that logs each call with what it was given; `failing`
// names the one call that fails.
struct FakeWindows {
    std::uint32_t platformId = kPlatformWin32Nt;
    std::string failing;
    Calls calls;

    int Log(const std::string& name, const std::string& args = "") {
        calls.push_back(args.empty() ? name : name + " " + args);
        return name == failing ? 0 : 1;
    }
    PowerOffApi Table() {
        PowerOffApi api;
        api.GetVersionExA = [this](HgOsVersionInfoA* v) {
            v->dwPlatformId = platformId;
            return Log("version", std::to_string(v->dwOSVersionInfoSize));
        };
        api.GetCurrentProcess = [this] { return Log("process"), reinterpret_cast<void*>(-1); };
        api.OpenProcessToken = [this](void*, std::uint32_t access, void** token) {
            *token = reinterpret_cast<void*>(0x44);
            return Log("token", std::to_string(access));
        };
        api.LookupPrivilegeValueA = [this](const char* system, const char* name, HgLuid* luid) {
            luid->LowPart = 19;
            return Log("lookup", std::string(system ? system : "local") + " " + name);
        };
        api.AdjustTokenPrivileges = [this](void*, int disableAll, HgTokenPrivileges* s,
                                           std::uint32_t length, HgTokenPrivileges* previous,
                                           std::uint32_t* returned) {
            return Log("adjust",
                       std::to_string(disableAll) + " " + std::to_string(s->PrivilegeCount) + " " +
                           std::to_string(s->Luid.LowPart) + " " + std::to_string(s->Attributes) +
                           " " + std::to_string(length) + (previous && returned ? " buffers" : ""));
        };
        api.CloseHandle = [this](void*) { return Log("close"); };
        api.ExitWindowsEx = [this](unsigned flags, std::uint32_t reason) {
            return Log("exit", std::to_string(flags) + " " + std::to_string(reason));
        };
        return api;
    }
};

const std::string kRequest = "exit 13 4294967295";

}  // namespace

TEST(PowerOffSequence, EnablesThePrivilegeThenRequestsThePowerOff) {
    FakeWindows os;
    EXPECT_EQ(ForcedPowerOff(os.Table()), 1);
    EXPECT_EQ(os.calls,
              (Calls{"version 148", "process", "token 40", "lookup local SeShutdownPrivilege",
                     "adjust 0 1 19 2 16 buffers", "close", kRequest}));
}

TEST(PowerOffSequence, EachFailingStepIssuesNoRequestAndAFailedRequestStillCounts) {
    const std::pair<std::string, int> cases[] = {
        {"version", 0}, {"token", 0}, {"lookup", 0}, {"adjust", 0}, {"exit", 1}};
    for (const auto& [failing, result] : cases) {
        FakeWindows os;
        os.failing = failing;
        EXPECT_EQ(ForcedPowerOff(os.Table()), result) << failing;
        EXPECT_EQ(os.calls.back().rfind("exit", 0) == 0, result == 1) << failing;
    }
}

TEST(PowerOffSequence, OlderPlatformsSkipTheTokenAndEveryCallRequestsAgain) {
    FakeWindows os;
    os.platformId = 1;
    EXPECT_EQ(ForcedPowerOff(os.Table()), 1);
    EXPECT_EQ(ForcedPowerOff(os.Table()), 1);
    EXPECT_EQ(os.calls, (Calls{"version 148", kRequest, "version 148", kRequest}));
}
