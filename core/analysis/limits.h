// Aircraft limits: a small text file of the engine and airframe limits a flight is checked
// against, one limit a line.
//
//   # Lycoming-style four-cylinder engine          (a '#' starts a comment)
//   cht_max = 460 F
//   egt_span_max = 150
//   oil_pressure_min = 25 when rpm > 1000
//   ias_max = 163 kt when airborne
//
// A line is `parameter = number [unit] [when condition]`. The parameters are those of
// limit_parameters (limits.cpp); temperatures take F or C and are otherwise in the unit the LOG
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
};

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
// The unit of a limit's value and of its exceedances' peaks: a temperature's own unit when the
// file gives one, else the unit the LOG stores it in (units); psi, rpm, V or kt.
std::string_view limit_unit_symbol(const aircraft_limit& limit, const engine_units& units);
// "rpm > 1000", "airborne", or "" without a condition.
std::string condition_text(const limit_condition& c);
