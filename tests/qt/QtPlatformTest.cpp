// The Qt platform adapter against the real system: user database, /proc, the
// C library's time zones. (The view's timers are exercised by the whole-program tests.)
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "tray/Platform_qt.h"

TEST(QtPlatform, IdentityAndPlaceFromTheSystemNotFromTheEnvironment) {
    QtPlatform platform(true);
    ::setenv("USER", "forged", 1);
    EXPECT_EQ(platform.UserName(), std::string(::getpwuid(::getuid())->pw_name));
    EXPECT_EQ(platform.ExecutablePath(), std::filesystem::read_symlink("/proc/self/exe").string());
}

TEST(QtPlatform, LocalTimeFollowsTz) {
    QtPlatform platform(true);
    ::setenv("TZ", "Asia/Tokyo", 1);
    LocalTimeFields local;
    ASSERT_TRUE(platform.ToLocalTime(0, local));
    EXPECT_EQ(local.year * 10000 + local.month * 100 + local.day, 700001);  // 1970-01-01
    EXPECT_EQ(local.hour, 9);
    EXPECT_EQ(local.weekday, 4);  // a Thursday
}

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);  // no display needed
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
