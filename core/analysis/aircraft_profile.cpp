#include "analysis/aircraft_profile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "analysis/setting_line.h"

namespace {

// A number setting of the flight phases: its name, unit, range and place.
struct phase_setting {
  std::string_view name;
  std::string_view unit;
  double least;
  double most;
  double phase_thresholds::*value;
};

constexpr std::array<phase_setting, 13> phase_settings = {{
    {"liftoff_speed", "kt", 10, 400, &phase_thresholds::liftoff_kt},
    {"liftoff_time", "s", 0, 120, &phase_thresholds::liftoff_s},
    {"touchdown_time", "s", 0, 120, &phase_thresholds::touchdown_s},
    {"taxi_speed", "kt", 1, 100, &phase_thresholds::taxi_kt},
    {"moving_speed", "kt", 0.5, 50, &phase_thresholds::moving_kt},
    {"runup_rpm", "rpm", 100, 10000, &phase_thresholds::runup_rpm},
    {"runup_time", "s", 0, 600, &phase_thresholds::runup_s},
    {"takeoff_rpm", "rpm", 100, 10000, &phase_thresholds::takeoff_rpm},
    {"climb_rate", "fpm", 10, 10000, &phase_thresholds::climb_fpm},
    {"climb_time", "s", 0, 600, &phase_thresholds::climb_s},
    {"cruise_time", "s", 0, 600, &phase_thresholds::cruise_s},
    {"descent_time", "s", 0, 600, &phase_thresholds::descent_s},
    {"approach_height", "ft", 100, 10000, &phase_thresholds::approach_ft},
}};

constexpr std::array<std::string_view, 6> aircraft_settings = {"tail",          "cylinders", "horsepower",
                                                               "fuel_capacity", "induction", "aux1 to aux6"};

constexpr std::array<std::string_view, 3> aux_quantity_names = {"none", "manifold_pressure_inhg",
                                                                "fuel_pressure_psi"};

constexpr std::size_t most_tail_bytes = 16;

std::string known_settings() {
  std::string names;
  for (std::string_view n : aircraft_settings) {
    if (!names.empty()) names += ", ";
    names += n;
  }
  for (const phase_setting& s : phase_settings) names += ", " + std::string(s.name);
  return names + ", and the limits of a limits file";
}

std::string range_text(double least, double most) {
  char text[64];
  std::snprintf(text, sizeof text, "from %g to %g", least, most);
  return text;
}

// A number in [least, most], then an optional unit among units; returns the error or "".
std::string read_bounded(setting_line& in, std::string_view name, double least, double most,
                         std::initializer_list<std::string_view> units, double& value, std::string_view* unit_read) {
  if (std::string error = read_setting_number(in, value, "after \"=\""); !error.empty()) return error;
  const std::string_view unit = in.item();
  if (!unit.empty()) {
    if (std::find(units.begin(), units.end(), unit) == units.end()) {
      std::string fits;
      for (std::string_view u : units) fits += (fits.empty() ? "" : " or ") + std::string(u);
      return "unit " + quoted(unit) + " does not fit " + std::string(name) + " (" + (fits.empty() ? "none" : fits) + ")";
    }
    if (unit_read != nullptr) *unit_read = unit;
  }
  if (!in.at_end()) return "unexpected " + quoted(in.next_item());
  if (!(value >= least && value <= most)) {
    char shown[32];
    std::snprintf(shown, sizeof shown, "%g", value);
    return std::string(name) + " must lie " + range_text(least, most) + ", not " + shown;
  }
  return "";
}

// One aircraft setting on profile; returns the error or "".
std::string read_aircraft_setting(std::string_view name, setting_line& in, aircraft_profile& p) {
  if (name == "tail") {
    const std::string_view tail = in.item();
    if (tail.empty()) return "expected the registration after \"=\"";
    if (!in.at_end()) return "unexpected " + quoted(in.next_item()) + " (a registration has no blanks)";
    const bool plain = std::all_of(tail.begin(), tail.end(), [](char c) { return setting_line::is_word_char(c) || c == '-'; });
    if (!plain || tail.size() > most_tail_bytes) {
      return "tail " + quoted(tail) + " is not a registration (letters, digits and '-', at most 16)";
    }
    p.tail = std::string(tail);
    return "";
  }
  if (name == "induction") {
    const std::string_view kind = in.word();
    if (kind != "carbureted" && kind != "injected") {
      return "induction is carbureted or injected, not " + quoted(kind.empty() ? in.next_item() : kind);
    }
    if (!in.at_end()) return "unexpected " + quoted(in.next_item());
    p.induction = kind == "injected" ? induction_kind::injected : induction_kind::carbureted;
    return "";
  }
  double value = 0.0;
  if (name == "cylinders") {
    if (std::string e = read_bounded(in, name, 1, 6, {}, value, nullptr); !e.empty()) return e;
    if (value != std::floor(value)) return "cylinders is a whole number from 1 to 6";
    p.cylinders = static_cast<int>(value);
    return "";
  }
  if (name == "horsepower") {
    if (std::string e = read_bounded(in, name, 1, 10000, {"hp"}, value, nullptr); !e.empty()) return e;
    p.horsepower = value;
    return "";
  }
  if (name == "fuel_capacity") {
    std::string_view unit;
    if (std::string e = read_bounded(in, name, 0.1, 100000, {"gal", "L"}, value, &unit); !e.empty()) return e;
    p.fuel_capacity = value;
    if (!unit.empty()) p.fuel_capacity_unit = unit == "L" ? fluid_unit::litres : fluid_unit::us_gallons;
    return "";
  }
  return "?";
}

// auxN = QUANTITY [/ number | * number]
std::string read_aux_setting(std::size_t input, setting_line& in, aircraft_profile& p) {
  const std::string_view q = in.word();
  const auto found = std::find(aux_quantity_names.begin(), aux_quantity_names.end(), q);
  if (q.empty() || found == aux_quantity_names.end()) {
    return "unknown quantity " + quoted(q.empty() ? in.next_item() : q) +
           " (known: manifold_pressure_inhg, fuel_pressure_psi, none)";
  }
  aux_channel channel;
  channel.quantity = static_cast<aux_quantity>(found - aux_quantity_names.begin());
  const bool divide = in.symbol("/");
  if (divide || in.symbol("*")) {
    double factor = 0.0;
    if (std::string e = read_setting_number(in, factor, divide ? "after \"/\"" : "after \"*\""); !e.empty()) return e;
    if (!(std::fabs(factor) >= 0.0001)) return "the scale of an aux input must not be 0";
    channel.scale = divide ? 1.0 / factor : factor;
  }
  if (!in.at_end()) return "expected \"/\", \"*\" or the end of the line, found " + quoted(in.next_item());
  if (channel.quantity != aux_quantity::none) {
    for (std::size_t i = 0; i < aux_channel_count; ++i) {
      if (i != input && p.aux[i].quantity == channel.quantity) {
        return std::string(aux_quantity_name(channel.quantity)) + " is already on aux" + std::to_string(i + 1);
      }
    }
  }
  p.aux[input] = channel;
  return "";
}

// The speeds must keep their order, or no phase could be told from the next.
std::string check_speeds(const phase_thresholds& t) {
  if (!(t.moving_kt < t.taxi_kt)) return "moving_speed must be below taxi_speed";
  if (!(t.taxi_kt < t.liftoff_kt)) return "taxi_speed must be below liftoff_speed";
  return "";
}

// Reads one line; returns the error, or "" with key set to the setting read (empty for a
// blank line or a comment).
std::string read_line(std::string_view line, int line_number, aircraft_profile& p, std::string& key) {
  key.clear();
  if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
  setting_line in(line);
  if (in.at_end()) return "";
  setting_line peek = in;
  const std::string_view name = peek.word();
  if (is_limit_parameter(name)) {
    aircraft_limit limit{};
    bool is_limit = false;
    if (std::string e = parse_limit_line(line, limit, is_limit); !e.empty()) return e;
    limit.line = line_number;
    const std::string condition = condition_text(limit.when);
    key = std::string(name) + (condition.empty() ? "" : " when " + condition);
    const auto same = std::find_if(p.limits.begin(), p.limits.end(), [&](const aircraft_limit& l) {
      return l.parameter == limit.parameter && l.when == limit.when;
    });
    if (same != p.limits.end()) {
      *same = limit;
    } else if (p.limits.size() == max_limits) {
      return "more than " + std::to_string(max_limits) + " limits";
    } else {
      p.limits.push_back(limit);
    }
    return "";
  }
  in.word();
  const bool aircraft = std::find(aircraft_settings.begin(), aircraft_settings.end(), name) != aircraft_settings.end();
  const bool aux = name.size() == 4 && name.starts_with("aux") && name[3] >= '1' && name[3] <= '6';
  const auto phase = std::find_if(phase_settings.begin(), phase_settings.end(),
                                  [&](const phase_setting& s) { return s.name == name; });
  if (!aircraft && !aux && phase == phase_settings.end()) {
    return "unknown setting " + quoted(name.empty() ? in.next_item() : name) + " (known: " + known_settings() + ")";
  }
  if (!in.symbol("=")) return "expected \"=\" after " + std::string(name);
  key = std::string(name);
  if (aux) return read_aux_setting(static_cast<std::size_t>(name[3] - '1'), in, p);
  if (aircraft) return read_aircraft_setting(name, in, p);
  double value = 0.0;
  if (std::string e = read_bounded(in, name, phase->least, phase->most, {phase->unit}, value, nullptr); !e.empty()) {
    return e;
  }
  p.phases.*(phase->value) = value;
  return check_speeds(p.phases);
}

}  // namespace

profile_parse_result read_aircraft_profile(std::string_view text, aircraft_profile& profile) {
  profile_parse_result result;
  aircraft_profile read = profile;
  // A byte-order mark, which some editors put before UTF-8 text, is not part of the first line.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<std::pair<std::string, int>> given;  // each setting read, with its line
  int line_number = 0;
  while (!text.empty()) {
    ++line_number;
    const std::size_t newline = text.find('\n');
    const std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    std::string key;
    std::string error = read_line(line, line_number, read, key);
    if (error.empty() && !key.empty()) {
      for (const auto& [earlier, at] : given) {
        if (earlier == key) error = key + " is already given on line " + std::to_string(at);
      }
      given.emplace_back(key, line_number);
    }
    if (!error.empty()) {
      result.error_line = line_number;
      result.error = error;
      return result;
    }
  }
  profile = std::move(read);
  return result;
}

std::size_t fitted_cylinders(const aircraft_profile& profile, std::int32_t log_setting) {
  if (profile.cylinders >= 1 && profile.cylinders <= 6) return static_cast<std::size_t>(profile.cylinders);
  if (log_setting >= 1 && log_setting <= 6) return static_cast<std::size_t>(log_setting);
  return 6;
}

std::optional<std::size_t> aux_input_of(const aircraft_profile& profile, aux_quantity q) {
  for (std::size_t i = 0; i < aux_channel_count; ++i) {
    if (profile.aux[i].quantity == q) return i;
  }
  return std::nullopt;
}

std::vector<aircraft_limit> limits_to_check(const aircraft_profile& profile, std::vector<aircraft_limit> file) {
  std::vector<aircraft_limit> limits;
  for (const aircraft_limit& p : profile.limits) {
    const bool replaced = std::any_of(file.begin(), file.end(), [&](const aircraft_limit& l) {
      return l.parameter == p.parameter && l.when == p.when;
    });
    if (!replaced) limits.push_back(p);
  }
  limits.insert(limits.end(), file.begin(), file.end());
  return limits;
}

std::string_view aux_quantity_name(aux_quantity q) { return aux_quantity_names[static_cast<std::size_t>(q)]; }

std::string_view induction_name(induction_kind i) {
  switch (i) {
    case induction_kind::carbureted: return "carbureted";
    case induction_kind::injected: return "injected";
    case induction_kind::not_said: break;
  }
  return "";
}

std::vector<phase_setting_view> phase_settings_of(const phase_thresholds& t) {
  std::vector<phase_setting_view> views;
  views.reserve(phase_settings.size());
  for (const phase_setting& s : phase_settings) views.push_back({s.name, s.unit, t.*(s.value)});
  return views;
}
