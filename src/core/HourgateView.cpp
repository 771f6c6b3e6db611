#include "core/HourgateView.h"

#include <algorithm>
#include <tuple>

#include "core/HourgateDoc.h"
#include "core/ProgramDirectory.h"
#include "core/UsagePolicy.h"

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

void CHourgateView::RefreshLoginName() {
    if (std::optional<std::string> name = LookupLoginName(m_platform)) {
        m_strLoginName = *name;
    } else if (m_strLoginName.empty()) {
        m_strLoginName = kUnknownLoginName;
    }
}

void CHourgateView::RefreshIdentity() {
    RefreshLoginName();
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

void CHourgateView::WriteRecord(const std::string& path) {
    const std::string why = WriteUsageRecord(path, CurrentRecord());
    if (why.empty()) {
        m_failures.Succeeded("cannot write " + path);
    } else {
        m_failures.Failed("cannot write " + path, why);
    }
}

bool CHourgateView::MergePendingRecord(const std::string& path) {
    const RecordFile file = ReadUsageRecord(path);
    if (file.state == FileState::Unreadable) {
        m_failures.Failed("cannot read " + path, file.why);
        return false;
    }
    m_failures.Succeeded("cannot read " + path);
    const UsageRecord& r = file.record;
    if (file.state == FileState::Read && r.year == m_nYear && r.month == m_nMonth &&
        r.day == m_nDay) {
        m_nMinutesUsed = std::max(m_nMinutesUsed, r.minutesUsed);
    }
    m_bRecordPending = false;
    return true;
}

void CHourgateView::OnInitialUpdate() {
    m_nExemptCount = 0;
    GetDocument().UpdateProgramDirectory();
    const std::string listPath = JoinPath(GetDocument().m_strProgramDirectory,
                                          m_platform.PathSeparator(), kExemptionListFileName);
    const std::string listProblem =
        LoadExemptionList(GetDocument().m_strProgramDirectory, m_platform.PathSeparator(),
                          m_szExemptNames, m_nExemptCount);
    if (listProblem.empty()) {
        m_failures.Succeeded("cannot read " + listPath);
    } else {
        m_failures.Failed("cannot read " + listPath, listProblem);
    }
    m_platform.BaseInitialUpdate();
    m_platform.SetTimer(USAGE_TIMER_ID, kUsageTimerMilliseconds);
    const std::string previousCategory = m_strCategory;
    const UsageRecord known = CurrentRecord();
    RefreshIdentity();
    const std::string path = RecordPath();

    m_timeStart = m_platform.Now();
    m_nYear = LocalField(m_timeStart, Field::Year);
    m_nMonth = LocalField(m_timeStart, Field::Month);
    m_nDay = LocalField(m_timeStart, Field::Day);
    m_nHour = LocalField(m_timeStart, Field::Hour);
    m_nMinute = LocalField(m_timeStart, Field::Minute);
    ApplyHourRule(LocalField(m_timeStart, Field::Weekday));

    const RecordFile file = ReadUsageRecord(path);
    m_bRecordPending = file.state == FileState::Unreadable;
    if (m_bRecordPending) m_failures.Failed("cannot read " + path, file.why);
    if (file.state == FileState::Read) {
        m_nRecYear = file.record.year;
        m_nRecMonth = file.record.month;
        m_nRecDay = file.record.day;
        m_nRecMinutes = file.record.minutesUsed;
    } else {
        m_nRecYear = m_nYear;
        m_nRecMonth = m_nMonth;
        m_nRecDay = m_nDay;
        m_nRecMinutes = 0;
    }
    if (m_nRecYear != m_nYear || m_nRecMonth != m_nMonth || m_nRecDay != m_nDay) {
        m_nRecMinutes = 0;
    }
    m_nMinutesUsed = m_nRecMinutes;
    // Running usage start again (a new or opened document) keeps what this run
    // already counted today, and the time in use since the last counted minute.
    const bool sameCount = m_bAnchored && previousCategory == m_strCategory &&
                           known.year == m_nYear && known.month == m_nMonth && known.day == m_nDay;
    if (sameCount) m_nMinutesUsed = std::max(m_nMinutesUsed, known.minutesUsed);
    // A held record is not overwritten: that could lower the count it holds.
    if (!m_bRecordPending) WriteRecord(path);
    if (!m_bAnchored) {
        m_timeLastCounted = m_timeStart;
        m_nSteadyLastCountedMs = m_platform.SleepStoppingMilliseconds();
        m_nBootLastCountedMs = m_platform.BootTimeMilliseconds();
        m_bAnchored = true;
    }
}

void CHourgateView::CountMinutes(int minutes, std::int64_t now, std::int64_t bootNow) {
    const int year = LocalField(now, Field::Year);
    const int month = LocalField(now, Field::Month);
    const int day = LocalField(now, Field::Day);
    const bool dateKnown = year != 0 && month != 0 && day != 0;
    const auto date = std::make_tuple(year, month, day);
    const auto counted = std::make_tuple(m_nYear, m_nMonth, m_nDay);
    int total = m_nMinutesUsed + minutes;
    if (dateKnown && date != counted) {
        // Only a later date reached by time that really passed (the boot-time
        // clock advanced with the wall clock) starts a new day's count; a clock
        // that was set moves the count to its new date unchanged.
        const std::int64_t wallAdvance = now - m_timeLastCounted;
        const std::int64_t bootAdvance = (bootNow - m_nBootLastCountedMs) / 1000;
        const bool realTime = wallAdvance - bootAdvance <= kClockAgreementSeconds &&
                              bootAdvance - wallAdvance <= kClockAgreementSeconds;
        if (date > counted && realTime) total = minutes;
        m_nYear = year;
        m_nMonth = month;
        m_nDay = day;
    }
    m_nMinutesUsed = std::min(total, kMaxRecordedMinutes);
}

void CHourgateView::OnTimer(std::uintptr_t /*nIDEvent: every expiry is a usage tick*/) {
    m_platform.KillTimer(USAGE_TIMER_ID);
    // Before usage start has taken its instants there is nothing to measure from.
    if (m_bAnchored) {
        const std::int64_t now = m_platform.Now();
        const std::int64_t steadyNow = m_platform.SleepStoppingMilliseconds();
        const std::int64_t bootNow = m_platform.BootTimeMilliseconds();
        const int weekday = LocalField(now, Field::Weekday);
        const int quota = DailyQuotaFor(ClassifyDay(weekday));

        // Minutes in use are measured by the clock that stops during sleep and
        // ignores clock changes; the wall clock only decides the date and hour.
        // Rounded, so that timer jitter of a few milliseconds does not lose a minute.
        m_spanElapsed = (steadyNow - m_nSteadyLastCountedMs + 500) / 1000;
        const int minutes = static_cast<int>(std::min<std::int64_t>(m_spanElapsed / 60, 1 << 30));

        if (minutes >= 1) {
            CountMinutes(minutes, now, bootNow);
            m_timeLastCounted = now;
            m_nSteadyLastCountedMs = steadyNow;
            m_nBootLastCountedMs = bootNow;

            RefreshIdentity();
            m_nHour = LocalField(now, Field::Hour);
            m_nMinute = LocalField(now, Field::Minute);
            ApplyHourRule(weekday);

            const std::string path = RecordPath();
            if (!m_bRecordPending || MergePendingRecord(path)) WriteRecord(path);
            if (NeedsQuotaWarning(quota, m_nMinutesUsed)) {
                m_platform.ShowWarning(FormatQuotaWarning(m_strLoginName, quota - m_nMinutesUsed));
            }
            if (QuotaReached(quota, m_nMinutesUsed)) m_platform.ForcedPowerOff();
        }
    }
    m_platform.Default();
    m_platform.SetTimer(USAGE_TIMER_ID, kUsageTimerMilliseconds);
}

void CHourgateView::OnDraw(TextOutput& dc) {
    RefreshLoginName();
    const int quota = DailyQuotaFor(ClassifyDay(LocalField(m_platform.Now(), Field::Weekday)));
    const int used = m_nMinutesUsed;
    const int remaining = quota - used;
    DrawStatusLines(dc,
                    FormatText("今日 %s さんは、%0d時間 %02d分使用しました", m_strLoginName.c_str(),
                               used / 60, used % 60),
                    FormatText("あと、%0d時間 %02d分使用出来ます", remaining / 60, remaining % 60));
}

void DrawStatusLines(TextOutput& dc, const std::string& used, const std::string& remaining) {
    dc.TextOut(0, 0, used);
    dc.TextOut(0, 30, remaining);
}
