// The engine warnings every flight is checked against unless told otherwise: each a rule with a
// threshold and a time, written as a line of the limits file (limits.h) that replaces it.
//
//   rule               default                     warned about
//   cht_high           400 F for 30 s              a CHT above it
//   cht_above_others   50 F for 60 s               a CHT above the mean of the other cylinders'
//   egt_spread_cruise  100 F (injected), 150 F     hottest minus coolest EGT, in cruise
//                      otherwise, for 60 s
//   oil_pressure_low   25 psi when rpm > 1500      the oil pressure below it
//                      for 10 s
//   cht_cooling        60 F for 60 s               a head cooling faster than this a minute, the
//                                                  slope of a least-squares line over the time
//   probe_low          0 for 5 s                   a probe reading it or less (without a unit:
//                                                  the LOG's own) with the engine running
//   cht_probe_high     1000 F for 5 s              a CHT probe beyond its sensor's range
//   egt_probe_high     2000 F for 5 s              an EGT probe beyond it
//   probe_jump         100 F for 1 s               a probe jumping by more than this within the
//                                                  time while the other cylinders' do not
// An engine warning lasts for its time before it is told; a probe fault (the last four) says
// the probe, not the engine, is at fault, and that probe leaves the engine warnings while it
// reads so.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/aircraft_profile.h"
#include "analysis/limits.h"

constexpr std::size_t warning_rule_count = limit_parameter_count - static_cast<std::size_t>(limit_parameter::cht_high);

struct warning_rule {
  aircraft_limit limit;  // the threshold (its unit, its condition) and `seconds`, the time
  bool is_default = true;
};

// In the order of the warning parameters (limits.h).
using warning_rules = std::array<warning_rule, warning_rule_count>;

constexpr std::size_t warning_index(limit_parameter p) {
  return static_cast<std::size_t>(p) - static_cast<std::size_t>(limit_parameter::cht_high);
}
constexpr limit_parameter warning_parameter(std::size_t index) {
  return static_cast<limit_parameter>(index + static_cast<std::size_t>(limit_parameter::cht_high));
}
bool is_probe_rule(limit_parameter p);

// The defaults; the EGT spread allowed in cruise depends on the engine's induction.
warning_rules default_warning_rules(induction_kind induction);

// The defaults with every warning line of limits over them, the later winning; a line without
// `for` keeps the default's time, one without `when` the default's condition.
warning_rules resolve_warning_rules(induction_kind induction, const std::vector<aircraft_limit>& limits);

// The limits that are not warnings, in their order.
std::vector<aircraft_limit> limits_only(const std::vector<aircraft_limit>& limits);

// The rule in words, with its threshold in unit: "CHT above 400 F for 30 s",
// "oil pressure below 25 psi when rpm > 1500 for 10 s".
std::string warning_rule_text(const aircraft_limit& rule, std::string_view unit);
