// The narrow interface through which the portable core reaches its platform.
// A shell (Win32 or Qt) implements it; unit tests implement it with a recording fake.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

// Tells whether a byte starts a double-byte character of the narrow code page.
using LeadByteTest = bool (*)(unsigned char byte);

// Broken-down local time, the fields the program uses of `_localtime64`.
struct LocalTimeFields {
    int year = 0;     // years since 1900
    int month = 0;    // 0-11
    int day = 0;      // day of the month, 1-31
    int hour = 0;     // 0-23
    int minute = 0;   // 0-59
    int weekday = 0;  // 0 = Sunday ... 6 = Saturday

    static LocalTimeFields From(const std::tm& tm) {
        return {tm.tm_year, tm.tm_mon, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_wday};
    }
};

// Something text can be drawn on: the window's client area or a printer page.
class TextOutput {
public:
    virtual ~TextOutput() = default;
    virtual void TextOut(int x, int y, const std::string& text) = 0;
};

class HourgatePlatform {
public:
    virtual ~HourgatePlatform() = default;

    // Wall-clock calendar time in seconds since 1970-01-01 00:00 UTC.
    virtual std::int64_t Now() const = 0;
    // Converts a calendar time to local time; false when the conversion fails.
    virtual bool ToLocalTime(std::int64_t time, LocalTimeFields& out) const = 0;
    // Milliseconds of a clock that does not advance while the machine sleeps
    // and is not moved when the wall clock is set.
    virtual std::int64_t SleepStoppingMilliseconds() const = 0;
    // Milliseconds of a clock that does advance during sleep but is not moved
    // when the wall clock is set: it tells real time from a clock change.
    virtual std::int64_t BootTimeMilliseconds() const = 0;

    // Login name of the user the process runs as, in the platform's narrow code page;
    // nothing when the system cannot give it or it does not fit in `kMaxLoginNameBytes`.
    virtual std::optional<std::string> UserName() const = 0;
    // Full path of the running executable.
    virtual std::string ExecutablePath() const = 0;
    // Where the administrator's files (the exemption list, the limits) and the
    // program's own (records, grants, history) are: beside the executable,
    // unless a package put the program where its files may not be.
    virtual std::string ConfigurationDirectory() const;
    virtual std::string StateDirectory() const;
    // Directory separator of the platform: '\\' on Windows, '/' elsewhere.
    virtual char PathSeparator() const = 0;
    // The lead-byte test of the narrow code page; null where every character is a
    // single byte or the encoding never reuses ASCII bytes inside a character (UTF-8).
    virtual LeadByteTest LeadBytes() const = 0;

    // The view's periodic timer: each expiry arrives as `CHourgateView::OnTimer`.
    virtual void SetTimer(unsigned id, unsigned milliseconds) = 0;
    virtual void KillTimer(unsigned id) = 0;
    // The framework's own part of the view's initial update (schedules a repaint).
    virtual void BaseInitialUpdate() = 0;
    // Hands the current message to the default window procedure.
    virtual void Default() = 0;

    // Shows the self-closing warning notice modally; returns once it has closed.
    virtual void ShowWarning(const std::string& message) = 0;
    // Requests a forced power-off without waiting for it: 1 when the request was
    // issued, 0 when a preparatory step failed.
    virtual int ForcedPowerOff() = 0;
    // Ends the user's session instead (the limits file's "action = logoff"),
    // without waiting for it: 1 when the request was issued, 0 when it failed.
    virtual int ForcedLogOff() = 0;

    // One line for the administrator in the system's log (the journal or syslog;
    // the Application event log on Windows, source "Hourgate").
    virtual void WriteSystemLog(const std::string& line) = 0;
    // A line that reports what happened rather than a failure (a count started
    // or paused), at the log's information level; where a platform has no such
    // level it is a line like the others.
    virtual void WriteSystemInfo(const std::string& line) { WriteSystemLog(line); }
    // A line an administrator must see among few others (each power-off
    // request and why), at the log's notice level where it has one.
    virtual void WriteSystemNotice(const std::string& line) { WriteSystemLog(line); }
};
