#include "FakePlatform.h"

#include "TempDir.h"
#include "doc/ProgramDirectory.h"
#include "usage/UsageRecord.h"

namespace {

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

}  // namespace

std::int64_t MakeTime(int year, int month, int day, int hour, int minute, int second) {
    return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

FakePlatform::FakePlatform(std::string programDirectory)
    : executablePath(programDirectory + NativeSeparator() + "hourgate.exe") {}

bool FakePlatform::ToLocalTime(std::int64_t time, LocalTimeFields& out) const {
    if (localTimeFails) return false;
    std::int64_t days = time / 86400;
    std::int64_t secs = time % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    // Inverse of DaysFromCivil.
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int doe = static_cast<int>(z - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1;
    const int m = mp < 10 ? mp + 3 : mp - 9;
    const int y = static_cast<int>(yoe + era * 400) + (m <= 2);
    out.year = y - 1900;
    out.month = m - 1;
    out.day = d;
    out.hour = static_cast<int>(secs / 3600);
    out.minute = static_cast<int>(secs % 3600 / 60);
    out.weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
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
    const std::optional<UsageRecord> record = ReadUsageRecord(watchedRecord);
    return record ? " [record " + std::to_string(record->minutesUsed) + "]" : " [no record]";
}

void FakePlatform::ShowWarning(const std::string& message) {
    events.push_back("notice: " + message + Suffix());
}

int FakePlatform::ForcedPowerOff() {
    events.push_back("power-off" + Suffix());
    return powerOffResult;
}

void FakePlatform::Advance(std::int64_t seconds) {
    now += seconds;
    steadyMs += seconds * 1000;
}

std::vector<std::string> Notices(const std::vector<std::string>& events) {
    std::vector<std::string> notices;
    for (const std::string& e : events) {
        if (e.rfind("notice: ", 0) == 0) notices.push_back(e);
    }
    return notices;
}
