#include "core/HourgateView.h"

#include <algorithm>
#include <tuple>

#include "core/Grants.h"
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

CategoryLimits CHourgateView::CategoryLimitsInForce() const {
    return m_limits.For(m_strCategory, m_platform.LeadBytes());
}

int CHourgateView::QuotaFor(int weekday) const {
    return CategoryLimitsInForce().Quota(ClassifyDay(weekday)) + m_nGrantedMinutes;
}

void CHourgateView::ApplyHourRule(int weekday) {
    const CategoryLimits limits = CategoryLimitsInForce();
    const HourWindow hours = limits.Hours(ClassifyDay(weekday));
    if (limits.hoursApply && !IsWithinHours(hours.first, hours.end, m_nHour)) {
        m_platform.ShowWarning(FormatHourNotice(hours.first, hours.end, m_strLoginName));
        RequestPowerOff("outside the allowed hours");
    }
}

void CHourgateView::RequestPowerOff(const std::string& reason) {
    const bool logOff = m_limits.action == TimeUpAction::LogOff;
    m_platform.WriteSystemNotice((logOff ? "log-off for " : "power-off for ") + m_strLoginName +
                                 " (" + m_strCategory + "): " + reason);
    if (logOff) {
        m_platform.ForcedLogOff();
    } else {
        m_platform.ForcedPowerOff();
    }
}

void CHourgateView::ReadGrant() {
    const std::string path =
        JoinPath(GetDocument().m_strProgramDirectory, m_platform.PathSeparator(), kGrantsFileName);
    const FileContents grants = ReadDataFile(path, kMaxGrantsBytes, false);
    // A grant that cannot be read now is kept: it was given for the whole day.
    if (grants.state == FileState::Unreadable) return;
    m_nGrantedMinutes = GrantedMinutes(grants.bytes, DateOf(CurrentRecord()), m_strCategory,
                                       m_platform.LeadBytes());
}

void CHourgateView::AddPendingToRecord(const std::string& path) {
    ReadGrant();
    const RecordUpdate update =
        AddToUsageRecord(path, {CurrentRecord(), m_nPendingMinutes, m_carriedFrom});
    const std::string cannotWrite = "cannot write " + path;
    const std::string cannotRead = "cannot read " + path;
    if (update.state == FileState::Unreadable) {
        m_failures.Failed(cannotRead, update.why);
    } else {
        m_failures.Succeeded(cannotRead);
    }
    if (update.written) {
        m_failures.Succeeded(cannotWrite);
        m_nPendingMinutes = 0;
        m_carriedFrom.reset();
    } else if (update.state != FileState::Unreadable) {
        m_failures.Failed(cannotWrite,
                          update.held ? "held by another process: " + update.why : update.why);
    }
    if (update.state == FileState::Read || update.written) {
        m_nRecMinutes = update.record.minutesUsed - (update.written ? 0 : m_nPendingMinutes);
        m_nMinutesUsed = update.record.minutesUsed;
        if (DateOf(update.record) > DateOf(CurrentRecord())) {
            m_failures.Failed("the clock is behind " + path,
                              "the record is dated after today: counting on its date");
        } else {
            m_failures.Succeeded("the clock is behind " + path);
        }
    } else {
        m_nMinutesUsed = std::min(m_nRecMinutes + m_nPendingMinutes, kMaxRecordedMinutes);
    }
}

void CHourgateView::LoadExemptionListAndLimits() {
    GetDocument().UpdateProgramDirectory();
    const std::string listPath = JoinPath(GetDocument().m_strConfigDirectory,
                                          m_platform.PathSeparator(), kExemptionListFileName);
    const std::string listProblem =
        LoadExemptionList(GetDocument().m_strConfigDirectory, m_platform.PathSeparator(),
                          m_szExemptNames, m_nExemptCount);
    if (listProblem.empty()) {
        m_failures.Succeeded("cannot read " + listPath);
    } else {
        m_failures.Failed("cannot read " + listPath, listProblem);
    }
    const std::string limitsPath =
        JoinPath(GetDocument().m_strConfigDirectory, m_platform.PathSeparator(), kLimitsFileName);
    const LimitsLoad limits = LoadLimits(limitsPath, m_limits, m_platform.LeadBytes());
    if (limits.read == FileState::Unreadable) {
        // The last limits read (or the fixed rules) stay in force.
        m_failures.Failed("cannot read " + limitsPath, limits.why);
        return;
    }
    m_failures.Succeeded("cannot read " + limitsPath);
    m_bLimitsFile = limits.read == FileState::Read;
    m_limits = limits.limits;
    for (const std::string& problem : limits.problems) m_platform.WriteSystemLog(problem);
}

void CHourgateView::ReloadConfiguration() { LoadExemptionListAndLimits(); }

void CHourgateView::Refresh() { AddPendingToRecord(RecordPath()); }

UsageStanding CHourgateView::Standing() {
    const std::int64_t now = m_platform.Now();
    const int weekday = LocalField(now, Field::Weekday);
    return {m_strLoginName,
            m_strCategory,
            DateOf(CurrentRecord()),
            ClassifyDay(weekday),
            LocalField(now, Field::Hour),
            LocalField(now, Field::Minute),
            m_nMinutesUsed,
            m_nGrantedMinutes,
            QuotaFor(weekday),
            CategoryLimitsInForce()};
}

void CHourgateView::OnInitialUpdate() {
    m_nExemptCount = 0;
    LoadExemptionListAndLimits();
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

    // A new run's count starts from the record, as every tick does; running
    // usage start again (a new or opened document) keeps the minutes this run
    // counted that have not reached the record, and the time in use since the
    // last counted minute. A count of another category or day is the record's.
    if (previousCategory != m_strCategory || DateOf(known) != DateOf(CurrentRecord())) {
        m_nRecMinutes = 0;
    }
    AddPendingToRecord(path);
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
    const RecordDate date{year, month, day};
    const RecordDate counted{m_nYear, m_nMonth, m_nDay};
    if (dateKnown && date != counted) {
        // Only a later date reached by time that really passed (the boot-time
        // clock advanced with the wall clock) starts a new day's count; a clock
        // that was set moves the count to its new date unchanged.
        const std::int64_t wallAdvance = now - m_timeLastCounted;
        const std::int64_t bootAdvance = (bootNow - m_nBootLastCountedMs) / 1000;
        const bool realTime = wallAdvance - bootAdvance <= kClockAgreementSeconds &&
                              bootAdvance - wallAdvance <= kClockAgreementSeconds;
        if (date > counted && realTime) {
            m_carriedFrom.reset();
            m_nRecMinutes = 0;
        } else if (!m_carriedFrom) {
            m_carriedFrom = counted;
        }
        std::tie(m_nYear, m_nMonth, m_nDay) = date;
    }
    m_nPendingMinutes = std::min(m_nPendingMinutes + minutes, kMaxRecordedMinutes);
}

void CHourgateView::OnTimer(std::uintptr_t /*nIDEvent: every expiry is a usage tick*/) {
    m_platform.KillTimer(USAGE_TIMER_ID);
    // Before usage start has taken its instants there is nothing to measure from.
    if (m_bAnchored) {
        const std::int64_t now = m_platform.Now();
        const std::int64_t steadyNow = m_platform.SleepStoppingMilliseconds();
        const std::int64_t bootNow = m_platform.BootTimeMilliseconds();
        const int weekday = LocalField(now, Field::Weekday);

        // Minutes in use are measured by the clock that stops during sleep and
        // ignores clock changes; the wall clock only decides the date and hour.
        // Rounded, so that timer jitter of a few milliseconds does not lose a minute.
        m_spanElapsed = (steadyNow - m_nSteadyLastCountedMs + 500) / 1000;
        const int minutes = static_cast<int>(std::min<std::int64_t>(m_spanElapsed / 60, 1 << 30));

        if (minutes >= 1) {
            CountMinutes(minutes, now, bootNow);
            m_timeLastCounted = now;
            // The seconds past the whole minutes stay in use: they count towards
            // the next minute, however long the ticks in between are.
            m_nSteadyLastCountedMs += static_cast<std::int64_t>(minutes) * 60000;
            m_nBootLastCountedMs = bootNow;

            const std::string previousCategory = m_strCategory;
            RefreshIdentity();
            if (m_strCategory != previousCategory) {
                // A reloaded list moved the user: the new category's record
                // holds its own count, to which this tick's minutes are added.
                m_nRecMinutes = 0;
                m_carriedFrom.reset();
            }
            m_nHour = LocalField(now, Field::Hour);
            m_nMinute = LocalField(now, Field::Minute);
            ApplyHourRule(weekday);

            AddPendingToRecord(RecordPath());
            const int quota = QuotaFor(weekday);
            if (NeedsQuotaWarning(quota, m_nMinutesUsed, CategoryLimitsInForce().warningMinutes)) {
                m_platform.ShowWarning(FormatQuotaWarning(m_strLoginName, quota - m_nMinutesUsed));
            }
            if (QuotaReached(quota, m_nMinutesUsed)) {
                RequestPowerOff("the day's quota is used up, " + std::to_string(m_nMinutesUsed) +
                                " of " + std::to_string(quota) + " minutes");
            }
        }
    }
    m_platform.Default();
    m_platform.SetTimer(USAGE_TIMER_ID, kUsageTimerMilliseconds);
}

void CHourgateView::OnDraw(TextOutput& dc) {
    RefreshLoginName();
    const int weekday = LocalField(m_platform.Now(), Field::Weekday);
    const int quota = QuotaFor(weekday);
    const int used = m_nMinutesUsed;
    const int remaining = quota - used;
    DrawStatusLines(dc,
                    FormatText("今日 %s さんは、%0d時間 %02d分使用しました", m_strLoginName.c_str(),
                               used / 60, used % 60),
                    FormatText("あと、%0d時間 %02d分使用出来ます", remaining / 60, remaining % 60));
    // Limits an administrator set are shown; the fixed rules' window stays as it always was.
    if (m_bLimitsFile || m_nGrantedMinutes > 0) {
        const CategoryLimits limits = CategoryLimitsInForce();
        const HourWindow hours = limits.Hours(ClassifyDay(weekday));
        dc.TextOut(0, 60,
                   limits.hoursApply ? FormatText("今日の上限は %d分、%d時から%d時までです", quota,
                                                  hours.first, hours.end)
                                     : FormatText("今日の上限は %d分です", quota));
    }
}

void DrawStatusLines(TextOutput& dc, const std::string& used, const std::string& remaining) {
    dc.TextOut(0, 0, used);
    dc.TextOut(0, 30, remaining);
}
