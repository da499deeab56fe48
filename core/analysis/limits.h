// Aircraft limits: a small text file of the engine and airframe limits a flight is checked
// against, one limit a line.
//
//   # Lycoming-style four-cylinder engine          (a '#' starts a comment)
//   cht_max = 460 F
//   egt_span_max = 150
//   oil_pressure_min = 25 when rpm > 1000
//   ias_max = 163 kt when airborne
//   cht_high = 420 F for 60 s                        (a warning's threshold and time)
//
// A line is `parameter = number [unit] [when condition] [for number s]`. The parameters are
// those of limit_parameters (limits.cpp): the limits, which nothing checks until a file names
// them, and the engine warnings (warning_rules.h), which are checked by default and which a
// line replaces; only a warning takes `for`, its time. temperatures take F or C and are otherwise in the unit the LOG
// stores them in, the other units (psi, rpm, V, kt) may be written for clarity. A condition is
// `airborne` or `rpm|ias <|<=|>|>= number`. The same parameter may appear again with another
// condition. Numbers lie from -100000 to 100000 (no inf, no nan). Lines may end in CR LF and the
// text may begin with a UTF-8 byte-order mark. Any other line is refused with its line number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decode/engine_units.h"

enum class limit_parameter : std::uint8_t {
  cht_max,
  egt_max,
  egt_span_max,  // hottest minus coolest EGT of the fitted cylinders
  oil_temperature_max,
  oil_temperature_min,
  oil_pressure_min,
  oil_pressure_max,
  rpm_max,
  bus_voltage_min,
  bus_voltage_max,
  ias_max,
  // The engine warnings (warning_rules.h), in the order of their rules.
  cht_high,
  cht_above_others,   // a cylinder's CHT above the mean of the others'
  egt_spread_cruise,  // hottest minus coolest EGT in cruise
  oil_pressure_low,
  cht_cooling,        // degrees a minute
  probe_low,          // a CHT or EGT probe reading this or less
  cht_probe_high,     // a CHT probe reading beyond its range
  egt_probe_high,
  probe_jump,         // a probe's reading jumping by more than this in `for` seconds
};
constexpr std::size_t limit_parameter_count = 20;

enum class condition_subject : std::uint8_t { none, rpm, ias, airborne };
enum class comparison : std::uint8_t { greater, greater_or_equal, less, less_or_equal };

struct limit_condition {
  condition_subject subject = condition_subject::none;
  comparison op = comparison::greater;
  double value = 0.0;
  bool operator==(const limit_condition&) const = default;
};

struct aircraft_limit {
  limit_parameter parameter;
  double value;
  bool has_temperature_unit = false;  // the value is in `unit`, not in the LOG's unit
  temperature_unit unit = temperature_unit::fahrenheit;
  limit_condition when;
  double seconds = -1.0;  // a warning's `for`: its time; negative when the line gives none
  int line = 0;
};

struct limits_parse_result {
  std::vector<aircraft_limit> limits;
  int error_line = 0;  // 0 when the text was read whole
  std::string error;
  bool ok() const { return error_line == 0; }
};

constexpr std::size_t max_limits = 64;

limits_parse_result parse_limits(std::string_view text);
// One line of a limits file (a comment and blanks allowed): the error, or "" with is_limit
// telling whether the line held a limit. The aircraft profile reads its limits with it.
std::string parse_limit_line(std::string_view line, aircraft_limit& limit, bool& is_limit);
bool is_limit_parameter(std::string_view name);

std::string_view limit_name(limit_parameter p);
bool is_maximum(limit_parameter p);
bool is_per_cylinder(limit_parameter p);
bool is_warning_parameter(limit_parameter p);
// Whether a value in a temperature unit is a difference (a span, a rate), converted without
// the offset.
bool is_temperature_difference(limit_parameter p);
bool is_temperature(limit_parameter p);
// The unit of a limit's value and of its exceedances' peaks: a temperature's own unit when the
// file gives one, else the unit the LOG stores it in (units); psi, rpm, V or kt.
std::string_view limit_unit_symbol(const aircraft_limit& limit, const engine_units& units);
// "rpm > 1000", "airborne", or "" without a condition.
std::string condition_text(const limit_condition& c);
