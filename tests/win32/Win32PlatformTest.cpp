// The Win32 platform adapter against the real system calls (run under Wine with
// the Japanese ANSI code page, like the program itself).
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "doc/HourgateDoc.h"
#include "notify/DryRun.h"
#include "notify/ForcedPowerOff_win32.h"
#include "app/Platform_win32.h"

namespace {

TEST(Win32Platform, TellsDoubleByteLeadBytesOfTheAnsiCodePage) {
    ASSERT_EQ(::GetACP(), 932u) << "the tests expect the Japanese code page";
    Win32Platform platform(true);
    const LeadByteTest isLead = platform.LeadBytes();
    ASSERT_NE(isLead, nullptr);
    struct Case {
        unsigned char byte;
        bool lead;
    };
    const Case cases[] = {{0x95, true},  {0x83, true}, {0x81, true},  {0xE0, true},
                          {0x5C, false}, {'A', false}, {0xA6, false},  // half-width kana
                          {0x7F, false}, {0xFD, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(isLead(c.byte), c.lead) << "byte 0x" << std::hex << int(c.byte);
    }
}

TEST(Win32Platform, FindsItsOwnDirectory) {
    Win32Platform platform(true);
    char expected[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, expected, MAX_PATH);
    EXPECT_EQ(platform.ExecutablePath(), expected);

    CHourgateDoc document(platform);
    document.UpdateProgramDirectory();
    const std::string& directory = document.m_strProgramDirectory;
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '\\');
    EXPECT_EQ(std::string(expected).rfind('\\'), directory.size());
    const DWORD attributes = ::GetFileAttributesA(directory.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Win32Platform, GivesTheLoginName) {
    Win32Platform platform(true);
    const std::optional<std::string> name = platform.UserName();
    ASSERT_TRUE(name.has_value());
    EXPECT_FALSE(name->empty());
    EXPECT_LE(name->size(), 38u);
}

// The whole-program tests choose the local time through TZ; the run-time
// library must follow it.
TEST(Win32Platform, ConvertsToLocalTimeInTheZoneOfTz) {
    struct Case {
        const char* tz;
        std::int64_t time;
        LocalTimeFields expected;
    };
    const Case cases[] = {
        {"HGT-9", 0, {70, 0, 1, 9, 0, 4}},                   // Thursday 1970-01-01 09:00
        {"HGT+5", 0, {69, 11, 31, 19, 0, 3}},                // Wednesday 1969-12-31 19:00
        {"HGT0", 1796601600, {126, 11, 7, 0, 0, 1}},         // Monday 2026-12-07 00:00
        {"HGT-9", 1796601600 - 60, {126, 11, 7, 8, 59, 1}},  // Monday 08:59
    };
    Win32Platform platform(true);
    for (const Case& c : cases) {
        ASSERT_EQ(::_putenv_s("TZ", c.tz), 0);
        ::_tzset();
        LocalTimeFields local;
        ASSERT_TRUE(platform.ToLocalTime(c.time, local)) << c.tz;
        EXPECT_EQ(local.year, c.expected.year) << c.tz;
        EXPECT_EQ(local.month, c.expected.month) << c.tz;
        EXPECT_EQ(local.day, c.expected.day) << c.tz;
        EXPECT_EQ(local.hour, c.expected.hour) << c.tz;
        EXPECT_EQ(local.minute, c.expected.minute) << c.tz;
        EXPECT_EQ(local.weekday, c.expected.weekday) << c.tz;
    }
    ::_putenv_s("TZ", "");
    ::_tzset();
}

TEST(Win32Platform, ReadsTheClocks) {
    Win32Platform platform(true);
    const std::int64_t before = ::_time64(nullptr);
    const std::int64_t now = platform.Now();
    EXPECT_GE(now, before);
    EXPECT_LE(now, before + 1);

    const std::int64_t start = platform.SleepStoppingMilliseconds();
    ::Sleep(300);
    const std::int64_t elapsed = platform.SleepStoppingMilliseconds() - start;
    EXPECT_GE(elapsed, 250);
    EXPECT_LT(elapsed, 3000);
}

// The usage timer lives on the view's window and arrives there as WM_TIMER.
TEST(Win32Platform, RunsTheTimerOnTheAttachedWindow) {
    const HWND window = ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    Win32Platform platform(true);
    platform.AttachView(window);
    platform.SetTimer(1, 50);
    MSG message{};
    bool fired = false;
    const ULONGLONG end = ::GetTickCount64() + 2000;
    while (!fired && ::GetTickCount64() < end) {
        if (::PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            fired = message.wParam == 1;
        } else {
            ::Sleep(10);
        }
    }
    EXPECT_TRUE(fired);
    platform.KillTimer(1);
    ::Sleep(150);
    EXPECT_FALSE(::PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE));
    ::DestroyWindow(window);
}

// Standard error of this process, captured into a file while `action` runs.
template <typename Action>
std::string CaptureStandardError(Action action) {
    char directory[MAX_PATH];
    char path[MAX_PATH];
    ::GetTempPathA(MAX_PATH, directory);
    ::GetTempFileNameA(directory, "hg", 0, path);
    std::fflush(stderr);
    const int saved = ::_dup(2);
    std::FILE* file = std::fopen(path, "w");
    ::_dup2(::_fileno(file), 2);
    action();
    std::fflush(stderr);
    ::_dup2(saved, 2);
    ::_close(saved);
    std::fclose(file);
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    in.close();
    ::DeleteFileA(path);
    return text.str();
}

// With --dry-run every preparatory step runs for real; only the request itself
// becomes a line on standard error.
TEST(Win32ForcedPowerOff, DryRunPreparesForRealAndReportsInsteadOfRequesting) {
    int result = -1;
    const std::string err = CaptureStandardError([&] { result = ForcedPowerOff(true); });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(err, std::string(kDryRunLine) + "\n");

    Win32Platform platform(true);
    const std::string twice = CaptureStandardError([&] {
        EXPECT_EQ(platform.ForcedPowerOff(), 1);
        EXPECT_EQ(platform.ForcedPowerOff(), 1);
    });
    EXPECT_EQ(twice, std::string(kDryRunLine) + "\n" + kDryRunLine + "\n");
}

}  // namespace
