// A time zone's rule for all years, written as a POSIX TZ string: the form a TZif file's footer
// gives for instants beyond its table of transitions.
//
//   PST8PDT,M3.2.0,M11.1.0                   standard PST 8 h west of UTC, daylight PDT an hour
//                                            less, from the second Sunday of March 02:00 to the
//                                            first Sunday of November 02:00
//   <+1245>-12:45<+1345>,M9.5.0/2:45,M4.1.0/3:45
//   IST-5:30                                 no daylight saving
//
// Offsets count hours west of UTC ([+|-]hh[:mm[:ss]], hours to 24); a name is three or more
// letters, or <...> of letters, digits, '+' and '-'. The daylight offset defaults to an hour
// less than the standard one. A rule's day is Mm.w.d (weekday d, 0 for Sunday, of week w of month
// m, week 5 the last), Jn (day n of 1-365, February 29 never counted) or n (0-365, counting it);
// its time of day ([+|-]hh[:mm[:ss]], hours to 167, 02:00 without one) is local time then in
// force, so it may fall on another day. Daylight saving without a rule follows the US rule
// (M3.2.0,M11.1.0), as the C library does.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// What a zone's clocks read at an instant.
struct local_offset {
  std::int32_t utc_offset_s = 0;  // local time minus UTC
  bool daylight_saving = false;
  char abbreviation_text[16] = {};  // "PDT", "+0530"; a longer one is cut to 15 characters
  std::string_view abbreviation() const { return abbreviation_text; }
};

// Fills an offset's abbreviation from a name of any length.
void set_abbreviation(local_offset& offset, std::string_view name);

struct tz_rule_day {
  enum class form : std::uint8_t { month_week_day, julian_without_leap_day, day_of_year };
  form kind = form::month_week_day;
  int month = 0;       // 1-12 (month_week_day)
  int week = 0;        // 1-5
  int weekday = 0;     // 0-6, Sunday first
  int day = 0;         // 1-365 or 0-365
  std::int32_t time_s = 7200;  // local time of the change, -167 to 167 hours
};

struct tz_rule {
  local_offset standard;
  bool has_daylight_saving = false;
  local_offset daylight;
  tz_rule_day start;  // daylight saving starts (in standard time)
  tz_rule_day end;    // and ends (in daylight time)
};

// The rule of a TZ string; nothing when the text is not one.
std::optional<tz_rule> parse_tz_rule(std::string_view text);

// The offset the rule gives at an instant in seconds since 1970-01-01 UTC.
local_offset tz_rule_offset_at(const tz_rule& rule, std::int64_t utc_seconds);
