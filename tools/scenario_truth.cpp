#include "scenario_truth.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "scenario_engine.h"
#include "utc_calendar.h"

const char* phase_name(flown_phase p) {
  switch (p) {
    case flown_phase::taxi_out: return "taxi_out";
    case flown_phase::runup: return "runup";
    case flown_phase::takeoff_roll: return "takeoff_roll";
    case flown_phase::climb: return "climb";
    case flown_phase::cruise: return "cruise";
    case flown_phase::descent: return "descent";
    case flown_phase::approach: return "approach";
    case flown_phase::landing_roll: return "landing_roll";
    case flown_phase::taxi_in: return "taxi_in";
  }
  return "?";
}

void truth_stat::add(double v) {
  min = count == 0 ? v : std::min(min, v);
  max = count == 0 ? v : std::max(max, v);
  sum += v;
  ++count;
}

std::optional<double> truth_stat::mean() const {
  if (count == 0) return std::nullopt;
  return sum / static_cast<double>(count);
}

std::optional<std::int64_t> scenario_truth::utc_of(int segment, std::uint32_t log_ms) const {
  if (segment < 0 || static_cast<std::size_t>(segment) >= segments.size()) return std::nullopt;
  return segments[static_cast<std::size_t>(segment)].utc_ms_at_log_zero + log_ms;
}

std::string utc_text(std::int64_t utc_ms) {
  const civil_day d = civil_from_days(utc_day_of(utc_ms));
  const std::int64_t ms = utc_ms_of_day(utc_ms);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", d.year, d.month, d.day,
                static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                static_cast<int>(ms % 1000));
  return text;
}

namespace {

// A small JSON writer: members are written in the order given, numbers in their shortest form.
class json_out {
 public:
  std::string text;

  void open(char bracket) {
    comma();
    text += bracket;
    first_ = true;
  }
  void close(char bracket) {
    text += bracket;
    first_ = false;
  }
  void key(const char* name) {
    comma();
    text += '"';
    text += name;
    text += "\":";
    first_ = true;  // the value follows without a comma
  }
  void number(double v) {
    comma();
    if (!std::isfinite(v)) {
      text += "null";
      return;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", v);
    text += buffer;
  }
  void integer(std::int64_t v) {
    comma();
    text += std::to_string(v);
  }
  void string(const std::string& s) {
    comma();
    text += '"';
    for (const char c : s) {
      if (c == '"' || c == '\\') text += '\\';
      text += c;
    }
    text += '"';
  }
  void boolean(bool b) {
    comma();
    text += b ? "true" : "false";
  }
  void null() {
    comma();
    text += "null";
  }

 private:
  void comma() {
    if (!first_) text += ',';
    first_ = false;
  }
  bool first_ = true;
};

void write_moment(json_out& j, const char* name, const truth_moment& m) {
  j.key(name);
  j.open('{');
  j.key("scenario_s");
  j.number(m.scenario_s);
  j.key("utc");
  j.string(utc_text(m.utc_ms));
  j.key("utc_ms");
  j.integer(m.utc_ms);
  j.key("log_ms");
  if (m.logged) {
    j.integer(m.log_ms);
  } else {
    j.null();
  }
  j.key("segment");
  j.integer(m.segment);
  j.close('}');
}

void write_moment(json_out& j, const char* name, const std::optional<truth_moment>& m) {
  if (m) {
    write_moment(j, name, *m);
  } else {
    j.key(name);
    j.null();
  }
}

void write_position(json_out& j, const char* name, geo_position p) {
  j.key(name);
  j.open('[');
  j.number(std::round(p.latitude * 1e7) / 1e7);
  j.number(std::round(p.longitude * 1e7) / 1e7);
  j.close(']');
}

void write_means(json_out& j, const char* name, const std::array<truth_stat, 6>& stats, int cylinders) {
  j.key(name);
  j.open('[');
  for (int i = 0; i < cylinders; ++i) {
    const std::optional<double> m = stats[static_cast<std::size_t>(i)].mean();
    if (m) {
      j.number(std::round(*m * 1000.0) / 1000.0);
    } else {
      j.null();
    }
  }
  j.close(']');
}

void write_stat(json_out& j, const char* name, const truth_stat& s) {
  j.key(name);
  if (s.count == 0) {
    j.null();
    return;
  }
  j.open('{');
  j.key("mean");
  j.number(std::round(*s.mean() * 1000.0) / 1000.0);
  j.key("min");
  j.number(s.min);
  j.key("max");
  j.number(s.max);
  j.close('}');
}

void write_flight(json_out& j, const truth_flight& f, int cylinders) {
  j.open('{');
  write_moment(j, "engine_start", f.engine_start);
  write_moment(j, "out", f.out);
  write_position(j, "departure", f.departure);
  j.key("takeoffs");
  j.open('[');
  for (const truth_takeoff& t : f.takeoffs) {
    j.open('{');
    write_moment(j, "when", t.when);
    write_position(j, "position", t.position);
    j.key("line");
    j.integer(t.line);
    j.close('}');
  }
  j.close(']');
  j.key("landings");
  j.open('[');
  for (const truth_landing& l : f.landings) {
    j.open('{');
    write_moment(j, "when", l.when);
    write_position(j, "position", l.position);
    j.key("kind");
    j.string(l.full_stop ? "full_stop" : "touch_and_go");
    write_position(j, "runway_point", l.runway_point);
    j.key("runway_elevation_ft");
    j.number(l.runway_elevation_ft);
    j.key("runway_heading_deg");
    j.number(std::round(l.runway_heading_deg * 10.0) / 10.0);
    j.key("line");
    j.integer(l.line);
    j.close('}');
  }
  j.close(']');
  write_moment(j, "in", f.in);
  write_moment(j, "engine_stop", f.engine_stop);
  for (const auto& [name, value] : {std::pair{"hobbs_start_h", f.hobbs_start_h},
                                    {"hobbs_end_h", f.hobbs_end_h},
                                    {"fuel_start_gal", f.fuel_start_gal},
                                    {"fuel_end_gal", f.fuel_end_gal}}) {
    j.key(name);
    if (value) {
      j.number(*value);
    } else {
      j.null();
    }
  }
  j.key("phases");
  j.open('[');
  for (const truth_phase& p : f.phases) {
    j.open('{');
    j.key("phase");
    j.string(phase_name(p.phase));
    write_moment(j, "start", p.start);
    write_moment(j, "end", p.end);
    j.key("eis_records");
    j.integer(static_cast<std::int64_t>(p.engine.rpm.count));
    write_means(j, "cht_mean", p.engine.cht, cylinders);
    write_means(j, "egt_mean", p.engine.egt, cylinders);
    write_means(j, "model_cht_mean", p.engine.model_cht, cylinders);
    write_stat(j, "rpm", p.engine.rpm);
    write_stat(j, "oil_temperature_f", p.engine.oil_temperature_f);
    write_stat(j, "oil_pressure_psi", p.engine.oil_pressure_psi);
    write_stat(j, "fuel_flow_gph", p.engine.fuel_flow_gph);
    write_stat(j, "manifold_pressure_inhg", p.engine.manifold_pressure_inhg);
    j.close('}');
  }
  j.close(']');
  j.close('}');
}

const char* segment_start_name(segment_start s) {
  switch (s) {
    case segment_start::power_up: return "power_up";
    case segment_start::power_off: return "power_off";
    case segment_start::clock_restart: return "clock_restart";
  }
  return "?";
}

}  // namespace

std::string truth_json(const scenario_truth& truth) {
  json_out j;
  j.open('{');
  j.key("start_utc");
  j.string(utc_text(truth.start_utc_ms));
  j.key("seconds");
  j.number(truth.seconds);
  j.key("cylinders");
  j.integer(truth.cylinders);
  j.key("aux");
  j.open('[');
  for (const aux_input a : truth.aux) j.string(aux_input_name(a));
  j.close(']');
  j.key("gps");
  j.open('[');
  for (const gps_sentences g : truth.gps) j.string(gps_sentences_name(g));
  j.close(']');
  j.key("segments");
  j.open('[');
  for (const truth_segment& s : truth.segments) {
    j.open('{');
    j.key("start");
    j.string(segment_start_name(s.start));
    j.key("off_seconds");
    j.number(s.off_seconds);
    j.key("first_log_ms");
    j.integer(s.first_log_ms);
    j.key("last_log_ms");
    j.integer(s.last_log_ms);
    j.key("utc_ms_at_log_zero");
    j.integer(s.utc_ms_at_log_zero);
    j.key("first_utc");
    j.string(utc_text(s.first_utc_ms));
    j.key("last_utc");
    j.string(utc_text(s.last_utc_ms));
    j.key("records");
    j.integer(static_cast<std::int64_t>(s.records));
    j.close('}');
  }
  j.close(']');
  j.key("flights");
  j.open('[');
  for (const truth_flight& f : truth.flights) write_flight(j, f, truth.cylinders);
  j.close(']');
  j.key("ground_runs");
  j.open('[');
  for (const truth_flight& f : truth.ground_runs) write_flight(j, f, truth.cylinders);
  j.close(']');
  j.key("engine_events");
  j.open('[');
  for (const truth_engine_event& e : truth.engine_events) {
    j.open('{');
    j.key("kind");
    j.string(event_kind_name(e.event.kind));
    j.key("cylinder");
    j.integer(e.event.cylinder);
    j.key("value");
    j.number(e.event.value);
    j.key("jumping");
    j.boolean(e.event.jumping);
    if (e.event.kind == engine_event_kind::mixture_rich || e.event.kind == engine_event_kind::mixture_lean) {
      const mixture_offsets& m = e.event.kind == engine_event_kind::mixture_rich ? rich_mixture : lean_mixture;
      j.key("cht_offset_f");
      j.number(m.cht_f);
      j.key("egt_offset_f");
      j.number(m.egt_f);
      j.key("fuel_flow_factor");
      j.number(m.fuel_flow_factor);
    }
    j.key("line");
    j.integer(e.event.line);
    write_moment(j, "start", e.start);
    write_moment(j, "end", e.end);
    j.close('}');
  }
  j.close(']');
  j.key("gps_fixes");
  j.open('[');
  for (const truth_fix& f : truth.fixes) {
    j.open('[');
    j.integer(f.port);
    j.integer(f.utc_ms);
    j.integer(f.arrival_log_ms);
    j.integer(f.segment);
    j.close(']');
  }
  j.close(']');
  j.key("gps_fix_columns");
  j.open('[');
  for (const char* c : {"port", "utc_ms", "arrival_log_ms", "segment"}) j.string(c);
  j.close(']');
  j.close('}');
  j.text += '\n';
  return j.text;
}
