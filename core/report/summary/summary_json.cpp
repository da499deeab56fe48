#include "report/summary/summary_json.h"

#include "decode/source_table.h"
#include "report/summary/summary_places.h"
#include "report/summary/logbook_json.h"
#include "report/summary/summary_rules.h"
#include "text/json_writer.h"
#include "text/utc_text.h"

namespace {

std::string_view gps_format_name(std::int32_t format) {
  switch (format) {
    case ORVEX_GPS_FORMAT_AVIATION: return "aviation";
    case ORVEX_GPS_FORMAT_NMEA: return "nmea";
    case ORVEX_GPS_FORMAT_AVIATION_STX: return "aviation_stx";
    default: return "";
  }
}

class summary_json {
 public:
  // Writes to out as it goes: the text of the flights of a long LOG need not all be held at once.
  summary_json(std::string& text, output_writer& out) : text_(text), out_(out), json_(text) {}

  void log(std::string_view file, const log_summary& s, const analysis_options& options);

 private:
  // The instant's UTC, or null where the LOG has no clock or there is no instant.
  void utc(const log_instant* at) {
    if (at != nullptr && at->has_utc) {
      json_.string(iso8601_utc(whole_seconds_of(at->utc_ms)).view());
    } else {
      json_.null();
    }
  }
  void log_time(double seconds) { json_.number(seconds, 3); }
  void instant(const log_instant& at) {
    json_.begin_object();
    json_.key("utc");
    utc(&at);
    json_.key("log_time_s");
    log_time(log_seconds(at.log_ms));
    json_.key("segment").unsigned_integer(at.segment + 1);
    json_.end_object();
  }
  void event(const char* name, const std::optional<log_event>& e) {
    json_.key(name);
    if (!e) {
      json_.null();
      return;
    }
    json_.begin_object();
    json_.key("utc");
    utc(&e->when);
    json_.key("log_time_s");
    log_time(log_seconds(e->when.log_ms));
    json_.key("segment").unsigned_integer(e->when.segment + 1);
    json_.key("latitude_deg")
        .number(e->has_position ? std::optional<double>(e->position.latitude_deg) : std::nullopt, 6);
    json_.key("longitude_deg")
        .number(e->has_position ? std::optional<double>(e->position.longitude_deg) : std::nullopt, 6);
    json_.end_object();
  }
  template <bool Highest>
  void figure(const char* name, const extreme<Highest>& x, int decimals) {
    json_.key(name).number(x.get(), decimals);
  }
  // The cylinders taken, only: a cylinder that is not fitted has no figure.
  void cylinders(const char* name, const highest (&x)[cylinder_count], std::size_t taken) {
    json_.key(name).begin_array();
    for (std::size_t i = 0; i < taken; ++i) {
      const highest& c = x[i];
      json_.begin_object();
      json_.key("value").number(c.get(), 1);
      json_.key("utc");
      utc(c.has ? &c.when : nullptr);
      json_.key("log_time_s").number(c.has ? std::optional<double>(log_seconds(c.when.log_ms)) : std::nullopt, 3);
      json_.end_object();
    }
    json_.end_array();
  }
  // A measure's figures, or null when the LOG gave no value of it.
  void measure(const char* name, const measure_figures& m, int decimals) {
    json_.key(name);
    if (m.count == 0) {
      json_.null();
      return;
    }
    json_.begin_object();
    json_.key("count").unsigned_integer(m.count);
    json_.key("min").number(m.min, decimals);
    json_.key("mean").number(m.mean, decimals + 1);
    json_.key("median").number(m.median, decimals);
    json_.key("max").number(m.max, decimals);
    json_.end_object();
  }
  void per_cylinder(const char* name, const measure_figures (&m)[cylinder_count]) {
    json_.key(name).begin_array();
    for (const measure_figures& c : m) {
      if (c.count == 0) {
        json_.null();
        continue;
      }
      json_.begin_object();
      json_.key("count").unsigned_integer(c.count);
      json_.key("min").number(c.min, 1);
      json_.key("mean").number(c.mean, 2);
      json_.key("median").number(c.median, 1);
      json_.key("max").number(c.max, 1);
      json_.end_object();
    }
    json_.end_array();
  }
  void spread(const char* name, const spread_figures& x) {
    json_.key(name);
    if (x.count == 0) {
      json_.null();
      return;
    }
    json_.begin_object();
    json_.key("mean").number(x.mean, 2);
    json_.key("max").number(x.max, 1);
    json_.end_object();
  }
  void phases(const std::vector<phase_record>& list);
  void profile(const aircraft_profile& p);
  void window(const flight_record& w, int number, const log_summary& s, const logbook_options* logbook = nullptr);
  void exceedances(const std::vector<exceedance>& list, const log_summary& s);
  void warnings(const std::vector<engine_warning>& list, const log_summary& s);
  void warning_rules_checked(const log_summary& s);
  void records(const log_health& h);
  void health(const log_summary& s);
  void units(const log_summary& s);
  void time(const log_summary& s);
  void segments(const log_summary& s);

  // Hands the text written so far to the output (the JSON writer keeps its place without it). A
  // failed write is remembered by the output and told by the last one.
  void spill() {
    if (text_.size() < spill_size) return;
    out_.text(text_);
    text_.clear();
  }
  static constexpr std::size_t spill_size = 1 << 16;

  std::string& text_;
  output_writer& out_;
  json_writer json_;
};

void summary_json::log(std::string_view file, const log_summary& s, const analysis_options& options) {
  const log_health& h = s.health;
  json_.begin_object();
  json_.key("schema_version").integer(summary_schema_version);
  json_.key("file").string(file);
  json_.key("bytes").unsigned_integer(h.bytes);
  records(h);
  json_.key("unknown_source_records").unsigned_integer(h.unknown_source_records);
  json_.key("gps").begin_object();
  for (std::size_t p = 0; p < 2; ++p) {
    json_.key(p == 0 ? "gps_1" : "gps_2").begin_object();
    json_.key("format").string_or_null(
        h.gps[p].format != 0 ? std::optional<std::string_view>(gps_format_name(h.gps[p].format)) : std::nullopt);
    json_.key("sentences_accepted").unsigned_integer(h.gps[p].sentences_accepted);
    json_.key("sentences_rejected").unsigned_integer(h.gps[p].sentences_rejected);
    json_.key("buffer_full").boolean(h.gps[p].buffer_full);
    json_.end_object();
  }
  json_.end_object();
  time(s);
  health(s);
  units(s);
  const detection_options& d = options.detection;
  json_.key("detection").begin_object();
  json_.key("engine_rpm").number(d.engine_rpm, 3);
  json_.key("engine_stop_s").number(d.engine_stop_s, 3);
  json_.key("takeoff_kt").number(d.takeoff_kt, 3);
  json_.key("takeoff_s").number(d.takeoff_s, 3);
  json_.key("landing_kt").number(d.landing_kt, 3);
  json_.key("landing_s").number(d.landing_s, 3);
  json_.key("speed_source");
  json_.string(s.log.figures.ias_kt.has ? "ahrs_ias"
                                        : (s.log.figures.ground_speed_kt.has ? "gps_ground_speed" : "none"));
  json_.end_object();
  json_.key("log");
  window(s.log, 0, s);
  json_.key("flights").begin_array();
  int number = 0;
  for (const flight_record& w : s.flights) {
    window(w, ++number, s, &options.logbook);
    spill();
  }
  json_.end_array();
  json_.key("ground_runs").begin_array();
  number = 0;
  for (const flight_record& w : s.ground_runs) {
    window(w, ++number, s);
    spill();
  }
  json_.end_array();
  json_.key("windows_not_listed").unsigned_integer(s.windows_not_listed);
  json_.key("limits_checked").unsigned_integer(s.limits.size());
  json_.key("exceedances_not_listed").unsigned_integer(s.exceedances_not_listed);
  profile(s.profile);
  json_.key("phases_not_listed").unsigned_integer(s.phases_not_listed);
  warning_rules_checked(s);
  json_.key("warnings_not_listed").unsigned_integer(s.warnings_not_listed);
  write_airport_search_json(json_, s);
  json_.end_object();
}

void summary_json::profile(const aircraft_profile& p) {
  json_.key("profile").begin_object();
  json_.key("tail").string_or_null(p.tail.empty() ? std::nullopt : std::optional<std::string_view>(p.tail));
  json_.key("cylinders").integer_or_null(p.cylinders > 0 ? std::optional<std::int64_t>(p.cylinders) : std::nullopt);
  json_.key("horsepower").number(p.horsepower, 1);
  json_.key("induction")
      .string_or_null(p.induction == induction_kind::not_said ? std::nullopt
                                                              : std::optional<std::string_view>(induction_name(p.induction)));
  json_.key("fuel_capacity").number(p.fuel_capacity, 1);
  json_.key("fuel_capacity_unit")
      .string_or_null(p.fuel_capacity_unit ? std::optional<std::string_view>(unit_symbol(*p.fuel_capacity_unit))
                                           : std::nullopt);
  json_.key("aux").begin_array();
  for (const aux_channel& a : p.aux) {
    if (a.quantity == aux_quantity::none) {
      json_.null();
      continue;
    }
    json_.begin_object();
    json_.key("quantity").string(aux_quantity_name(a.quantity));
    json_.key("scale").number(a.scale, 6);
    json_.end_object();
  }
  json_.end_array();
  json_.key("phase_settings").begin_object();
  for (const phase_setting_view& v : phase_settings_of(p.phases)) json_.key(v.name).number(v.value, 3);
  json_.end_object();
  json_.end_object();
}

void summary_json::phases(const std::vector<phase_record>& list) {
  json_.key("phases").begin_array();
  for (const phase_record& p : list) {
    const phase_figures& f = p.figures;
    json_.begin_object();
    json_.key("phase").string(flight_phase_name(p.kind));
    json_.key("start");
    instant(p.start);
    json_.key("end");
    instant(p.end);
    json_.key("duration_s").number(seconds_from(p.start, p.end), 3);
    json_.key("eis_samples").unsigned_integer(f.eis_samples);
    per_cylinder("cht", f.cht);
    per_cylinder("egt", f.egt);
    spread("cht_spread", f.cht_spread);
    spread("egt_spread", f.egt_spread);
    measure("oil_temperature", f.oil_temperature, 1);
    measure("oil_pressure_psi", f.oil_pressure_psi, 1);
    measure("fuel_flow", f.fuel_flow, 2);
    measure("manifold_pressure_inhg", f.manifold_pressure_inhg, 2);
    measure("fuel_pressure_psi", f.fuel_pressure_psi, 2);
    measure("rpm", f.rpm, 0);
    json_.key("cht_cooling").begin_array();
    for (const cooling_figure& c : f.cht_cooling) {
      if (!c.has) {
        json_.null();
        continue;
      }
      json_.begin_object();
      json_.key("per_minute").number(c.per_minute, 2);
      json_.key("start");
      instant(c.from);
      json_.key("end");
      instant(c.to);
      json_.end_object();
    }
    json_.end_array();
    json_.end_object();
  }
  json_.end_array();
}

void summary_json::records(const log_health& h) {
  const reader_stats& r = h.reader;
  json_.key("records").begin_object();
  json_.key("total").unsigned_integer(r.records);
  json_.key("by_source").begin_object();
  for (const source_row& row : source_table) {
    json_.key(row.name).unsigned_integer(r.by_type[row.type]);
  }
  json_.end_object();
  json_.end_object();
  json_.key("dropped_records").begin_object();
  json_.key("total").unsigned_integer(dropped_records(r));
  json_.key("truncated").unsigned_integer(r.truncated);
  json_.key("zero_length").unsigned_integer(r.zero_length);
  json_.key("oversized").unsigned_integer(r.oversized);
  json_.key("first_offsets").begin_array();
  for (std::uint32_t i = 0; i < r.drops_noted; ++i) json_.unsigned_integer(r.first_drop_offsets[i]);
  json_.end_array();
  json_.key("largest_skip_bytes").unsigned_integer(r.largest_skip);
  json_.end_object();
}

void summary_json::health(const log_summary& s) {
  const log_health& h = s.health;
  json_.key("health").begin_object();
  json_.key("input_error").boolean(h.reader.input_error);
  json_.key("time_backwards").unsigned_integer(h.time_backwards);
  json_.key("largest_step_back_s").number(log_seconds(h.largest_step_back_ms), 3);
  json_.key("short_records").begin_object();
  json_.key("EIS_Input").unsigned_integer(h.short_eis_records);
  json_.key("AHRS_High_Rate").unsigned_integer(h.short_ahrs_records);
  json_.end_object();
  json_.key("gap_limit_s").number(log_seconds(h.gap_limit_ms), 3);
  json_.key("gaps").begin_object();
  for (std::size_t i = 0; i < periodic_source_count; ++i) {
    const source_gaps& g = h.gaps[i];
    json_.key(periodic_source_name(static_cast<periodic_source>(i))).begin_object();
    json_.key("count").unsigned_integer(g.count);
    json_.key("longest_s").number(g.count > 0 ? std::optional<double>(log_seconds(g.longest_ms)) : std::nullopt, 3);
    json_.key("longest_after_log_s")
        .number(g.count > 0 ? std::optional<double>(log_seconds(g.longest_at_ms)) : std::nullopt, 3);
    json_.end_object();
  }
  json_.end_object();
  segments(s);
  json_.end_object();
}

void summary_json::units(const log_summary& s) {
  const engine_units& u = s.units;
  json_.key("units").begin_object();
  json_.key("cht").string(unit_symbol(u.cht));
  json_.key("egt").string(unit_symbol(u.other_temperatures));
  json_.key("oil_temperature").string(unit_symbol(u.other_temperatures));
  json_.key("fuel").string(unit_symbol(u.fuel));
  json_.key("fuel_flow").string(flow_unit_symbol(u.fuel));
  json_.key("temperature_setting")
      .integer_or_null(u.temperature_setting >= 0 ? std::optional<std::int64_t>(u.temperature_setting) : std::nullopt);
  json_.key("fluid_setting")
      .integer_or_null(u.fluid_setting >= 0 ? std::optional<std::int64_t>(u.fluid_setting) : std::nullopt);
  json_.key("temperature_assumed").boolean(u.temperature_assumed);
  json_.key("fluid_assumed").boolean(u.fluid_assumed);
  json_.key("changed_in_log").boolean(s.units_changed);
  json_.key("cylinders").integer_or_null(s.cylinders > 0 ? std::optional<std::int64_t>(s.cylinders) : std::nullopt);
  json_.key("cylinders_taken").unsigned_integer(cylinders_taken(s.cylinders));
  json_.key("cylinders_taken_from").string(s.cylinders > 0 ? "setting" : "all");
  json_.end_object();
}

void summary_json::time(const log_summary& s) {
  const log_time_span& t = s.time;
  json_.key("time").begin_object();
  json_.key("first_log_s").number(t.has_records ? std::optional<double>(log_seconds(t.first.log_ms)) : std::nullopt, 3);
  json_.key("last_log_s").number(t.has_records ? std::optional<double>(log_seconds(t.last.log_ms)) : std::nullopt, 3);
  json_.key("utc_start");
  utc(t.has_records ? &t.first : nullptr);
  json_.key("utc_end");
  utc(t.has_records ? &t.last : nullptr);
  json_.key("utc_source");
  switch (t.source) {
    case utc_source::gps: json_.string("gps"); break;
    case utc_source::user: json_.string("user"); break;
    case utc_source::none: json_.null(); break;
  }
  json_.key("date_corrections").unsigned_integer(t.day_corrections);
  json_.key("span_s").number(t.span_s, 3);
  json_.key("clock_new_anchors").unsigned_integer(t.new_anchors);
  json_.end_object();
}

std::string_view cause_name(segment_cause c) {
  switch (c) {
    case segment_cause::first: return "first";
    case segment_cause::gap: return "gap";
    case segment_cause::restart: return "restart";
  }
  return "";
}

std::string_view clock_name(segment_clock c) {
  switch (c) {
    case segment_clock::own: return "own";
    case segment_clock::previous: return "previous";
    case segment_clock::following: return "following";
    case segment_clock::user: return "user";
    case segment_clock::none: return "none";
  }
  return "";
}

// The LOG's segments, the first 20 of them.
void summary_json::segments(const log_summary& s) {
  constexpr std::size_t most_listed = 20;
  json_.key("segments").begin_array();
  std::size_t number = 0;
  for (const log_segment& e : s.segments) {
    if (number == most_listed) break;
    json_.begin_object();
    json_.key("number").unsigned_integer(++number);
    json_.key("cause").string(cause_name(e.cause));
    json_.key("first_log_s");
    log_time(log_seconds(e.first.log_ms));
    json_.key("last_log_s");
    log_time(log_seconds(e.last.log_ms));
    json_.key("utc_start");
    utc(&e.first);
    json_.key("utc_end");
    utc(&e.last);
    json_.key("records").unsigned_integer(e.records);
    json_.key("gps_fixes").unsigned_integer(e.fixes);
    json_.key("clock").string(clock_name(e.clock));
    json_.key("off_before_s").number(e.off_before_s, 3);
    json_.end_object();
  }
  json_.end_array();
  json_.key("segments_total").unsigned_integer(s.segments.size() + s.segments_not_listed);
}

void summary_json::window(const flight_record& w, int number, const log_summary& s, const logbook_options* logbook) {
  const flight_figures& f = w.figures;
  json_.begin_object();
  if (number > 0) {
    json_.key("number").integer(number);
  }
  event("engine_start", w.engine_start);
  event("engine_stop", w.engine_stop);
  event("takeoff", w.takeoff);
  event("landing", w.landing);
  write_places_json(json_, s, w);
  json_.key("start_log_s");
  log_time(log_seconds(w.start_ms));
  json_.key("end_log_s");
  log_time(log_seconds(w.end_ms));
  json_.key("engine_runs").unsigned_integer(w.engine_runs);
  json_.key("airborne_periods").unsigned_integer(w.airborne_periods);
  json_.key("engine_running_at_end").boolean(w.engine_running_at_end);
  json_.key("airborne_at_end").boolean(w.airborne_at_end);
  json_.key("engine_time_s").number(w.engine_time_s, 3);
  json_.key("flight_time_s").number(w.flight_time_s, 3);
  json_.key("start_segment").unsigned_integer(w.start_segment + 1);
  json_.key("end_segment").unsigned_integer(w.end_segment + 1);
  json_.key("restarts_in_flight").unsigned_integer(w.restarts_in_flight);
  json_.key("restart_gap_s").number(w.restart_gap_s, 3);
  json_.key("block_time_s").number(w.block_time_s, 3);
  json_.key("distance_nm").number(w.distance_nm, 2);
  figure("max_pressure_altitude_ft", f.pressure_altitude_ft, 0);
  figure("max_ias_kt", f.ias_kt, 1);
  figure("max_ground_speed_kt", f.ground_speed_kt, 1);
  figure("max_vertical_speed_fpm", f.vertical_speed_fpm, 0);
  figure("min_vertical_speed_fpm", f.lowest_vertical_speed_fpm, 0);
  const std::size_t taken = cylinders_taken(s.cylinders);
  cylinders("cht_max", f.cht, taken);
  cylinders("egt_max", f.egt, taken);
  figure("max_oil_temperature", f.oil_temperature, 1);
  figure("min_oil_pressure_airborne_psi", w.airborne.oil_pressure_psi, 0);
  figure("min_bus_voltage_v", f.bus_voltage_low, 2);
  figure("max_bus_voltage_v", f.bus_voltage_high, 2);
  json_.key("fuel_used_from_quantity").number(w.fuel_used_from_quantity, 2);
  json_.key("fuel_used_from_flow").number(w.fuel_used_from_flow, 2);
  json_.key("fuel_on_board_start").number(f.fuel_quantity.first_value(), 2);
  json_.key("fuel_on_board_end").number(f.fuel_quantity.last_value(), 2);
  json_.key("hobbs_start_h").number(f.engine_hours.first_value(), 1);
  json_.key("hobbs_end_h").number(f.engine_hours.last_value(), 1);
  figure("max_bank_deg", f.bank_deg, 1);
  figure("max_pitch_deg", f.pitch_deg, 1);
  figure("min_pitch_deg", f.lowest_pitch_deg, 1);
  json_.key("exceedances");
  exceedances(number > 0 ? w.exceedances : s.exceedances, s);
  json_.key("warnings");
  if (number > 0) {
    warnings(w.warnings, s);
  } else {
    std::vector<engine_warning> all;  // the whole LOG's: every flight's and ground run's
    for (const std::vector<flight_record>* list : {&s.flights, &s.ground_runs}) {
      for (const flight_record& f : *list) all.insert(all.end(), f.warnings.begin(), f.warnings.end());
    }
    std::stable_sort(all.begin(), all.end(), [](const engine_warning& a, const engine_warning& b) {
      return log_order(a.start) < log_order(b.start);
    });
    warnings(all, s);
  }
  phases(w.phases);
  if (logbook != nullptr) {
    json_.key("logbook");
    write_logbook_json(json_, w.logbook, *logbook);
  }
  json_.end_object();
}

void summary_json::exceedances(const std::vector<exceedance>& list, const log_summary& s) {
  if (s.limits.empty()) {
    json_.null();
    return;
  }
  json_.begin_array();
  for (const exceedance& x : list) {
    const aircraft_limit& limit = s.limits[x.limit_index];
    json_.begin_object();
    json_.key("parameter").string(limit_name(limit.parameter));
    const std::string condition = condition_text(limit.when);
    json_.key("condition")
        .string_or_null(condition.empty() ? std::nullopt : std::optional<std::string_view>(condition));
    json_.key("cylinder").integer_or_null(x.cylinder > 0 ? std::optional<std::int64_t>(x.cylinder) : std::nullopt);
    json_.key("start");
    instant(x.start);
    json_.key("end");
    instant(x.end);
    json_.key("duration_s").number(seconds_from(x.start, x.end), 3);
    json_.key("peak").number(x.peak, 2);
    json_.key("limit").number(limit.value, 3);
    json_.key("unit").string(limit_unit_symbol(limit, s.units));
    json_.end_object();
  }
  json_.end_array();
}

void summary_json::warnings(const std::vector<engine_warning>& list, const log_summary& s) {
  json_.begin_array();
  for (const engine_warning& x : list) {
    const aircraft_limit& rule = s.warnings_checked[warning_index(x.parameter)].limit;
    json_.begin_object();
    json_.key("parameter").string(limit_name(x.parameter));
    json_.key("kind").string(x.probe == probe_kind::none ? "engine" : "probe");
    json_.key("probe").string_or_null(x.probe == probe_kind::none ? std::nullopt
                                      : std::optional<std::string_view>(x.probe == probe_kind::cht ? "cht" : "egt"));
    json_.key("cylinder").integer_or_null(x.cylinder > 0 ? std::optional<std::int64_t>(x.cylinder) : std::nullopt);
    json_.key("phase").string_or_null(
        x.phase < flight_phase_kind_count
            ? std::optional<std::string_view>(flight_phase_name(static_cast<flight_phase_kind>(x.phase)))
            : std::nullopt);
    json_.key("start");
    instant(x.start);
    json_.key("end");
    instant(x.end);
    json_.key("duration_s").number(seconds_from(x.start, x.end), 3);
    json_.key("peak").number(x.peak, 2);
    json_.key("peak_at");
    instant(x.peak_at);
    json_.key("threshold").number(x.threshold, 3);
    json_.key("unit").string(limit_unit_symbol(rule, s.units));
    json_.end_object();
  }
  json_.end_array();
}

// The engine warnings checked: each rule's threshold, condition and time, and whether it is the
// default or a line of the profile or the limits file replaced it.
void summary_json::warning_rules_checked(const log_summary& s) {
  json_.key("warning_rules").begin_array();
  for (const warning_rule& r : s.warnings_checked) {
    const aircraft_limit& l = r.limit;
    json_.begin_object();
    json_.key("parameter").string(limit_name(l.parameter));
    json_.key("threshold").number(l.value, 3);
    json_.key("unit").string(limit_unit_symbol(l, s.units));
    const std::string condition = condition_text(l.when);
    json_.key("condition")
        .string_or_null(condition.empty() ? std::nullopt : std::optional<std::string_view>(condition));
    json_.key("seconds").number(l.seconds, 3);
    json_.key("default").boolean(r.is_default);
    json_.end_object();
  }
  json_.end_array();
}

}  // namespace

int write_summary_json(output_writer& out, std::string_view file, const log_summary& summary,
                       const analysis_options& options) {
  std::string text;
  summary_json json(text, out);
  json.log(file, summary, options);
  text += '\n';
  return out.text(text);
}
