#include "text/utc_text.h"

#include <algorithm>
#include <cstdio>

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
  const std::int64_t seconds = floor_div(utc_ms, 1000);
  const int milliseconds = static_cast<int>(utc_ms - seconds * 1000);
  utc_text t = iso8601_utc(seconds);
  if (milliseconds == 0 || t.length == 0) return t;
  // The fraction goes before the zone letter.
  const int n = std::snprintf(t.text + t.length - 1, sizeof t.text - (t.length - 1), ".%03dZ", milliseconds);
  t.length = static_cast<std::uint8_t>(t.length - 1 + (n > 0 ? n : 0));
  return t;
}
