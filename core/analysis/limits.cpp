#include "analysis/limits.h"

#include <array>

#include "analysis/setting_line.h"

namespace {

enum class limit_kind : std::uint8_t { temperature, temperature_span, pressure, rpm, voltage, airspeed };

struct parameter_row {
  std::string_view name;
  limit_parameter parameter;
  limit_kind kind;
  bool maximum;
  bool per_cylinder;
  bool warning = false;
};

constexpr std::array<parameter_row, limit_parameter_count> limit_parameters = {{
    {"cht_max", limit_parameter::cht_max, limit_kind::temperature, true, true},
    {"egt_max", limit_parameter::egt_max, limit_kind::temperature, true, true},
    {"egt_span_max", limit_parameter::egt_span_max, limit_kind::temperature_span, true, false},
    {"oil_temperature_max", limit_parameter::oil_temperature_max, limit_kind::temperature, true, false},
    {"oil_temperature_min", limit_parameter::oil_temperature_min, limit_kind::temperature, false, false},
    {"oil_pressure_min", limit_parameter::oil_pressure_min, limit_kind::pressure, false, false},
    {"oil_pressure_max", limit_parameter::oil_pressure_max, limit_kind::pressure, true, false},
    {"rpm_max", limit_parameter::rpm_max, limit_kind::rpm, true, false},
    {"bus_voltage_min", limit_parameter::bus_voltage_min, limit_kind::voltage, false, false},
    {"bus_voltage_max", limit_parameter::bus_voltage_max, limit_kind::voltage, true, false},
    {"ias_max", limit_parameter::ias_max, limit_kind::airspeed, true, false},
    {"cht_high", limit_parameter::cht_high, limit_kind::temperature, true, true, true},
    {"cht_above_others", limit_parameter::cht_above_others, limit_kind::temperature_span, true, true, true},
    {"egt_spread_cruise", limit_parameter::egt_spread_cruise, limit_kind::temperature_span, true, false, true},
    {"oil_pressure_low", limit_parameter::oil_pressure_low, limit_kind::pressure, false, false, true},
    {"cht_cooling", limit_parameter::cht_cooling, limit_kind::temperature_span, true, true, true},
    {"probe_low", limit_parameter::probe_low, limit_kind::temperature, false, true, true},
    {"cht_probe_high", limit_parameter::cht_probe_high, limit_kind::temperature, true, true, true},
    {"egt_probe_high", limit_parameter::egt_probe_high, limit_kind::temperature, true, true, true},
    {"probe_jump", limit_parameter::probe_jump, limit_kind::temperature_span, true, true, true},
}};
static_assert([] {
  for (std::size_t i = 0; i < limit_parameters.size(); ++i) {
    if (static_cast<std::size_t>(limit_parameters[i].parameter) != i) return false;
  }
  return true;
}());

const parameter_row& row_of(limit_parameter p) { return limit_parameters[static_cast<std::size_t>(p)]; }

std::string_view unit_words(limit_kind kind) {
  switch (kind) {
    case limit_kind::temperature:
    case limit_kind::temperature_span: return "F or C";
    case limit_kind::pressure: return "psi";
    case limit_kind::rpm: return "rpm";
    case limit_kind::voltage: return "V";
    case limit_kind::airspeed: return "kt";
  }
  return "";
}

std::string known_parameters() {
  std::string names;
  for (const parameter_row& row : limit_parameters) {
    if (!names.empty()) names += ", ";
    names += row.name;
  }
  return names;
}

// Parses one line into limit; returns the error, or "" when the line is a limit or nothing.
std::string parse_line(std::string_view line, aircraft_limit& limit, bool& is_limit) {
  is_limit = false;
  if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
  setting_line in(line);
  if (in.at_end()) return "";
  const std::string_view name = in.word();
  const parameter_row* row = nullptr;
  for (const parameter_row& r : limit_parameters) {
    if (r.name == name) row = &r;
  }
  if (row == nullptr) {
    const std::string_view shown = name.empty() ? in.next_item() : name;
    return "unknown parameter " + quoted(shown) + " (known: " + known_parameters() + ")";
  }
  if (!in.symbol("=")) return "expected \"=\" after " + std::string(name);
  limit.parameter = row->parameter;
  if (std::string error = read_setting_number(in, limit.value, "after \"=\""); !error.empty()) return error;
  std::string_view next = in.word();
  if (!next.empty() && next != "when" && next != "for") {
    const bool temperature = row->kind == limit_kind::temperature || row->kind == limit_kind::temperature_span;
    if (temperature && (next == "F" || next == "C")) {
      limit.has_temperature_unit = true;
      limit.unit = next == "C" ? temperature_unit::celsius : temperature_unit::fahrenheit;
    } else if (temperature || next != unit_words(row->kind)) {
      return "unit " + quoted(next) + " does not fit " + std::string(name) + " (" + std::string(unit_words(row->kind)) +
             ")";
    }
    next = in.word();
    if (!next.empty() && next != "when" && next != "for") {
      return std::string(row->warning ? "expected \"when\", \"for\"" : "expected \"when\"") +
             " or the end of the line, found " + quoted(next);
    }
  }
  if (next == "when") {
    const std::string_view subject = in.word();
    if (subject == "airborne") {
      limit.when.subject = condition_subject::airborne;
    } else if (subject == "rpm" || subject == "ias") {
      limit.when.subject = subject == "rpm" ? condition_subject::rpm : condition_subject::ias;
      if (in.symbol(">=")) {
        limit.when.op = comparison::greater_or_equal;
      } else if (in.symbol("<=")) {
        limit.when.op = comparison::less_or_equal;
      } else if (in.symbol(">")) {
        limit.when.op = comparison::greater;
      } else if (in.symbol("<")) {
        limit.when.op = comparison::less;
      } else {
        return "expected <, <=, > or >= after " + std::string(subject);
      }
      if (std::string error = read_setting_number(in, limit.when.value, "in the condition"); !error.empty()) return error;
    } else {
      return "unknown condition " + quoted(subject.empty() ? in.next_item() : subject) +
             " (known: airborne, rpm <op> number, ias <op> number)";
    }
    next = in.word();
  }
  if (next == "for") {
    if (!row->warning) return "only a warning takes \"for\" (" + std::string(name) + " is a limit)";
    if (std::string error = read_setting_number(in, limit.seconds, "after \"for\""); !error.empty()) return error;
    if (!(limit.seconds >= 0.0 && limit.seconds <= 3600.0)) return "a time from 0 to 3600 s";
    if (const std::string_view unit = in.word(); unit != "s") return "expected \"s\" after the time";
  } else if (!next.empty()) {
    return "unexpected " + quoted(next);
  }
  if (!in.at_end()) return "unexpected " + quoted(in.next_item());
  is_limit = true;
  return "";
}

}  // namespace

limits_parse_result parse_limits(std::string_view text) {
  limits_parse_result result;
  // A byte-order mark, which some editors put before UTF-8 text, is not part of the first line.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  int line_number = 0;
  while (!text.empty()) {
    ++line_number;
    const std::size_t newline = text.find('\n');
    const std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    aircraft_limit limit{};
    bool is_limit = false;
    std::string error = parse_line(line, limit, is_limit);
    if (error.empty() && is_limit) {
      limit.line = line_number;
      for (const aircraft_limit& earlier : result.limits) {
        // A warning is one rule whatever its condition; a limit may be given per condition.
        if (earlier.parameter == limit.parameter && (row_of(limit.parameter).warning || earlier.when == limit.when)) {
          error =
              std::string(limit_name(limit.parameter)) + " is already given on line " + std::to_string(earlier.line);
        }
      }
      if (error.empty() && result.limits.size() == max_limits) {
        error = "more than " + std::to_string(max_limits) + " limits";
      }
    }
    if (!error.empty()) {
      result.limits.clear();
      result.error_line = line_number;
      result.error = error;
      return result;
    }
    if (is_limit) result.limits.push_back(limit);
  }
  return result;
}

std::string parse_limit_line(std::string_view line, aircraft_limit& limit, bool& is_limit) {
  return parse_line(line, limit, is_limit);
}

bool is_limit_parameter(std::string_view name) {
  for (const parameter_row& r : limit_parameters) {
    if (r.name == name) return true;
  }
  return false;
}

std::string_view limit_name(limit_parameter p) { return row_of(p).name; }
bool is_maximum(limit_parameter p) { return row_of(p).maximum; }
bool is_per_cylinder(limit_parameter p) { return row_of(p).per_cylinder; }
bool is_warning_parameter(limit_parameter p) { return row_of(p).warning; }
bool is_temperature_difference(limit_parameter p) { return row_of(p).kind == limit_kind::temperature_span; }
bool is_temperature(limit_parameter p) {
  return row_of(p).kind == limit_kind::temperature || row_of(p).kind == limit_kind::temperature_span;
}

std::string_view limit_unit_symbol(const aircraft_limit& limit, const engine_units& units) {
  const limit_kind kind = row_of(limit.parameter).kind;
  if (kind == limit_kind::temperature || kind == limit_kind::temperature_span) {
    if (limit.has_temperature_unit) return unit_symbol(limit.unit);
    const bool cht = limit.parameter == limit_parameter::cht_max || limit.parameter == limit_parameter::cht_high ||
                     limit.parameter == limit_parameter::cht_above_others ||
                     limit.parameter == limit_parameter::cht_cooling ||
                     limit.parameter == limit_parameter::cht_probe_high;
    return unit_symbol(cht ? units.cht : units.other_temperatures);
  }
  return unit_words(kind);
}

std::string condition_text(const limit_condition& c) {
  if (c.subject == condition_subject::none) return "";
  if (c.subject == condition_subject::airborne) return "airborne";
  static constexpr std::string_view ops[] = {">", ">=", "<", "<="};
  char number[32];
  const auto [end, error] = std::to_chars(number, number + sizeof number, c.value);
  const std::string_view value =
      error == std::errc() ? std::string_view(number, static_cast<std::size_t>(end - number)) : std::string_view("?");
  return std::string(c.subject == condition_subject::rpm ? "rpm " : "ias ") +
         std::string(ops[static_cast<std::size_t>(c.op)]) + " " + std::string(value);
}
