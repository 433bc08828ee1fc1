// Dates of the proleptic Gregorian calendar and ISO 8601 texts. A log writes
// its date once, in the header; records carry the time of day only, so a
// record's time is kept as milliseconds after midnight of that date and may
// pass 24 hours when a session runs over midnight.
#pragma once

#include <cstdint>
#include <string>

namespace corvlog {

int daysInMonth(int year, int month);
// Days since 1970-01-01 (negative before it).
std::int64_t daysFromCivil(int year, int month, int day);
void civilFromDays(std::int64_t days, int& year, int& month, int& day);

// "2026-12-09T05:25:18.212": the date plus `ms` milliseconds (ms >= 0).
std::string isoDateTime(int year, int month, int day, std::int64_t ms);
// "2026-12-09".
std::string isoDate(int year, int month, int day);
// "05:25:18.212" within its day.
std::string clockTime(std::int64_t ms);

}  // namespace corvlog
