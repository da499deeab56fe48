#include "decode/utc_clock.h"

#include <cstdlib>

#include "decoders/gps/fix.h"
#include "text/char_class.h"

namespace {

constexpr std::int64_t day_ms = 86'400'000;
constexpr std::int64_t day_lag_tolerance_ms = 600'000;

// n digits at text[at], or -1.
int digits_at(std::string_view text, std::size_t at, std::size_t n) {
  if (text.size() < at + n) return -1;
  int v = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!is_digit(text[at + i])) return -1;
    v = v * 10 + (text[at + i] - '0');
  }
  return v;
}

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return days[month - 1] + (month == 2 && is_leap(year) ? 1 : 0);
}

}  // namespace

void utc_clock::set_from_fix(std::int64_t utc_seconds, std::uint32_t log_ms) {
  utc_anchor fix{utc_seconds * 1000, log_ms};
  if (source_ == utc_source::gps) {
    const std::int64_t off_by = fix.utc_ms - map(latest_, log_ms);
    if (std::llabs(off_by + day_ms) <= day_lag_tolerance_ms) {
      fix.utc_ms += day_ms;
      ++day_corrections_;
    } else if (std::llabs(off_by - day_ms) <= day_lag_tolerance_ms) {
      fix.utc_ms -= day_ms;
      ++day_corrections_;
    }
  }
  if (source_ != utc_source::gps) first_ = fix;
  latest_ = fix;
  source_ = utc_source::gps;
}

void utc_clock::set_from_user(std::int64_t utc_ms, std::uint32_t log_ms) {
  if (source_ == utc_source::gps) return;
  first_ = latest_ = {utc_ms, log_ms};
  source_ = utc_source::user;
}

void utc_clock::start_from(utc_source source, const utc_anchor& first) {
  source_ = source;
  first_ = latest_ = first;
}

std::int64_t utc_clock::utc_ms_at(std::uint32_t log_ms) const {
  return map(log_ms < first_.log_ms ? first_ : latest_, log_ms);
}

std::optional<std::int64_t> parse_utc_iso8601(std::string_view text) {
  const int year = digits_at(text, 0, 4);
  const int month = digits_at(text, 5, 2);
  const int day = digits_at(text, 8, 2);
  const int hour = digits_at(text, 11, 2);
  const int minute = digits_at(text, 14, 2);
  const int second = digits_at(text, 17, 2);
  if (year < 0 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59 || text[4] != '-' || text[7] != '-' ||
      (text[10] != 'T' && text[10] != 't' && text[10] != ' ') || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  if (day > days_in_month(year, month)) return std::nullopt;
  std::string_view rest = text.substr(19);
  int millis = 0;
  if (rest.starts_with('.')) {
    std::size_t n = 1;
    int scale = 100;
    while (n < rest.size() && is_digit(rest[n])) {
      millis += (rest[n] - '0') * scale;
      scale /= 10;
      ++n;
    }
    if (n == 1) return std::nullopt;
    rest.remove_prefix(n);
  }
  if (!(rest.empty() || rest == "Z" || rest == "z" || rest == "+00:00")) return std::nullopt;
  return utc_seconds_of(year, month, day, hour, minute, second) * 1000 + millis;
}
