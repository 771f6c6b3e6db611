// The view: all usage state, usage start, the usage tick and the status display.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/ExemptionList.h"
#include "core/FailureLog.h"
#include "core/Limits.h"
#include "core/Platform.h"
#include "core/UsageRecord.h"

class CHourgateDoc;

// A count as an administrator sees it.
struct UsageStanding {
    std::string user;
    std::string category;
    RecordDate day;
    DayClass dayClass = DayClass::Weekday;
    int hour = 0;  // of now, local time; -1 when unknown
    int minute = 0;
    int used = 0;
    int granted = 0;  // extra minutes given for the day
    int quota = 0;    // the limits' quota and the grant
    CategoryLimits limits;
};

// Draws the window's two status lines, one under the other: the view's own, or
// in guarded mode the guard's, which its view formatted.
void DrawStatusLines(TextOutput& dc, const std::string& used, const std::string& remaining);

constexpr unsigned USAGE_TIMER_ID = 1;
constexpr unsigned kUsageTimerMilliseconds = 30000;
// How far the wall clock and the boot-time clock may disagree over one tick's
// advance before the difference counts as the clock being set.
constexpr std::int64_t kClockAgreementSeconds = 120;

class CHourgateView {
public:
    CHourgateView(HourgatePlatform& platform, CHourgateDoc& document)
        : m_platform(platform),
          m_document(document),
          m_failures([&platform](const std::string& line) { platform.WriteSystemLog(line); }) {}

    // Usage start: loads the exemption list, starts the usage timer, identifies the
    // user, applies the hour rule once and carries over or resets today's minutes.
    void OnInitialUpdate();
    // Usage tick, run on every expiry of the usage timer whatever its identifier.
    void OnTimer(std::uintptr_t nIDEvent);
    // Draws the two status lines.
    void OnDraw(TextOutput& dc);

    CHourgateDoc& GetDocument() const { return m_document; }

    // Today's minutes as the window shows them and the rules enforce them.
    int MinutesUsed() const { return m_nMinutesUsed; }
    UsageStanding Standing();
    // Reads the record and today's grant again, after an administrator changed them.
    void Refresh();
    // Reads the exemption list and the limits file again; a category they
    // change counts from the next tick on.
    void ReloadConfiguration();
    const Limits& LimitsInForce() const { return m_limits; }

private:
    enum class Field { Year, Month, Day, Hour, Minute, Weekday };
    // One field of the local time of `time`, each from a conversion of its own,
    // with the fallback of a failed conversion (0, -1 for hour and minute, kNoWeekday).
    int LocalField(std::int64_t time, Field field);
    // A failed lookup keeps the name already known: a listed user must not turn
    // into a guest (and overwrite the guests' record) because the system hiccups.
    void RefreshLoginName();
    void RefreshIdentity();
    std::string RecordPath();
    // The date of the count, the latest hour and minute, and the minutes used.
    UsageRecord CurrentRecord() const;
    // Shows the hour notice and requests the power-off when a guest is outside
    // the allowed hours.
    void ApplyHourRule(int weekday);
    // Tells the log who and why, then asks the platform for the power-off (or
    // the log-off, as the limits say).
    void RequestPowerOff(const std::string& reason);
    CategoryLimits CategoryLimitsInForce() const;
    // The quota of the day `weekday` falls in, with today's grant.
    int QuotaFor(int weekday) const;
    void LoadExemptionListAndLimits();
    void ReadGrant();
    // Takes the minutes of one accounting tick as pending; a new date starts a
    // new count only when real time, not a clock change, brought it.
    void CountMinutes(int minutes, std::int64_t now, std::int64_t bootNow);
    // Adds the pending minutes to the record and takes the sum as the count.
    // A record that cannot be updated keeps the minutes pending, and the count
    // is what it holds (or last held) plus them: never lower, never later.
    void AddPendingToRecord(const std::string& path);

    HourgatePlatform& m_platform;
    CHourgateDoc& m_document;
    FailureLog m_failures;

    std::string m_strLoginName;
    std::string m_strCategory;
    std::int64_t m_timeStart = 0;
    std::int64_t m_timeLastCounted = 0;
    std::int64_t m_spanElapsed = 0;
    int m_nYear = 0;
    int m_nMonth = 0;
    int m_nDay = 0;
    int m_nHour = 0;
    int m_nMinute = 0;
    int m_nMinutesUsed = 0;
    // The record's count as last read or written, and the minutes counted
    // since that have not reached it yet.
    int m_nRecMinutes = 0;
    int m_nPendingMinutes = 0;
    // The date the count left by a clock change, until the record has followed.
    std::optional<RecordDate> m_carriedFrom;
    Limits m_limits;
    bool m_bLimitsFile = false;  // a limits file is in force
    int m_nGrantedMinutes = 0;
    ExemptNameSlots m_szExemptNames = {};
    int m_nExemptCount = 0;
    // The sleep-stopping and boot-time clocks at m_timeLastCounted: minutes in use
    // are measured by the first; the second tells a new day from a clock change.
    std::int64_t m_nSteadyLastCountedMs = 0;
    std::int64_t m_nBootLastCountedMs = 0;
    // Set once usage start has taken the instants the ticks measure from.
    bool m_bAnchored = false;
};
