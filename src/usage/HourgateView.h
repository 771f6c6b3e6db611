// The view: all usage state, usage start, the usage tick and the status display.
#pragma once

#include <cstdint>
#include <string>

#include "app/Platform.h"
#include "usage/ExemptionList.h"
#include "usage/UsageRecord.h"

class CHourgateDoc;

constexpr unsigned USAGE_TIMER_ID = 1;
constexpr unsigned kUsageTimerMilliseconds = 30000;

class CHourgateView {
public:
    CHourgateView(HourgatePlatform& platform, CHourgateDoc& document)
        : m_platform(platform), m_document(document) {}

    // Usage start: loads the exemption list, starts the usage timer, identifies the
    // user, applies the hour rule once and carries over or resets today's minutes.
    void OnInitialUpdate();
    // Usage tick, run on every expiry of the usage timer whatever its identifier.
    void OnTimer(std::uintptr_t nIDEvent);
    // Draws the two status lines.
    void OnDraw(TextOutput& dc);

    CHourgateDoc& GetDocument() const { return m_document; }

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
    int m_nRecYear = 0;
    int m_nRecMonth = 0;
    int m_nRecDay = 0;
    int m_nRecHour = 0;
    int m_nRecMinute = 0;
    int m_nRecMinutes = 0;
    ExemptNameSlots m_szExemptNames = {};
    int m_nExemptCount = 0;
    // Reading of the sleep-stopping clock at m_timeLastCounted, so that time spent
    // asleep is not counted as use.
    std::int64_t m_nSteadyLastCountedMs = 0;

private:
    enum class Field { Year, Month, Day, Hour, Minute, Weekday };
    // One field of the local time of `time`, each from a conversion of its own,
    // with the fallback of a failed conversion (0, -1 for hour and minute, kNoWeekday).
    int LocalField(std::int64_t time, Field field);
    void RefreshIdentity();
    std::string RecordPath();
    // The date of the count, the latest hour and minute, and the minutes used.
    UsageRecord CurrentRecord() const;
    // Shows the hour notice and requests the power-off when a guest is outside
    // the allowed hours.
    void ApplyHourRule(int weekday);

    HourgatePlatform& m_platform;
    CHourgateDoc& m_document;
};
