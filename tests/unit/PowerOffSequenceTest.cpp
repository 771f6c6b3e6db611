#include <gtest/gtest.h>

#include <cstring>

#include "notify/PowerOffSequence.h"

namespace {

// A table whose calls are logged; each may be told to fail.
struct FakeWindows {
    std::uint32_t platformId = kPlatformWin32Nt;
    bool versionFails = false, tokenFails = false, lookupFails = false, adjustFails = false;
    int exitResult = 1;
    std::vector<std::string> calls;

    PowerOffApi Table() {
        PowerOffApi api;
        api.GetVersionExA = [this](HgOsVersionInfoA* v) {
            calls.push_back("GetVersionExA size=" + std::to_string(v->dwOSVersionInfoSize));
            v->dwPlatformId = platformId;
            return versionFails ? 0 : 1;
        };
        api.GetCurrentProcess = [this] {
            calls.push_back("GetCurrentProcess");
            return reinterpret_cast<void*>(-1);
        };
        api.OpenProcessToken = [this](void*, std::uint32_t access, void** token) {
            calls.push_back("OpenProcessToken access=" + std::to_string(access));
            *token = reinterpret_cast<void*>(0x44);
            return tokenFails ? 0 : 1;
        };
        api.LookupPrivilegeValueA = [this](const char* system, const char* name, HgLuid* luid) {
            calls.push_back(std::string("LookupPrivilegeValueA ") + (system ? system : "local") +
                            " " + name);
            luid->LowPart = 19;
            return lookupFails ? 0 : 1;
        };
        api.AdjustTokenPrivileges = [this](void*, int disableAll, HgTokenPrivileges* state,
                                           std::uint32_t length, HgTokenPrivileges* previous,
                                           std::uint32_t* returned) {
            calls.push_back("AdjustTokenPrivileges disableAll=" + std::to_string(disableAll) +
                            " count=" + std::to_string(state->PrivilegeCount) +
                            " luid=" + std::to_string(state->Luid.LowPart) +
                            " attributes=" + std::to_string(state->Attributes) +
                            " length=" + std::to_string(length) +
                            " buffers=" + (previous && returned ? "yes" : "no"));
            return adjustFails ? 0 : 1;
        };
        api.CloseHandle = [this](void*) {
            calls.push_back("CloseHandle");
            return 1;
        };
        api.ExitWindowsEx = [this](unsigned flags, std::uint32_t reason) {
            calls.push_back("ExitWindowsEx flags=" + std::to_string(flags) +
                            " reason=" + std::to_string(reason));
            return exitResult;
        };
        return api;
    }
};

const std::string kRequest = "ExitWindowsEx flags=13 reason=4294967295";

}  // namespace

TEST(PowerOffSequence, EnablesThePrivilegeThenRequestsThePowerOff) {
    FakeWindows os;
    EXPECT_EQ(ForcedPowerOff(os.Table()), 1);
    EXPECT_EQ(os.calls, (std::vector<std::string>{
                            "GetVersionExA size=148",
                            "GetCurrentProcess",
                            "OpenProcessToken access=40",
                            "LookupPrivilegeValueA local SeShutdownPrivilege",
                            "AdjustTokenPrivileges disableAll=0 count=1 luid=19 attributes=2 "
                            "length=16 buffers=yes",
                            "CloseHandle",
                            kRequest,
                        }));
}

TEST(PowerOffSequence, EachFailingStepIssuesNoRequest) {
    const struct {
        const char* what;
        void (*breakIt)(FakeWindows&);
        std::size_t callsMade;
    } cases[] = {
        {"version", [](FakeWindows& os) { os.versionFails = true; }, 1},
        {"token", [](FakeWindows& os) { os.tokenFails = true; }, 3},
        {"lookup", [](FakeWindows& os) { os.lookupFails = true; }, 5},
        {"adjust", [](FakeWindows& os) { os.adjustFails = true; }, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeWindows os;
        c.breakIt(os);
        EXPECT_EQ(ForcedPowerOff(os.Table()), 0);
        EXPECT_EQ(os.calls.size(), c.callsMade);
        for (const std::string& call : os.calls) EXPECT_NE(call, kRequest);
    }
}

TEST(PowerOffSequence, OlderPlatformsSkipTheTokenAndFailedRequestsStillCount) {
    FakeWindows os;
    os.platformId = 1;
    os.exitResult = 0;
    EXPECT_EQ(ForcedPowerOff(os.Table()), 1);
    EXPECT_EQ(os.calls, (std::vector<std::string>{"GetVersionExA size=148", kRequest}));
    EXPECT_EQ(ForcedPowerOff(os.Table()), 1) << "a second call issues a second request";
    EXPECT_EQ(os.calls.size(), 4u);
}
