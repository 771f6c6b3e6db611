#include "FakePlatform.h"

#include <ctime>

#include "TempDir.h"
#include "core/ProgramDirectory.h"
#include "core/UsageRecord.h"

// The fake's local time is UTC (plus localOffset), so the C library's UTC
// conversions serve both ways.
std::int64_t MakeTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
#ifdef _WIN32
    return ::_mkgmtime64(&tm);
#else
    return ::timegm(&tm);
#endif
}

FakePlatform::FakePlatform(std::string programDirectory)
    : executablePath(programDirectory + NativeSeparator() + "hourgate.exe") {}

bool FakePlatform::ToLocalTime(std::int64_t time, LocalTimeFields& out) const {
    std::tm tm{};
#ifdef _WIN32
    const __time64_t t = time + localOffset;
    if (::_gmtime64_s(&tm, &t) != 0) return false;
#else
    const time_t t = static_cast<time_t>(time + localOffset);
    if (!::gmtime_r(&t, &tm)) return false;
#endif
    out = LocalTimeFields::From(tm);
    return true;
}

char FakePlatform::PathSeparator() const { return NativeSeparator(); }

LeadByteTest FakePlatform::LeadBytes() const { return IsCp932LeadByte; }

void FakePlatform::SetTimer(unsigned id, unsigned milliseconds) {
    events.push_back("set-timer " + std::to_string(id) + " " + std::to_string(milliseconds));
}

void FakePlatform::KillTimer(unsigned id) { events.push_back("kill-timer " + std::to_string(id)); }

std::string FakePlatform::Suffix() const {
    if (watchedRecord.empty()) return "";
    const RecordFile file = ReadUsageRecord(watchedRecord);
    return file.state == FileState::Read
               ? " [record " + std::to_string(file.record.minutesUsed) + "]"
               : " [no record]";
}

void FakePlatform::ShowWarning(const std::string& message) {
    events.push_back("notice: " + message + Suffix());
}

int FakePlatform::ForcedPowerOff() {
    events.push_back("power-off" + Suffix());
    return 1;
}

int FakePlatform::ForcedLogOff() {
    events.push_back("log-off" + Suffix());
    return 1;
}

void FakePlatform::Advance(std::int64_t seconds) {
    now += seconds;
    steadyMs += seconds * 1000;
    bootMs += seconds * 1000;
}
