// UTC date and time texts: ISO 8601 with whole seconds and the zone letter Z, as reports and
// JSON carry them ("2026-03-11T22:22:46Z").
#pragma once

#include <cstdint>
#include <string_view>

struct utc_fields {
  int year;
  int month;  // 1-12
  int day;    // 1-31
  int hour;
  int minute;
  int second;
};

// The calendar date and time of a count of seconds since 1970-01-01 00:00:00 UTC (proleptic
// Gregorian calendar).
utc_fields utc_fields_of(std::int64_t utc_seconds);

struct utc_text {
  char text[32];
  std::uint8_t length;
  std::string_view view() const { return {text, length}; }
};

// "YYYY-MM-DDThh:mm:ssZ"; years outside 0-9999 are clamped to the nearest of them.
utc_text iso8601_utc(std::int64_t utc_seconds);

// "YYYY-MM-DDThh:mm:ss.fffZ" of a count of milliseconds since 1970; the fraction only when the
// time is not a whole second.
utc_text iso8601_utc_ms(std::int64_t utc_ms);

// The nearest whole second of a count of milliseconds (a half second rounds up).
constexpr std::int64_t whole_seconds_of(std::int64_t utc_ms) {
  const std::int64_t ms = utc_ms + 500;
  return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}
