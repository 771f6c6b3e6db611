// A platform for the core that records every effect in order and keeps a
// hand-set clock. Local time is the clock's own reading taken as UTC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Platform.h"

// Seconds since 1970 of a date and time (read back as local time by the fake).
std::int64_t MakeTime(int year, int month, int day, int hour, int minute, int second = 0);

class FakePlatform : public HourgatePlatform {
public:
    explicit FakePlatform(std::string programDirectory);

    std::int64_t Now() const override { return now; }
    bool ToLocalTime(std::int64_t time, LocalTimeFields& out) const override;
    std::int64_t SleepStoppingMilliseconds() const override { return steadyMs; }
    std::int64_t BootTimeMilliseconds() const override { return bootMs; }
    std::optional<std::string> UserName() const override { return userName; }
    std::string ExecutablePath() const override { return executablePath; }
    char PathSeparator() const override;
    LeadByteTest LeadBytes() const override;
    void SetTimer(unsigned id, unsigned milliseconds) override;
    void KillTimer(unsigned id) override;
    void BaseInitialUpdate() override { events.push_back("base-initial-update"); }
    void Default() override { events.push_back("default"); }
    void ShowWarning(const std::string& message) override;
    int ForcedPowerOff() override;
    int ForcedLogOff() override;
    void WriteSystemLog(const std::string& line) override { events.push_back("log: " + line); }
    void WriteSystemInfo(const std::string& line) override { events.push_back("info: " + line); }
    void WriteSystemNotice(const std::string& line) override { events.push_back("said: " + line); }

    // Moves both clocks forward, as ordinary use does.
    void Advance(std::int64_t seconds);

    std::int64_t now = 0;
    std::int64_t steadyMs = 1000000;
    std::int64_t bootMs = 5000000;
    std::int64_t localOffset = 0;  // seconds local time is ahead of the clock
    std::optional<std::string> userName = std::string("taro");
    std::string executablePath;
    // When set, notices and power-off requests also log the minutes the record
    // file holds at that moment, which shows where the rewrite happened.
    std::string watchedRecord;
    std::vector<std::string> events;

private:
    std::string Suffix() const;
};
