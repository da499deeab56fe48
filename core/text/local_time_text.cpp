#include "text/local_time_text.h"

#include <algorithm>
#include <cstdio>

namespace {

// Instants are held within some thirty thousand years of 1970, where adding an offset cannot
// overflow; the texts clamp the year to 0-9999 in any case.
constexpr std::int64_t farthest_s = std::int64_t{1} << 40;

std::int64_t local_seconds(std::int64_t utc_seconds, std::int32_t offset_minutes) {
  return std::clamp(utc_seconds, -farthest_s, farthest_s) + std::int64_t{offset_minutes} * 60;
}

std::int64_t whole_local_seconds(std::int64_t utc_ms, std::int32_t offset_minutes) {
  return local_seconds(whole_seconds_of(std::clamp(utc_ms, -farthest_s * 1000, farthest_s * 1000)), offset_minutes);
}

constexpr bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// An offset rounded to the minute (half a minute away from zero).
std::int32_t minutes_of(std::int32_t utc_offset_s) {
  return utc_offset_s >= 0 ? (utc_offset_s + 30) / 60 : -((-utc_offset_s + 30) / 60);
}

// "+hh:mm" of an offset in minutes.
void write_offset(char (&text)[8], std::int32_t minutes) {
  const std::int32_t size = minutes < 0 ? -minutes : minutes;
  std::snprintf(text, sizeof text, "%c%02d:%02d", minutes < 0 ? '-' : '+', static_cast<int>(size / 60 % 100),
                static_cast<int>(size % 60));
}

}  // namespace

utc_text iso8601_local(std::int64_t utc_seconds, std::int32_t utc_offset_s) {
  const std::int32_t minutes = minutes_of(utc_offset_s);
  utc_text t = iso8601_utc(local_seconds(utc_seconds, minutes));
  char offset[8];
  write_offset(offset, minutes);
  t.length = static_cast<std::uint8_t>(t.length - 1);  // the zone letter Z gives way to the offset
  for (int i = 0; i < 6; ++i) t.text[t.length++] = offset[i];
  return t;
}

std::string local_date_text(std::int64_t utc_ms, std::int32_t utc_offset_s) {
  const utc_fields f = utc_fields_of(whole_local_seconds(utc_ms, minutes_of(utc_offset_s)));
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", f.year, f.month, f.day);
  return text;
}

std::string local_time_text(std::int64_t utc_ms, std::int32_t utc_offset_s, std::string_view abbreviation) {
  const std::int32_t minutes = minutes_of(utc_offset_s);
  const utc_fields f = utc_fields_of(whole_local_seconds(utc_ms, minutes));
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d ", f.hour, f.minute, f.second);
  std::string out = text;
  if (abbreviation.empty() || !is_letter(abbreviation[0])) {
    char offset[8];
    write_offset(offset, minutes);
    out += offset;
  } else {
    out += abbreviation;
  }
  return out;
}
