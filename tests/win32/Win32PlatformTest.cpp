// The Win32 platform adapter against the real system calls, under Wine with the
// Japanese ANSI code page like the program itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <ctime>
#include <set>
#include <tuple>

#include "core/HourgateDoc.h"
#include "tray/HourgateView_win32.h"
#include "tray/Platform_win32.h"

TEST(Win32Platform, TellsTheLeadBytesOfCodePage932) {
    ASSERT_EQ(::GetACP(), 932u);
    const LeadByteTest isLead = Win32Platform(true).LeadBytes();
    ASSERT_NE(isLead, nullptr);
    const std::pair<unsigned char, bool> cases[] = {{0x95, true},  {0x81, true}, {0xE0, true},
                                                    {0x5C, false}, {'A', false}, {0xA6, false}};
    for (const auto& [byte, lead] : cases) EXPECT_EQ(isLead(byte), lead) << int(byte);
}

TEST(Win32Platform, FindsItsOwnDirectoryAndLoginName) {
    Win32Platform platform(true);
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    CHourgateDoc document(platform);
    document.UpdateProgramDirectory();
    EXPECT_EQ(document.m_strProgramDirectory, std::string(path, std::strrchr(path, '\\')));

    EXPECT_FALSE(platform.UserName().value_or("").empty());
}

// The usage timer set through the platform reaches the view's OnTimer, which
// ends every tick by handing the message on (Default).
TEST(Win32Platform, DeliversTheUsageTimerToTheView) {
    struct CountingPlatform : Win32Platform {
        CountingPlatform() : Win32Platform(true) {}
        void Default() override {
            ++ticks;
            Win32Platform::Default();
        }
        int ticks = 0;
    } platform;
    CHourgateDoc document(platform);
    CViewWindow window(platform, document);
    ASSERT_TRUE(window.Create(HWND_MESSAGE, 1));
    platform.SetTimer(USAGE_TIMER_ID, 10);
    MSG message;
    const ULONGLONG end = ::GetTickCount64() + 30000;  // only against a hang
    while (platform.ticks == 0 && ::GetTickCount64() < end) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
    }
    EXPECT_EQ(platform.ticks, 1) << "one tick, and the view set its timer again for 30 s";
}

// Hours, date and weekday come from the system's zone, as the task bar clock shows
// them, whatever TZ a user sets for themselves (which the run-time's clock follows);
// a line can be logged.
TEST(Win32Platform, ClocksAndLog) {
    Win32Platform platform(true);
    const __time64_t now = platform.Now();
    SYSTEMTIME clock{};
    ::GetLocalTime(&clock);
    std::set<int> runtimeHours;
    for (const char* tz : {"TZ=HGT-5", "TZ=HGT+7"}) {
        ::_putenv(tz), ::_tzset();
        runtimeHours.insert(::_localtime64(&now)->tm_hour);
        LocalTimeFields local;
        ASSERT_TRUE(platform.ToLocalTime(now, local));
        EXPECT_EQ(std::tie(local.day, local.hour, local.weekday),
                  std::tie(clock.wDay, clock.wHour, clock.wDayOfWeek));
    }
    EXPECT_EQ(runtimeHours.size(), 2u);
    platform.WriteSystemLog("hourgate adapter test: a line for the Application event log");
}

// Every event ID the programs report has a message in the table that the
// installer registers, and Event Viewer shows it as the line itself.
TEST(Win32Platform, EveryEventIdHasItsMessage) {
    const char* line = "power-off for \x93\x63\x92\x86 (guest): 100% of it";
    for (EventKind kind : {EventKind::Info, EventKind::PowerOff, EventKind::Refused,
                           EventKind::Failure, EventKind::Fatal}) {
        char text[256] = {};
        DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(line)};
        const DWORD length = ::FormatMessageA(
            FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr,
            static_cast<DWORD>(kind), 0, text, sizeof text, reinterpret_cast<va_list*>(args));
        EXPECT_EQ(std::string(text, length), line) << static_cast<int>(kind);
    }
}
