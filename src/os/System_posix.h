// What the core asks of a POSIX system, shared by the tray program's platform and
// the guard's per-user platforms: clocks, local time, user names, own path.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/Platform.h"

std::int64_t PosixNow();
// In the process's time zone: TZ when set, else /etc/localtime.
bool PosixLocalTime(std::int64_t time, LocalTimeFields& out);
// CLOCK_MONOTONIC: stops during suspend, ignores clock changes.
std::int64_t PosixSleepStoppingMilliseconds();
// CLOCK_BOOTTIME: runs on during suspend, ignores clock changes.
std::int64_t PosixBootTimeMilliseconds();
// The user database's name for `uid`; nothing when there is none or it does not
// fit the login-name limit.
std::optional<std::string> PosixUserName(uid_t uid);
// The running executable, links resolved; empty when it cannot be read.
std::string PosixExecutablePath();
// The package's layout where the package installed the program (/usr/bin,
// /usr/sbin: the exemption list and limits in /etc/hourgate, the records in
// /var/lib/hourgate, the print module in /usr/lib/hourgate, as the build
// says); beside the executable anywhere else.
std::string PosixConfigurationDirectory();
std::string PosixStateDirectory();
std::string PosixModuleDirectory();

// The queries both Linux platforms answer alike; each adds who the user is and
// what it does with timers, notices and the power-off.
class PosixPlatform : public HourgatePlatform {
public:
    std::int64_t Now() const override { return PosixNow(); }
    bool ToLocalTime(std::int64_t time, LocalTimeFields& out) const override {
        return PosixLocalTime(time, out);
    }
    std::int64_t SleepStoppingMilliseconds() const override {
        return PosixSleepStoppingMilliseconds();
    }
    std::int64_t BootTimeMilliseconds() const override { return PosixBootTimeMilliseconds(); }
    std::string ExecutablePath() const override { return PosixExecutablePath(); }
    std::string ConfigurationDirectory() const override { return PosixConfigurationDirectory(); }
    std::string StateDirectory() const override { return PosixStateDirectory(); }
    char PathSeparator() const override { return '/'; }
    LeadByteTest LeadBytes() const override { return nullptr; }
};
