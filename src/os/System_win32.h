// What the core asks of Windows, shared by the tray program's platform and the
// guard's per-user platforms: clocks, the system's time zone, user names, the
// module's path, the code page's lead bytes and the Application event log.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/Platform.h"

std::int64_t Win32Now();
// In the system's time zone, the one the task bar clock shows.
bool Win32LocalTime(std::int64_t time, LocalTimeFields& out);
// QueryUnbiasedInterruptTime: stops during sleep, ignores clock changes.
std::int64_t Win32SleepStoppingMilliseconds();
// GetTickCount64: runs on during sleep, ignores clock changes.
std::int64_t Win32BootTimeMilliseconds();
// The name of the account the process runs as; nothing when the system cannot give it.
std::optional<std::string> Win32UserName();
// The running module's full path; empty when it cannot be read.
std::string Win32ExecutablePath();
bool Win32IsLeadByte(unsigned char byte);

// The event IDs, one per kind of line, so that an administrator can filter
// on them. The message table (src/res/messages.mc) gives each the text "%1".
enum class EventKind : WORD {
    Info = 1,      // what happened: start, stop, mode, a count started or paused
    PowerOff = 2,  // a power-off request, with who and why
    Refused = 3,   // a request the guard refused
    Failure = 4,   // something failed, and the program goes on
    Fatal = 5,     // the service cannot start or run
};

// The Application event log under the source "Hourgate", registered at the
// first line; where not even the log takes a line, a debugger may still see it.
class EventLog {
public:
    EventLog() = default;
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;
    void Write(const std::string& line, EventKind kind = EventKind::Failure);

private:
    HANDLE m_hEventSource = nullptr;
};

// The queries both Windows platforms answer alike; each adds what it does with
// timers, notices and the power-off.
class Win32SystemPlatform : public HourgatePlatform {
public:
    std::int64_t Now() const override { return Win32Now(); }
    bool ToLocalTime(std::int64_t time, LocalTimeFields& out) const override {
        return Win32LocalTime(time, out);
    }
    std::int64_t SleepStoppingMilliseconds() const override {
        return Win32SleepStoppingMilliseconds();
    }
    std::int64_t BootTimeMilliseconds() const override { return Win32BootTimeMilliseconds(); }
    std::optional<std::string> UserName() const override { return Win32UserName(); }
    std::string ExecutablePath() const override { return Win32ExecutablePath(); }
    char PathSeparator() const override { return '\\'; }
    LeadByteTest LeadBytes() const override { return Win32IsLeadByte; }
    void WriteSystemLog(const std::string& line) override { m_log.Write(line); }
    void WriteSystemInfo(const std::string& line) override { m_log.Write(line, EventKind::Info); }
    void WriteSystemNotice(const std::string& line) override {
        m_log.Write(line, EventKind::PowerOff);
    }

private:
    EventLog m_log;
};
