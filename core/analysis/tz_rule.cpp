#include "analysis/tz_rule.h"

#include <algorithm>

#include "decoders/gps/fix.h"
#include "text/char_class.h"
#include "text/utc_text.h"

namespace {

constexpr std::int64_t seconds_per_day = 86400;
// Instants are held within some thirty thousand years of 1970, so that years fit an int.
constexpr std::int64_t farthest_s = std::int64_t{1} << 40;

constexpr bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::int64_t floor_div(std::int64_t a, std::int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

struct tz_text {
  std::string_view text;
  std::size_t at = 0;

  bool done() const { return at >= text.size(); }
  char next() const { return done() ? '\0' : text[at]; }
  bool take(char c) {
    if (next() != c) return false;
    ++at;
    return true;
  }

  // A name: three or more letters, or <...> of three or more letters, digits, '+' and '-'.
  std::optional<std::string_view> name() {
    const bool quoted = take('<');
    const std::size_t from = at;
    while (!done() && (is_letter(next()) || (quoted && (is_digit(next()) || next() == '+' || next() == '-')))) ++at;
    const std::string_view name = text.substr(from, at - from);
    if (name.size() < 3 || (quoted && !take('>'))) return std::nullopt;
    return name;
  }

  // One to `digits` digits worth at most `largest`.
  std::optional<int> number(int digits, int largest) {
    int value = 0;
    int count = 0;
    while (count < digits && is_digit(next())) {
      value = value * 10 + (text[at++] - '0');
      ++count;
    }
    if (count == 0 || value > largest) return std::nullopt;
    return value;
  }

  // [+|-]hh[:mm[:ss]] in seconds.
  std::optional<std::int32_t> hours_minutes_seconds(int most_hours) {
    int sign = 1;
    if (take('-')) {
      sign = -1;
    } else {
      take('+');
    }
    const std::optional<int> hours = number(3, most_hours);
    if (!hours) return std::nullopt;
    int minutes = 0;
    int seconds = 0;
    if (take(':')) {
      const std::optional<int> m = number(2, 59);
      if (!m) return std::nullopt;
      minutes = *m;
      if (take(':')) {
        const std::optional<int> s = number(2, 59);
        if (!s) return std::nullopt;
        seconds = *s;
      }
    }
    return sign * (*hours * 3600 + minutes * 60 + seconds);
  }

  std::optional<tz_rule_day> day() {
    tz_rule_day d;
    if (take('M')) {
      const std::optional<int> month = number(2, 12);
      const std::optional<int> week = month && take('.') ? number(1, 5) : std::nullopt;
      const std::optional<int> weekday = week && take('.') ? number(1, 6) : std::nullopt;
      if (!weekday || *month < 1 || *week < 1) return std::nullopt;
      d.month = *month;
      d.week = *week;
      d.weekday = *weekday;
    } else {
      d.kind = take('J') ? tz_rule_day::form::julian_without_leap_day : tz_rule_day::form::day_of_year;
      const std::optional<int> n = number(3, 365);
      if (!n || (d.kind == tz_rule_day::form::julian_without_leap_day && *n < 1)) return std::nullopt;
      d.day = *n;
    }
    if (take('/')) {
      const std::optional<std::int32_t> time = hours_minutes_seconds(167);
      if (!time) return std::nullopt;
      d.time_s = *time;
    }
    return d;
  }
};

bool is_leap_year(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::int64_t days_of(int year, int month, int day) { return utc_seconds_of(year, month, day, 0, 0, 0) / seconds_per_day; }

// The local time (seconds since 1970 as if local time were UTC) at which a rule's change falls
// in a year.
std::int64_t change_in_year(const tz_rule_day& d, int year) {
  std::int64_t day = 0;
  switch (d.kind) {
    case tz_rule_day::form::julian_without_leap_day:
      day = days_of(year, 1, 1) + d.day - 1 + (is_leap_year(year) && d.day >= 60 ? 1 : 0);
      break;
    case tz_rule_day::form::day_of_year:
      day = days_of(year, 1, 1) + d.day;
      break;
    case tz_rule_day::form::month_week_day: {
      const std::int64_t first = days_of(year, d.month, 1);
      const std::int64_t next_month = d.month == 12 ? days_of(year + 1, 1, 1) : days_of(year, d.month + 1, 1);
      const std::int64_t first_weekday = first - floor_div(first + 4, 7) * 7 + 4;  // 1970-01-01 was a Thursday
      day = first + (d.weekday - first_weekday + 7) % 7 + 7 * (d.week - 1);
      if (day >= next_month) day -= 7;  // week 5: the last such weekday
      break;
    }
  }
  return day * seconds_per_day + d.time_s;
}

}  // namespace

void set_abbreviation(local_offset& offset, std::string_view name) {
  const std::size_t n = std::min(name.size(), sizeof offset.abbreviation_text - 1);
  std::copy_n(name.data(), n, offset.abbreviation_text);
  std::fill(offset.abbreviation_text + n, std::end(offset.abbreviation_text), '\0');
}

std::optional<tz_rule> parse_tz_rule(std::string_view text) {
  tz_text t{text};
  tz_rule rule;
  const std::optional<std::string_view> standard = t.name();
  const std::optional<std::int32_t> west = standard ? t.hours_minutes_seconds(24) : std::nullopt;
  if (!west) return std::nullopt;
  rule.standard.utc_offset_s = -*west;
  set_abbreviation(rule.standard, *standard);
  if (t.done()) return rule;

  const std::optional<std::string_view> daylight = t.name();
  if (!daylight) return std::nullopt;
  rule.has_daylight_saving = true;
  rule.daylight.daylight_saving = true;
  set_abbreviation(rule.daylight, *daylight);
  rule.daylight.utc_offset_s = rule.standard.utc_offset_s + 3600;
  if (!t.done() && t.next() != ',') {
    const std::optional<std::int32_t> daylight_west = t.hours_minutes_seconds(24);
    if (!daylight_west) return std::nullopt;
    rule.daylight.utc_offset_s = -*daylight_west;
  }
  if (t.done()) {
    rule.start = {.month = 3, .week = 2};
    rule.end = {.month = 11, .week = 1};
    return rule;
  }
  const std::optional<tz_rule_day> start = t.take(',') ? t.day() : std::nullopt;
  const std::optional<tz_rule_day> end = start && t.take(',') ? t.day() : std::nullopt;
  if (!end || !t.done()) return std::nullopt;
  rule.start = *start;
  rule.end = *end;
  return rule;
}

local_offset tz_rule_offset_at(const tz_rule& rule, std::int64_t utc_seconds) {
  if (!rule.has_daylight_saving) return rule.standard;
  const std::int64_t t = std::clamp(utc_seconds, -farthest_s, farthest_s);
  const int year = utc_fields_of(t + rule.standard.utc_offset_s).year;
  // Daylight saving runs from its start to its end in the same year, or, south of the equator,
  // to its end in the next one. The years around the instant's cover every period that can
  // hold it, however far a change's time of day moves it.
  for (int y = year - 1; y <= year + 1; ++y) {
    const std::int64_t starts = change_in_year(rule.start, y) - rule.standard.utc_offset_s;
    const std::int64_t ends_that_year = change_in_year(rule.end, y) - rule.daylight.utc_offset_s;
    if (starts == ends_that_year) continue;
    const std::int64_t ends =
        starts < ends_that_year ? ends_that_year : change_in_year(rule.end, y + 1) - rule.daylight.utc_offset_s;
    if (starts <= t && t < ends) return rule.daylight;
  }
  return rule.standard;
}
