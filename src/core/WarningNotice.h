// What both shells' warning notices share: how long one stays up, and its timer.
#pragma once

// Each showing closes itself this long after it appears, unless Enter or Escape
// closes it first.
constexpr unsigned kNoticeMilliseconds = 3000;
constexpr unsigned kNoticeTimerId = 1;
