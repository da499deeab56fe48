#include "analysis/limits.h"

#include <array>
#include <cstdio>

#include "text/char_class.h"
#include "text/float_from_chars.h"

namespace {

enum class limit_kind : std::uint8_t { temperature, temperature_span, pressure, rpm, voltage, airspeed };

struct parameter_row {
  std::string_view name;
  limit_parameter parameter;
  limit_kind kind;
  bool maximum;
  bool per_cylinder;
};

constexpr std::array<parameter_row, 11> limit_parameters = {{
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
}};

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

// The numbers a limits file may hold: no limit or condition of an aircraft lies outside them, and
// inside them every value is shown and compared as written (inf, nan and 1e300 are refused).
constexpr double largest_limit_value = 100000.0;

enum class number_read : std::uint8_t { number, none, out_of_range };

bool is_word_char(char c) { return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

// Reads one line of the file, left to right.
class line_reader {
 public:
  explicit line_reader(std::string_view text) : text_(text) {}

  void skip_blanks() {
    while (!text_.empty() && (text_[0] == ' ' || text_[0] == '\t' || text_[0] == '\r')) text_.remove_prefix(1);
  }
  bool at_end() {
    skip_blanks();
    return text_.empty();
  }
  std::string_view word() {
    skip_blanks();
    std::size_t n = 0;
    while (n < text_.size() && is_word_char(text_[n])) ++n;
    return take(n);
  }
  bool symbol(std::string_view s) {
    skip_blanks();
    if (!text_.starts_with(s)) return false;
    text_.remove_prefix(s.size());
    return true;
  }
  number_read number(double& value, std::string_view& written) {
    skip_blanks();
    const char* begin = text_.data();
    const auto [end, error] = float_from_chars(begin, begin + text_.size(), value, std::chars_format::fixed);
    if (error != std::errc() && error != std::errc::result_out_of_range) return number_read::none;
    written = take(static_cast<std::size_t>(end - begin));
    if (error != std::errc() || !(value >= -largest_limit_value && value <= largest_limit_value)) {
      return number_read::out_of_range;
    }
    return number_read::number;
  }
  // The rest of the line up to the next blank, for messages.
  std::string_view next_item() {
    skip_blanks();
    std::size_t n = 0;
    while (n < text_.size() && text_[n] != ' ' && text_[n] != '\t') ++n;
    return text_.substr(0, n);
  }

 private:
  std::string_view take(std::size_t n) {
    const std::string_view w = text_.substr(0, n);
    text_.remove_prefix(n);
    return w;
  }
  std::string_view text_;
};

std::string quoted(std::string_view s) {
  std::string q;
  q.reserve(s.size() + 2);
  q += '"';
  q.append(s);
  q += '"';
  return q;
}

// Reads a number into value; returns the error, or "" when there is one in range.
std::string read_number(line_reader& in, double& value, std::string_view where) {
  std::string_view written;
  switch (in.number(value, written)) {
    case number_read::number: return "";
    case number_read::none: return "expected a number " + std::string(where) + ", found " + quoted(in.next_item());
    case number_read::out_of_range: break;
  }
  char range[64];
  std::snprintf(range, sizeof range, " is not a number from %.0f to %.0f", -largest_limit_value, largest_limit_value);
  return quoted(written) + range;
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
  line_reader in(line);
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
  if (std::string error = read_number(in, limit.value, "after \"=\""); !error.empty()) return error;
  std::string_view next = in.word();
  if (!next.empty() && next != "when") {
    const bool temperature = row->kind == limit_kind::temperature || row->kind == limit_kind::temperature_span;
    if (temperature && (next == "F" || next == "C")) {
      limit.has_temperature_unit = true;
      limit.unit = next == "C" ? temperature_unit::celsius : temperature_unit::fahrenheit;
    } else if (temperature || next != unit_words(row->kind)) {
      return "unit " + quoted(next) + " does not fit " + std::string(name) + " (" + std::string(unit_words(row->kind)) +
             ")";
    }
    next = in.word();
    if (!next.empty() && next != "when") return "expected \"when\" or the end of the line, found " + quoted(next);
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
      if (std::string error = read_number(in, limit.when.value, "in the condition"); !error.empty()) return error;
    } else {
      return "unknown condition " + quoted(subject.empty() ? in.next_item() : subject) +
             " (known: airborne, rpm <op> number, ias <op> number)";
    }
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
        if (earlier.parameter == limit.parameter && earlier.when == limit.when) {
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

std::string_view limit_name(limit_parameter p) { return row_of(p).name; }
bool is_maximum(limit_parameter p) { return row_of(p).maximum; }
bool is_per_cylinder(limit_parameter p) { return row_of(p).per_cylinder; }

std::string_view limit_unit_symbol(const aircraft_limit& limit, const engine_units& units) {
  const limit_kind kind = row_of(limit.parameter).kind;
  if (kind == limit_kind::temperature || kind == limit_kind::temperature_span) {
    if (limit.has_temperature_unit) return unit_symbol(limit.unit);
    return unit_symbol(limit.parameter == limit_parameter::cht_max ? units.cht : units.other_temperatures);
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
