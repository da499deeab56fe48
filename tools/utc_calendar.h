// Civil dates of the proleptic Gregorian calendar as day numbers from 1970-01-01, for the UTC
// times the scenario simulator writes.
#pragma once

#include <cstdint>

inline bool is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

inline int days_in_month(int year, int month) {
  constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return days[month - 1] + (month == 2 && is_leap_year(year) ? 1 : 0);
}

// Days from 1970-01-01 of a civil date.
inline std::int64_t days_from_civil(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int year_of_era = y - era * 400;
  const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return std::int64_t{era} * 146097 + day_of_era - 719468;
}

struct civil_day {
  int year = 1970;
  int month = 1;
  int day = 1;
};

inline civil_day civil_from_days(std::int64_t days) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto day_of_era = static_cast<int>(z - era * 146097);
  const int year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const int day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const int mp = (5 * day_of_year + 2) / 153;
  const int day = day_of_year - (153 * mp + 2) / 5 + 1;
  const int month = mp < 10 ? mp + 3 : mp - 9;
  const auto year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

// Floor division of milliseconds into whole days and the milliseconds into the day.
inline std::int64_t utc_day_of(std::int64_t utc_ms) { return (utc_ms >= 0 ? utc_ms : utc_ms - 86399999) / 86400000; }
inline std::int64_t utc_ms_of_day(std::int64_t utc_ms) { return utc_ms - utc_day_of(utc_ms) * 86400000; }
