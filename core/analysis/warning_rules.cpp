#include "analysis/warning_rules.h"

#include <charconv>

namespace {

aircraft_limit rule(limit_parameter p, double value, bool fahrenheit, double seconds, limit_condition when = {}) {
  aircraft_limit l{};
  l.parameter = p;
  l.value = value;
  l.has_temperature_unit = fahrenheit;
  l.unit = temperature_unit::fahrenheit;
  l.when = when;
  l.seconds = seconds;
  return l;
}

}  // namespace

bool is_probe_rule(limit_parameter p) {
  return p == limit_parameter::probe_low || p == limit_parameter::cht_probe_high ||
         p == limit_parameter::egt_probe_high || p == limit_parameter::probe_jump;
}

warning_rules default_warning_rules(induction_kind induction) {
  using lp = limit_parameter;
  const double spread = induction == induction_kind::injected ? 100.0 : 150.0;
  const std::array<aircraft_limit, warning_rule_count> limits = {
      rule(lp::cht_high, 400.0, true, 30.0),
      rule(lp::cht_above_others, 50.0, true, 60.0),
      rule(lp::egt_spread_cruise, spread, true, 60.0),
      rule(lp::oil_pressure_low, 25.0, false, 10.0, {condition_subject::rpm, comparison::greater, 1500.0}),
      rule(lp::cht_cooling, 60.0, true, 60.0),
      rule(lp::probe_low, 0.0, false, 5.0),
      rule(lp::cht_probe_high, 1000.0, true, 5.0),
      rule(lp::egt_probe_high, 2000.0, true, 5.0),
      rule(lp::probe_jump, 100.0, true, 1.0),
  };
  warning_rules rules{};
  for (std::size_t i = 0; i < warning_rule_count; ++i) rules[i] = {limits[i], true};
  return rules;
}

warning_rules resolve_warning_rules(induction_kind induction, const std::vector<aircraft_limit>& limits) {
  warning_rules rules = default_warning_rules(induction);
  for (const aircraft_limit& l : limits) {
    if (!is_warning_parameter(l.parameter)) continue;
    warning_rule& r = rules[warning_index(l.parameter)];
    // A line without `for` keeps the default's time, one without `when` its condition.
    const aircraft_limit fallback = r.limit;
    r = {l, false};
    if (r.limit.seconds < 0.0) r.limit.seconds = fallback.seconds;
    if (r.limit.when.subject == condition_subject::none) r.limit.when = fallback.when;
  }
  return rules;
}

std::vector<aircraft_limit> limits_only(const std::vector<aircraft_limit>& limits) {
  std::vector<aircraft_limit> out;
  for (const aircraft_limit& l : limits) {
    if (!is_warning_parameter(l.parameter)) out.push_back(l);
  }
  return out;
}

std::string warning_rule_text(const aircraft_limit& rule, std::string_view unit) {
  const auto number = [](double v) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, v);
    return error == std::errc() ? std::string(text, end) : std::string("?");
  };
  const std::string value = number(rule.value) + " " + std::string(unit);
  const std::string seconds = number(rule.seconds) + " s";
  std::string words;
  switch (rule.parameter) {
    case limit_parameter::cht_high: words = "CHT above " + value + " for " + seconds; break;
    case limit_parameter::cht_above_others:
      words = "CHT more than " + value + " above the others' mean for " + seconds;
      break;
    case limit_parameter::egt_spread_cruise: words = "EGT spread above " + value + " in cruise for " + seconds; break;
    case limit_parameter::oil_pressure_low: words = "oil pressure below " + value; break;
    case limit_parameter::cht_cooling: words = "CHT cooling faster than " + value + " a minute over " + seconds; break;
    case limit_parameter::probe_low: words = "probe reading " + value + " or less for " + seconds; break;
    case limit_parameter::cht_probe_high:
    case limit_parameter::egt_probe_high: words = "probe reading above " + value + " for " + seconds; break;
    case limit_parameter::probe_jump: words = "probe jumping more than " + value + " within " + seconds; break;
    default: return "";
  }
  const std::string condition = condition_text(rule.when);
  if (!condition.empty()) words += " when " + condition;
  if (rule.parameter == limit_parameter::oil_pressure_low) words += " for " + seconds;
  return words;
}
