#include "text/utc_text.h"

#include <algorithm>
#include <cstdio>

#include "text/decimal_digits.h"

namespace {

constexpr std::int64_t seconds_per_day = 86400;

std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

utc_fields utc_fields_of(std::int64_t utc_seconds) {
  const std::int64_t days = floor_div(utc_seconds, seconds_per_day);
  const std::int64_t second_of_day = utc_seconds - days * seconds_per_day;
  // The civil date of a day count: years counted from March, in eras of 400 years.
  const std::int64_t z = days + 719468;
  const std::int64_t era = floor_div(z, 146097);
  const std::int64_t day_of_era = z - era * 146097;
  const std::int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  const std::int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  const std::int64_t month_from_march = (5 * day_of_year + 2) / 153;
  utc_fields f;
  f.day = static_cast<int>(day_of_year - (153 * month_from_march + 2) / 5 + 1);
  f.month = static_cast<int>(month_from_march < 10 ? month_from_march + 3 : month_from_march - 9);
  f.year = static_cast<int>(year_of_era + era * 400 + (f.month <= 2 ? 1 : 0));
  f.hour = static_cast<int>(second_of_day / 3600);
  f.minute = static_cast<int>(second_of_day / 60 % 60);
  f.second = static_cast<int>(second_of_day % 60);
  return f;
}

utc_text iso8601_utc(std::int64_t utc_seconds) {
  // 0000-01-01T00:00:00Z and 9999-12-31T23:59:59Z.
  constexpr std::int64_t earliest = -62167219200;
  constexpr std::int64_t latest = 253402300799;
  const utc_fields f = utc_fields_of(std::clamp(utc_seconds, earliest, latest));
  utc_text t{};
  const int n = std::snprintf(t.text, sizeof t.text, "%04d-%02d-%02dT%02d:%02d:%02dZ", f.year, f.month, f.day, f.hour,
                              f.minute, f.second);
  t.length = static_cast<std::uint8_t>(n > 0 ? n : 0);
  return t;
}

utc_text iso8601_utc_ms(std::int64_t utc_ms) {
  // Written digit by digit: the exports give one time per row or fix.
  constexpr std::int64_t earliest = -62167219200000;
  constexpr std::int64_t latest = 253402300799999;
  const std::int64_t ms = std::clamp(utc_ms, earliest, latest);
  const std::int64_t seconds = floor_div(ms, 1000);
  const auto milliseconds = static_cast<unsigned>(ms - seconds * 1000);
  const utc_fields f = utc_fields_of(seconds);
  utc_text t{};
  char* p = t.text;
  decimal_digits::write_pair(p, static_cast<unsigned>(f.year) / 100);
  decimal_digits::write_pair(p + 2, static_cast<unsigned>(f.year) % 100);
  p[4] = '-';
  decimal_digits::write_pair(p + 5, static_cast<unsigned>(f.month));
  p[7] = '-';
  decimal_digits::write_pair(p + 8, static_cast<unsigned>(f.day));
  p[10] = 'T';
  decimal_digits::write_pair(p + 11, static_cast<unsigned>(f.hour));
  p[13] = ':';
  decimal_digits::write_pair(p + 14, static_cast<unsigned>(f.minute));
  p[16] = ':';
  decimal_digits::write_pair(p + 17, static_cast<unsigned>(f.second));
  p += 19;
  if (milliseconds != 0) {
    *p++ = '.';
    *p++ = static_cast<char>('0' + milliseconds / 100);
    decimal_digits::write_pair(p, milliseconds % 100);
    p += 2;
  }
  *p++ = 'Z';
  t.length = static_cast<std::uint8_t>(p - t.text);
  return t;
}
