// The Qt platform adapter against the real system: user database, /proc, the
// C library's time zones, and the view widget's timers in Qt's event loop.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <cstdlib>
#include <filesystem>

#include "app/Platform_qt.h"
#include "doc/HourgateDoc.h"
#include "usage/HourgateView.h"
#include "usage/HourgateView_qt.h"

TEST(QtPlatform, IdentityAndPlaceFromTheSystemNotFromTheEnvironment) {
    QtPlatform platform(true);
    ::setenv("USER", "forged", 1);
    EXPECT_EQ(platform.UserName(), std::string(::getpwuid(::getuid())->pw_name));
    EXPECT_EQ(platform.ExecutablePath(), std::filesystem::read_symlink("/proc/self/exe").string());
}

TEST(QtPlatform, LocalTimeFollowsTzAndTheSleepStoppingClockAdvances) {
    QtPlatform platform(true);
    ::setenv("TZ", "Asia/Tokyo", 1);
    LocalTimeFields local;
    ASSERT_TRUE(platform.ToLocalTime(0, local));
    EXPECT_EQ(local.year * 10000 + local.month * 100 + local.day, 700001);  // 1970-01-01
    EXPECT_EQ(local.hour, 9);
    EXPECT_EQ(local.weekday, 4);  // a Thursday
    const std::int64_t before = platform.SleepStoppingMilliseconds();
    ::usleep(20000);
    EXPECT_GE(platform.SleepStoppingMilliseconds() - before, 19);
}

TEST(QtPlatform, TheViewsTimerRunsTheTickUntilItIsKilled) {
    QtPlatform platform(true);
    CHourgateDoc document(platform);
    CHourgateView view(platform, document);
    CHourgateViewWnd window;
    window.SetView(&view);
    platform.AttachView(&window);
    platform.SetTimer(USAGE_TIMER_ID, 10);
    QElapsedTimer elapsed;
    elapsed.start();
    while (view.m_spanElapsed == 0 && elapsed.elapsed() < 5000) QApplication::processEvents();
    EXPECT_NE(view.m_spanElapsed, 0) << "the timer's expiry reached OnTimer";
    view.m_spanElapsed = 0;
    platform.SetTimer(USAGE_TIMER_ID, 10);
    platform.KillTimer(USAGE_TIMER_ID);
    elapsed.restart();
    while (elapsed.elapsed() < 200) QApplication::processEvents();
    EXPECT_EQ(view.m_spanElapsed, 0);
}

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
