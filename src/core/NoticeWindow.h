// The tray program's order of effects, kept by a guard that does not wait for
// the notices it sends: a power-off that follows a notice is issued only once
// that notice has had its time on screen.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/WarningNotice.h"

// How long a guard waits for a notice to be seen: a notice no tray program
// could show yet is held that long for one that starts (a slow desktop, a
// first logon), and a power-off that follows a notice waits that long at most
// for the tray program to say the notice has closed. After it, the power-off
// goes out anyway: ending the tray program gains no more than this.
constexpr int kHeldNoticeMilliseconds = 2 * 60 * 1000;

class NoticeWindow {
public:
    // A notice went out at `nowMs` (a sleep-stopping clock) and is on screen for
    // `onScreenMs`.
    void NoticeSent(std::int64_t nowMs, std::int64_t onScreenMs = kNoticeMilliseconds) {
        m_nEndsMs = nowMs + onScreenMs;
    }
    // How long a power-off requested at `nowMs` waits: until the notice is gone,
    // and never more than kHeldNoticeMilliseconds.
    int PowerOffDelayMilliseconds(std::int64_t nowMs) const {
        return static_cast<int>(
            std::clamp<std::int64_t>(m_nEndsMs - nowMs, 0, kHeldNoticeMilliseconds));
    }

private:
    std::int64_t m_nEndsMs = 0;
};
