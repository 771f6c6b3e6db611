#include "usage/HourgateView.h"

#include <algorithm>

#include "doc/HourgateDoc.h"
#include "usage/UsagePolicy.h"
#include "usage/UsageRecord.h"

int CHourgateView::LocalField(std::int64_t time, Field field) {
    LocalTimeFields local;
    if (!m_platform.ToLocalTime(time, local)) {
        if (field == Field::Weekday) return kNoWeekday;
        return (field == Field::Hour || field == Field::Minute) ? -1 : 0;
    }
    switch (field) {
        case Field::Year:
            return local.year + 1900;
        case Field::Month:
            return local.month + 1;
        case Field::Day:
            return local.day;
        case Field::Hour:
            return local.hour;
        case Field::Minute:
            return local.minute;
        case Field::Weekday:
            return local.weekday;
    }
    return 0;
}

void CHourgateView::RefreshIdentity() {
    m_strLoginName = QueryLoginName(m_platform);
    m_strCategory = ResolveUsageCategory(m_strLoginName, m_szExemptNames, m_nExemptCount,
                                         m_platform.LeadBytes());
}

std::string CHourgateView::RecordPath() {
    GetDocument().UpdateProgramDirectory();
    return UsageRecordPath(GetDocument().m_strProgramDirectory, m_platform.PathSeparator(),
                           m_strCategory);
}

UsageRecord CHourgateView::CurrentRecord() const {
    return {m_nYear, m_nMonth, m_nDay, m_nHour, m_nMinute, m_nMinutesUsed};
}

void CHourgateView::ApplyHourRule(int weekday) {
    const DayClass dayClass = ClassifyDay(weekday);
    if (HourRuleApplies(m_strCategory) && !IsWithinAllowedHours(dayClass, m_nHour)) {
        m_platform.ShowWarning(FormatHourNotice(dayClass, m_strLoginName));
        m_platform.ForcedPowerOff();
    }
}

void CHourgateView::OnInitialUpdate() {
    m_nExemptCount = 0;
    GetDocument().UpdateProgramDirectory();
    LoadExemptionList(GetDocument().m_strProgramDirectory, m_platform.PathSeparator(),
                      m_szExemptNames, m_nExemptCount);
    m_platform.BaseInitialUpdate();
    m_platform.SetTimer(USAGE_TIMER_ID, kUsageTimerMilliseconds);
    RefreshIdentity();
    const std::string path = RecordPath();

    m_timeStart = m_platform.Now();
    const std::int64_t steadyStart = m_platform.SleepStoppingMilliseconds();
    m_nYear = LocalField(m_timeStart, Field::Year);
    m_nMonth = LocalField(m_timeStart, Field::Month);
    m_nDay = LocalField(m_timeStart, Field::Day);
    m_nHour = LocalField(m_timeStart, Field::Hour);
    m_nMinute = LocalField(m_timeStart, Field::Minute);
    ApplyHourRule(LocalField(m_timeStart, Field::Weekday));

    if (const std::optional<UsageRecord> record = ReadUsageRecord(path)) {
        m_nRecYear = record->year;
        m_nRecMonth = record->month;
        m_nRecDay = record->day;
        m_nRecHour = record->hour;
        m_nRecMinute = record->minute;
        m_nRecMinutes = record->minutesUsed;
    } else {
        m_nRecYear = m_nYear;
        m_nRecMonth = m_nMonth;
        m_nRecDay = m_nDay;
        m_nRecHour = m_nHour;
        m_nRecMinute = m_nMinute;
        m_nRecMinutes = 0;
    }
    if (m_nRecYear != m_nYear || m_nRecMonth != m_nMonth || m_nRecDay != m_nDay) {
        m_nRecMinutes = 0;
    }
    m_nMinutesUsed = m_nRecMinutes;
    WriteUsageRecord(path, CurrentRecord());
    m_timeLastCounted = m_timeStart;
    m_nSteadyLastCountedMs = steadyStart;
}

void CHourgateView::OnTimer(std::uintptr_t /*nIDEvent: every expiry is a usage tick*/) {
    m_platform.KillTimer(USAGE_TIMER_ID);
    const std::int64_t now = m_platform.Now();
    const std::int64_t steadyNow = m_platform.SleepStoppingMilliseconds();
    const int weekday = LocalField(now, Field::Weekday);
    const int quota = DailyQuotaFor(ClassifyDay(weekday));

    // Neither sleep nor a clock set forward counts as use: take the shorter of the
    // wall-clock span and the span of the clock that stops during sleep. A clock set
    // back gives a negative wall-clock span, so nothing is counted until the clock
    // is a minute past the last accounted instant again.
    const std::int64_t wallSpan = now - m_timeLastCounted;
    // Rounded, so that timer jitter of a few milliseconds does not lose a minute.
    const std::int64_t steadySpan = (steadyNow - m_nSteadyLastCountedMs + 500) / 1000;
    m_spanElapsed = std::min(wallSpan, steadySpan);
    const int minutes = static_cast<int>(m_spanElapsed / 60);

    if (minutes >= 1) {
        m_timeLastCounted = now;
        m_nSteadyLastCountedMs = steadyNow;

        // A run that passes midnight starts the new day's count, so the record
        // and the display agree with what the next start would read.
        const int year = LocalField(now, Field::Year);
        const int month = LocalField(now, Field::Month);
        const int day = LocalField(now, Field::Day);
        const bool dateKnown = year != 0 && month != 0 && day != 0;
        if (dateKnown && (year != m_nYear || month != m_nMonth || day != m_nDay)) {
            m_nYear = year;
            m_nMonth = month;
            m_nDay = day;
            m_nMinutesUsed = minutes;
        } else {
            m_nMinutesUsed += minutes;
        }

        RefreshIdentity();
        m_nHour = LocalField(now, Field::Hour);
        m_nMinute = LocalField(now, Field::Minute);
        ApplyHourRule(weekday);

        WriteUsageRecord(RecordPath(), CurrentRecord());
        if (NeedsQuotaWarning(quota, m_nMinutesUsed)) {
            m_platform.ShowWarning(FormatQuotaWarning(m_strLoginName, quota - m_nMinutesUsed));
        }
        if (QuotaReached(quota, m_nMinutesUsed)) m_platform.ForcedPowerOff();
    }
    m_platform.Default();
    m_platform.SetTimer(USAGE_TIMER_ID, kUsageTimerMilliseconds);
}

void CHourgateView::OnDraw(TextOutput& dc) {
    m_strLoginName = QueryLoginName(m_platform);
    const int quota = DailyQuotaFor(ClassifyDay(LocalField(m_platform.Now(), Field::Weekday)));
    const int used = m_nMinutesUsed;
    dc.TextOut(0, 0,
               FormatText("今日 %s さんは、%0d時間 %02d分使用しました", m_strLoginName.c_str(),
                          used / 60, used % 60));
    const int remaining = quota - used;
    dc.TextOut(0, 30,
               FormatText("あと、%0d時間 %02d分使用出来ます", remaining / 60, remaining % 60));
}
