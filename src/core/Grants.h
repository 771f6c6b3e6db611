// Extra minutes an administrator gave a category for one day, kept beside the
// records in "grants.dat", so that a grant outlives a restart of the guard and
// the 25-byte record keeps its form. One line per day and category:
// "YYYY/MM/DD MINUTES CATEGORY"; lines of earlier days are dropped at the next grant.
#pragma once

#include <cstddef>
#include <string>

#include "core/Platform.h"
#include "core/UsageRecord.h"

constexpr const char* kGrantsFileName = "grants.dat";
constexpr std::size_t kMaxGrantsBytes = 16 * 1024;
// A day has no more minutes than this to give.
constexpr int kMaxGrantMinutes = 1440;

// One line of the history or the grants, "YYYY<sep>MM<sep>DD NUMBER NAME": false
// for anything else (a torn or hand-made line counts for nothing).
bool ParseDayLine(const std::string& text, char dateSeparator, RecordDate& day, int& number,
                  std::string& name);

// The minutes given to `category` on `day` (letter case of the name aside).
int GrantedMinutes(const std::string& bytes, const RecordDate& day, const std::string& category,
                   LeadByteTest isLeadByte);
// The file after adding `minutes` to the category's grant for `day`: that day's
// lines only, the category's total at most kMaxGrantMinutes.
std::string AddGrant(const std::string& bytes, const RecordDate& day, const std::string& category,
                     int minutes, LeadByteTest isLeadByte);
