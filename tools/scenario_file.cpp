#include "scenario_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "utc_calendar.h"

namespace {

// Thrown inside the reader, caught at its top with the line.
struct bad_line : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A departure or landing farther than this from where the aircraft stands cannot be taxied to.
constexpr double longest_taxi_m = 5000.0;
// Longer than this for a single step or time, or for the timed steps together, would run the
// LOG timer towards its end (some 49 days).
constexpr double longest_seconds = 14.0 * 86400.0;
constexpr double longest_scenario_seconds = 30.0 * 86400.0;

std::vector<std::string_view> words_of(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    std::size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
    if (j > i) words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words;
}

double number(std::string_view word, const char* what, double lo, double hi) {
  const std::string text(word);
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) {
    throw bad_line(std::string("bad ") + what + " '" + text + "'");
  }
  if (value < lo || value > hi) {
    char range[96];
    std::snprintf(range, sizeof range, " (from %g to %g)", lo, hi);
    throw bad_line(std::string(what) + " '" + text + "' out of range" + range);
  }
  return value;
}

// "90", "4:00", "1:04:30", "12.5": seconds.
double time_of(std::string_view word, const char* what) {
  double seconds = 0.0;
  std::size_t start = 0;
  int parts = 0;
  for (;;) {
    const std::size_t colon = word.find(':', start);
    const std::string_view part =
        word.substr(start, colon == std::string_view::npos ? word.size() - start : colon - start);
    const bool last = colon == std::string_view::npos;
    if (part.empty() || (!last && part.find('.') != std::string_view::npos) || part[0] == '-' || part[0] == '+') {
      throw bad_line(std::string("bad ") + what + " '" + std::string(word) + "' (seconds, m:ss or h:mm:ss)");
    }
    const double value = number(part, what, 0.0, longest_seconds);
    if (parts > 0 && value >= 60.0) throw bad_line(std::string("bad ") + what + " '" + std::string(word) + "'");
    seconds = seconds * 60.0 + value;
    if (++parts > 3) throw bad_line(std::string("bad ") + what + " '" + std::string(word) + "'");
    if (last) break;
    start = colon + 1;
  }
  return seconds;
}

void expect_count(const std::vector<std::string_view>& w, std::size_t lo, std::size_t hi, const char* usage) {
  if (w.size() < lo || w.size() > hi) throw bad_line(std::string("expected: ") + usage);
}

// 2026-05-09T03:30:00Z or 2026-05-09T03:30:00.250Z
std::int64_t utc_of(std::string_view word) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  int consumed = 0;
  const std::string text(word);
  if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &y, &mo, &d, &h, &mi, &s, &consumed) != 6 ||
      consumed != 19) {
    throw bad_line("bad start time '" + text + "' (e.g. 2026-05-09T03:30:00Z)");
  }
  std::string_view rest = word.substr(19);
  int ms = 0;
  if (!rest.empty() && rest[0] == '.') {
    std::size_t digits = 1;
    int scale = 100;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') {
      if (scale > 0) ms += (rest[digits] - '0') * scale;
      scale /= 10;
      ++digits;
    }
    if (digits == 1) throw bad_line("bad start time '" + text + "'");
    rest = rest.substr(digits);
  }
  if (rest != "Z" || y < 1990 || y > 2200 || mo < 1 || mo > 12 || d < 1 || d > days_in_month(y, mo) || h > 23 ||
      mi > 59 || s > 59) {
    throw bad_line("bad start time '" + text + "' (UTC, e.g. 2026-05-09T03:30:00Z)");
  }
  return (days_from_civil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s) * 1000 + ms;
}

geo_position position_of(const std::vector<std::string_view>& w) {
  return {number(w[1], "latitude", -89.0, 89.0), number(w[2], "longitude", -180.0, 180.0)};
}

struct reader {
  scenario out;
  std::map<std::string, int> given;  // settings already given, and the line
  bool gps_named = false;
  std::array<gps_sentences, 2> gps = {gps_sentences::none, gps_sentences::none};

  void once(const std::string& key, int line) {
    const auto [it, fresh] = given.emplace(key, line);
    if (!fresh) throw bad_line(key + " given twice (first on line " + std::to_string(it->second) + ")");
  }

  void runway_step(scenario_step& s, const std::vector<std::string_view>& w, const char* usage) {
    expect_count(w, 4, 5, usage);
    s.at = position_of(w);
    s.elevation_ft = number(w[3], "elevation", -1500.0, 15000.0);
    if (w.size() == 5) {
      s.heading_deg = number(w[4], "runway heading", 0.0, 360.0);
      s.heading_given = true;
    }
  }

  // `from T [to T]`, from word i on.
  void window(engine_event& e, const std::vector<std::string_view>& w, std::size_t i, const char* first) {
    if (w.size() <= i + 1 || w[i] != first) throw bad_line(std::string("expected '") + first + " TIME'");
    e.start_s = time_of(w[i + 1], "time");
    i += 2;
    if (w.size() > i + 1 && w[i] == "to") {
      e.end_s = time_of(w[i + 1], "time");
      if (e.end_s <= e.start_s) throw bad_line("the end is not after the start");
      i += 2;
    }
    if (e.kind == engine_event_kind::cht_probe_fail || e.kind == engine_event_kind::egt_probe_fail) {
      if (w.size() == i + 2 && w[i] == "reads") {
        e.value = number(w[i + 1], "probe reading", 0.0, 65535.0);
        i += 2;
      } else if (w.size() == i + 1 && w[i] == "jumping") {
        e.jumping = true;
        i += 1;
      }
    }
    if (i != w.size()) throw bad_line("unexpected '" + std::string(w[i]) + "'");
  }

  void line(const std::vector<std::string_view>& w, int number_of_line) {
    const std::string_view c = w[0];
    scenario_settings& set = out.settings;
    if (c == "start") {
      expect_count(w, 2, 2, "start YYYY-MM-DDTHH:MM:SSZ");
      once("start", number_of_line);
      set.start_utc_ms = utc_of(w[1]);
    } else if (c == "seed") {
      expect_count(w, 2, 2, "seed N");
      once("seed", number_of_line);
      const std::string text(w[1]);
      char* end = nullptr;
      errno = 0;
      set.seed = std::strtoull(text.c_str(), &end, 10);
      if (errno != 0 || text[0] < '0' || text[0] > '9' || end != text.c_str() + text.size()) {
        throw bad_line("bad seed '" + text + "'");
      }
    } else if (c == "cylinders") {
      expect_count(w, 2, 2, "cylinders 4|6");
      once("cylinders", number_of_line);
      if (w[1] != "4" && w[1] != "6") throw bad_line("cylinders is 4 or 6");
      set.cylinders = w[1][0] - '0';
    } else if (c.size() == 4 && c.substr(0, 3) == "aux" && c[3] >= '1' && c[3] <= '6') {
      expect_count(w, 2, 2, "auxN manifold|fuel-pressure|none");
      once(std::string(c), number_of_line);
      aux_input& a = set.aux[static_cast<std::size_t>(c[3] - '1')];
      if (w[1] == "manifold") {
        a = aux_input::manifold_pressure;
      } else if (w[1] == "fuel-pressure") {
        a = aux_input::fuel_pressure;
      } else if (w[1] == "none") {
        a = aux_input::none;
      } else {
        throw bad_line("an aux input carries manifold, fuel-pressure or none");
      }
    } else if (c == "gps-port") {
      expect_count(w, 2, 3, "gps-port 1|2|both [aviation|aviation-3|nmea|none]");
      if (w[1] != "1" && w[1] != "2" && w[1] != "both") throw bad_line("the GPS port is 1, 2 or both");
      gps_sentences format = gps_sentences::none;
      if (w.size() == 3) {
        if (w[2] == "aviation") {
          format = gps_sentences::aviation;
        } else if (w[2] == "aviation-3") {
          format = gps_sentences::aviation_3;
        } else if (w[2] == "nmea") {
          format = gps_sentences::nmea;
        } else if (w[2] != "none") {
          throw bad_line("the sentences are aviation, aviation-3, nmea or none");
        }
      }
      for (int port = 1; port <= 2; ++port) {
        if (w[1] != "both" && w[1][0] - '0' != port) continue;
        once("gps-port " + std::to_string(port), number_of_line);
        const gps_sentences usual = port == 1 ? gps_sentences::aviation : gps_sentences::nmea;
        gps[static_cast<std::size_t>(port - 1)] = w.size() == 3 ? format : usual;
      }
      gps_named = true;
    } else if (c == "gps-delay") {
      expect_count(w, 3, 3, "gps-delay MIN_S MAX_S");
      once("gps-delay", number_of_line);
      set.gps_delay_min_s = number(w[1], "delay", 0.0, 2.0);
      set.gps_delay_max_s = number(w[2], "delay", 0.0, 2.0);
      if (set.gps_delay_max_s < set.gps_delay_min_s) throw bad_line("the longest delay is shorter than the shortest");
    } else if (c == "gps-fraction") {
      expect_count(w, 2, 2, "gps-fraction on|off");
      once("gps-fraction", number_of_line);
      if (w[1] != "on" && w[1] != "off") throw bad_line("gps-fraction is on or off");
      set.gps_fraction = w[1] == "on";
    } else if (c == "gps-epoch") {
      expect_count(w, 2, 2, "gps-epoch SECONDS");
      once("gps-epoch", number_of_line);
      set.gps_epoch_s = number(w[1], "epoch", 0.0, 0.999);
    } else if (c == "gps-acquire") {
      expect_count(w, 2, 2, "gps-acquire SECONDS");
      once("gps-acquire", number_of_line);
      set.gps_acquire_s = number(w[1], "acquisition time", 0.0, 600.0);
    } else if (c == "variation") {
      expect_count(w, 2, 2, "variation DEGREES_EAST");
      once("variation", number_of_line);
      set.variation_deg = number(w[1], "variation", -90.0, 90.0);
    } else if (c == "wind") {
      expect_count(w, 3, 3, "wind FROM_DEG KT");
      once("wind", number_of_line);
      set.wind_from_deg = number(w[1], "wind direction", 0.0, 360.0);
      set.wind_kt = number(w[2], "wind speed", 0.0, 40.0);
    } else if (c == "temperature") {
      expect_count(w, 2, 2, "temperature C");
      once("temperature", number_of_line);
      set.temperature_c = number(w[1], "temperature", -40.0, 45.0);
    } else if (c == "spread") {
      expect_count(w, 3, 3, "spread CHT_F EGT_F");
      once("spread", number_of_line);
      set.cht_spread_f = number(w[1], "CHT spread", 0.0, 100.0);
      set.egt_spread_f = number(w[2], "EGT spread", 0.0, 300.0);
    } else if (c == "fuel") {
      expect_count(w, 2, 2, "fuel GALLONS");
      once("fuel", number_of_line);
      set.fuel_gal = number(w[1], "fuel", 0.0, 999.0);
    } else if (c == "log-start") {
      expect_count(w, 2, 2, "log-start MS");
      once("log-start", number_of_line);
      set.first_log_ms = static_cast<std::uint32_t>(number(w[1], "LOG time", 1.0, 3600000.0));
    } else if (c == "cylinder" || c == "mixture" || c == "oil-pressure") {
      event(w, number_of_line);
    } else {
      step(w, number_of_line);
    }
  }

  void event(const std::vector<std::string_view>& w, int number_of_line) {
    engine_event e;
    e.line = number_of_line;
    const std::string_view c = w[0];
    if (c == "cylinder") {
      if (w.size() < 4) throw bad_line("expected: cylinder N cht|egt +DEG from TIME [to TIME], or probe-fail at TIME");
      e.cylinder = static_cast<int>(number(w[1], "cylinder", 1.0, 6.0));
      if (w[1].size() != 1) throw bad_line("bad cylinder '" + std::string(w[1]) + "'");
      if (w[2] != "cht" && w[2] != "egt") throw bad_line("a cylinder's probe is cht or egt");
      const bool cht = w[2] == "cht";
      if (w[3] == "probe-fail") {
        e.kind = cht ? engine_event_kind::cht_probe_fail : engine_event_kind::egt_probe_fail;
        window(e, w, 4, "at");
      } else {
        if (w[3][0] != '+' && w[3][0] != '-') throw bad_line("an offset has its sign: +90 or -40");
        e.kind = cht ? engine_event_kind::cht_offset : engine_event_kind::egt_offset;
        e.value = number(w[3], "offset", -500.0, 500.0);
        window(e, w, 4, "from");
      }
    } else if (c == "mixture") {
      if (w.size() < 2 || (w[1] != "rich" && w[1] != "lean"))
        throw bad_line("expected: mixture rich|lean from TIME [to TIME]");
      e.kind = w[1] == "rich" ? engine_event_kind::mixture_rich : engine_event_kind::mixture_lean;
      window(e, w, 2, "from");
    } else {
      if (w.size() < 2) throw bad_line("expected: oil-pressure PSI from TIME [to TIME]");
      e.kind = engine_event_kind::oil_pressure;
      e.value = number(w[1], "oil pressure", 0.0, 150.0);
      window(e, w, 2, "from");
    }
    out.events.push_back(e);
  }

  void step(const std::vector<std::string_view>& w, int number_of_line) {
    scenario_step s;
    s.line = number_of_line;
    const std::string_view c = w[0];
    if (c == "depart") {
      s.command = scenario_command::depart;
      runway_step(s, w, "depart LAT LON ELEV_FT [RUNWAY_HEADING]");
    } else if (c == "land" || c == "touch-and-go") {
      s.command = c == "land" ? scenario_command::land : scenario_command::touch_and_go;
      runway_step(
          s, w,
          c == "land" ? "land LAT LON ELEV_FT [RUNWAY_HEADING]" : "touch-and-go LAT LON ELEV_FT [RUNWAY_HEADING]");
    } else if (c == "fly-to") {
      s.command = scenario_command::fly_to;
      expect_count(w, 5, 6, "fly-to LAT LON ALT_FT KT [idle]");
      s.at = position_of(w);
      s.altitude_ft = number(w[3], "altitude", 0.0, 18000.0);
      s.speed_kt = number(w[4], "airspeed", 45.0, 200.0);  // from slow flight to a fast cruise
      if (w.size() == 6) {
        if (w[5] != "idle") throw bad_line("unexpected '" + std::string(w[5]) + "' (only idle may follow)");
        s.idle = true;
      }
    } else if (c == "taxi" || c == "wait" || c == "power-off") {
      s.command = c == "taxi"   ? scenario_command::taxi
                  : c == "wait" ? scenario_command::wait
                                : scenario_command::power_off;
      expect_count(w, 2, 2, c == "taxi" ? "taxi SECONDS" : c == "wait" ? "wait SECONDS" : "power-off SECONDS");
      s.seconds = time_of(w[1], "duration");
      if (s.seconds <= 0.0) throw bad_line("the duration must be more than 0");
    } else if (c == "restart-clock") {
      s.command = scenario_command::restart_clock;
      expect_count(w, 1, 2, "restart-clock [SECONDS_OFF]");
      if (w.size() == 2) s.seconds = time_of(w[1], "duration");
    } else if (c == "stop-engine" || c == "start-engine") {
      s.command = c == "stop-engine" ? scenario_command::stop_engine : scenario_command::start_engine;
      expect_count(w, 1, 1, c == "stop-engine" ? "stop-engine" : "start-engine");
    } else {
      throw bad_line("unknown command '" + std::string(c) + "'");
    }
    out.steps.push_back(s);
  }
};

// Follows the aircraft through the steps: each must be one it can take where it is.
void check_steps(const scenario& s) {
  enum class where { parked, ground_running, airborne };
  where state = where::parked;
  std::optional<geo_position> standing;  // the last runway point on the ground
  double seconds = 0.0;                  // of the timed steps so far
  for (const scenario_step& step : s.steps) {
    const auto fail = [&step](const std::string& message) {
      throw scenario_error{step.line, std::string(command_name(step.command)) + " " + message};
    };
    seconds += step.seconds;
    if (seconds > longest_scenario_seconds) fail("makes the scenario longer than 30 days");
    switch (step.command) {
      case scenario_command::depart:
        if (state == where::airborne) fail("in the air: land first");
        if (standing && geo_distance(*standing, step.at) > longest_taxi_m) {
          fail("from a point " + std::to_string(static_cast<long>(geo_distance(*standing, step.at) / 1000.0)) +
               " km from where the aircraft stands");
        }
        state = where::airborne;
        break;
      case scenario_command::fly_to:
        if (state != where::airborne) fail("on the ground: depart first");
        break;
      case scenario_command::land:
      case scenario_command::touch_and_go:
        if (state != where::airborne) fail("on the ground: depart first");
        if (step.command == scenario_command::land) {
          state = where::ground_running;
          standing = step.at;
        }
        break;
      case scenario_command::taxi:
        if (state != where::ground_running) fail(state == where::airborne ? "in the air" : "with the engine stopped");
        break;
      case scenario_command::stop_engine:
        if (state != where::ground_running) fail(state == where::airborne ? "in the air" : "with the engine stopped");
        state = where::parked;
        break;
      case scenario_command::start_engine:
        if (state != where::parked) fail(state == where::airborne ? "in the air" : "with the engine running");
        state = where::ground_running;
        break;
      case scenario_command::wait:
      case scenario_command::power_off:
      case scenario_command::restart_clock: break;
    }
    if (step.command == scenario_command::depart) standing = step.at;
  }
}

}  // namespace

bool read_scenario(std::string_view text, scenario& out, scenario_error& error) {
  reader r;
  int line_number = 0;
  try {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      ++line_number;
      std::string_view line = text.substr(start, end - start);
      start = end + 1;
      const std::size_t hash = line.find('#');
      if (hash != std::string_view::npos) line = line.substr(0, hash);
      if (line.find('\0') != std::string_view::npos) throw bad_line("a NUL byte: not a scenario file");
      const std::vector<std::string_view> words = words_of(line);
      if (!words.empty()) r.line(words, line_number);
    }
    line_number = 0;
    if (!r.given.contains("start")) throw bad_line("no start line: the scenario needs its UTC start");
    if (r.gps_named) r.out.settings.gps = r.gps;
    for (const engine_event& e : r.out.events) {
      if (e.cylinder > r.out.settings.cylinders) {
        error = {e.line, "cylinder " + std::to_string(e.cylinder) + " of an engine of " +
                             std::to_string(r.out.settings.cylinders) + " cylinders"};
        return false;
      }
    }
    check_steps(r.out);
    bool departs = false;
    for (const scenario_step& s : r.out.steps) departs = departs || s.command == scenario_command::depart;
    if (!departs) throw bad_line("no depart line: the aircraft needs a place to start from");
  } catch (const bad_line& e) {
    error = {line_number, e.what()};
    return false;
  } catch (const scenario_error& e) {
    error = e;
    return false;
  }
  out = std::move(r.out);
  return true;
}

std::string error_text(const scenario_error& error) {
  return error.line > 0 ? "line " + std::to_string(error.line) + ": " + error.message : error.message;
}

const char* command_name(scenario_command c) {
  switch (c) {
    case scenario_command::depart: return "depart";
    case scenario_command::fly_to: return "fly-to";
    case scenario_command::land: return "land";
    case scenario_command::touch_and_go: return "touch-and-go";
    case scenario_command::taxi: return "taxi";
    case scenario_command::stop_engine: return "stop-engine";
    case scenario_command::start_engine: return "start-engine";
    case scenario_command::wait: return "wait";
    case scenario_command::power_off: return "power-off";
    case scenario_command::restart_clock: return "restart-clock";
  }
  return "?";
}

const char* event_kind_name(engine_event_kind k) {
  switch (k) {
    case engine_event_kind::cht_offset: return "cht_offset";
    case engine_event_kind::egt_offset: return "egt_offset";
    case engine_event_kind::cht_probe_fail: return "cht_probe_fail";
    case engine_event_kind::egt_probe_fail: return "egt_probe_fail";
    case engine_event_kind::mixture_rich: return "mixture_rich";
    case engine_event_kind::mixture_lean: return "mixture_lean";
    case engine_event_kind::oil_pressure: return "oil_pressure";
    case engine_event_kind::fast_cooling: return "fast_cooling";
  }
  return "?";
}

const char* gps_sentences_name(gps_sentences g) {
  switch (g) {
    case gps_sentences::none: return "none";
    case gps_sentences::aviation: return "aviation";
    case gps_sentences::aviation_3: return "aviation-3";
    case gps_sentences::nmea: return "nmea";
  }
  return "?";
}

const char* aux_input_name(aux_input a) {
  switch (a) {
    case aux_input::none: return "none";
    case aux_input::manifold_pressure: return "manifold_pressure_inhg";
    case aux_input::fuel_pressure: return "fuel_pressure_psi";
  }
  return "?";
}
