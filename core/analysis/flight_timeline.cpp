#include "analysis/flight_timeline.h"

#include <algorithm>
#include <cmath>

#include "analysis/debounced_switch.h"
#include "analysis/figure_window.h"
#include "analysis/logbook_tracker.h"
#include "analysis/resolve_utc.h"
#include "decode/record_loop.h"
#include "decoders/gps/gps_state.h"

namespace {

constexpr std::uint32_t position_max_age_ms = 10000;  // an event's position
constexpr std::uint32_t exceedance_release_ms = 5000;
constexpr double glitch_speed_kt = 1000.0;  // a GPS jump faster than this is not flown
constexpr double earth_radius_nm = 3440.065;
constexpr double pi = 3.14159265358979323846;

std::uint32_t milliseconds(double seconds) {
  if (!(seconds > 0.0)) return 0;
  return seconds >= 4.0e6 ? 4'000'000'000u : static_cast<std::uint32_t>(std::llround(seconds * 1000.0));
}

double great_circle_nm(const geo_point& a, const geo_point& b) {
  const double to_rad = pi / 180.0;
  const double lat1 = a.latitude_deg * to_rad;
  const double lat2 = b.latitude_deg * to_rad;
  const double dlat = lat2 - lat1;
  const double dlon = (b.longitude_deg - a.longitude_deg) * to_rad;
  const double h = std::sin(dlat / 2) * std::sin(dlat / 2) +
                   std::cos(lat1) * std::cos(lat2) * std::sin(dlon / 2) * std::sin(dlon / 2);
  return 2.0 * earth_radius_nm * std::asin(std::sqrt(std::min(1.0, h)));
}

double seconds_between(std::uint32_t from_ms, std::uint32_t to_ms) {
  return to_ms > from_ms ? (to_ms - from_ms) / 1000.0 : 0.0;
}

void add(std::optional<double>& total, const std::optional<double>& part) {
  if (part) total = total.value_or(0.0) + *part;
}

class flight_timeline {
 public:
  flight_timeline(decode_context& ctx, const analysis_options& options)
      : ctx_(ctx),
        options_(options),
        health_(milliseconds(options.gap_s)),
        engine_(0, milliseconds(options.detection.engine_stop_s)),
        airborne_(milliseconds(options.detection.takeoff_s), milliseconds(options.detection.landing_s)),
        exceedances_(options.limits, exceedance_release_ms, max_listed_exceedances),
        logbook_(options.detection.takeoff_kt, options.logbook) {}

  // ---- the steps around the dispatch ----

  void before_dispatch(const efis_record& record) {
    health_.note_record(record);
    log_time_span& time = summary_.time;
    if (!time.has_records) time.first.log_ms = time.earliest_ms = time.latest_ms = record.timestamp;
    time.has_records = true;
    time.last.log_ms = record.timestamp;
    time.earliest_ms = std::min(time.earliest_ms, record.timestamp);
    time.latest_ms = std::max(time.latest_ms, record.timestamp);
  }
  void after_dispatch(const efis_record& record, const record_effect& effect);

  log_summary finish();

 private:
  log_instant instant_at(std::uint32_t t) const {
    log_instant at;
    at.log_ms = t;
    const utc_clock& clock = ctx_.follow.clock;
    if (clock.known()) {
      at.has_utc = true;
      at.utc_ms = clock.utc_ms_at(t);
    }
    return at;
  }
  log_event event_at(std::uint32_t t) const {
    log_event e;
    e.when = instant_at(t);
    const timed_position& here = ctx_.follow.position.current();
    if (here.has && t >= here.log_ms && t - here.log_ms <= position_max_age_ms) {
      e.has_position = true;
      e.position = {here.latitude_deg, here.longitude_deg};
    }
    return e;
  }

  void take_eis(std::uint32_t t);
  void take_air_data(std::uint32_t t);
  void take_fix(int port, std::uint32_t t);
  void update_engine(std::uint32_t t, double rpm);
  void take_speed(std::uint32_t t, double kt);

  window_state group_state() const;
  void move_group();
  template <typename OnStop, typename OnStart>
  void update_switch(debounced_switch& s, log_event& on_event, log_event& off_event, std::uint32_t t, bool turns_on,
                     bool turns_off, OnStop&& stopped, OnStart&& started);
  void engine_stopped(const log_event& e);
  void airborne_stopped(const log_event& e);
  void move_airborne_window();
  void finish_window(const flight_figures& figures);

  decode_context& ctx_;
  const analysis_options& options_;
  log_summary summary_;
  health_tracker health_;
  debounced_switch engine_;
  debounced_switch airborne_;
  figure_window<flight_figures> group_window_;
  figure_window<airborne_figures> airborne_window_;
  flight_record current_;  // the flight or ground run being gathered
  flight_figures log_figures_;
  exceedance_tracker exceedances_;
  logbook_tracker logbook_;
  condition_values now_;

  log_event engine_on_event_, engine_off_event_, airborne_on_event_, airborne_off_event_;
  std::uint32_t engine_run_start_ms_ = 0;
  std::uint32_t airborne_start_ms_ = 0;
  std::uint32_t last_engine_sample_ms_ = 0;
  std::uint32_t last_speed_sample_ms_ = 0;
  last_heard ahrs_airspeed_;  // the latest AHRS high-rate record that held the airspeed

  double fuel_burned_total_ = 0.0;
  bool has_flow_ = false;
  double last_flow_ = 0.0;
  std::uint32_t last_flow_ms_ = 0;

  timed_position distance_from_;  // the GPS 1 position the distance flown was last added up to
  double distance_total_nm_ = 0.0;
};

void flight_timeline::after_dispatch(const efis_record& record, const record_effect& effect) {
  const std::uint32_t t = record.timestamp;
  switch (effect.slot) {
    case cache_slot::eis:
      health_.note_periodic(periodic_source::eis, t);
      if (effect.short_record) health_.note_short_eis();
      take_eis(t);
      break;
    case cache_slot::ahrs_low_rate: health_.note_periodic(periodic_source::ahrs_low_rate, t); break;
    case cache_slot::ahrs_high_rate:
      health_.note_periodic(periodic_source::ahrs_high_rate, t);
      if (effect.short_record) health_.note_short_ahrs();
      take_air_data(t);
      break;
    case cache_slot::analog: health_.note_periodic(periodic_source::analog, t); break;
    default: break;
  }
  if (record.source_type == source_gps_1) health_.note_periodic(periodic_source::gps_1, t);
  if (record.source_type == source_gps_2) health_.note_periodic(periodic_source::gps_2, t);
  if (effect.new_fix_port >= 0) take_fix(effect.new_fix_port, t);
}

void flight_timeline::take_eis(std::uint32_t t) {
  const unit_tracker& units = ctx_.follow.units;
  const engine_sample s = engine_sample_of(ctx_.summary.eis, units);

  if (!std::isnan(s.fuel_flow)) {
    if (has_flow_ && t > last_flow_ms_ && t - last_flow_ms_ <= health_.health().gap_limit_ms) {
      fuel_burned_total_ += last_flow_ * (t - last_flow_ms_) / 3'600'000.0;
    }
    has_flow_ = true;
    last_flow_ = s.fuel_flow;
    last_flow_ms_ = t;
  }
  const double burned = has_flow_ ? fuel_burned_total_ : std::nan("");
  if (!std::isnan(s.rpm)) update_engine(t, s.rpm);

  const log_instant at = instant_at(t);
  log_figures_.take_engine(s, at, burned);
  if (flight_figures* fig = group_window_.target()) fig->take_engine(s, at, burned);
  if (airborne_figures* a = airborne_window_.target()) a->take_engine(s, at);
  exceedances_.take_engine(s, units.report(), ctx_.summary.settings.cylinders, now_, at);
}

void flight_timeline::update_engine(std::uint32_t t, double rpm) {
  now_.has_rpm = true;
  now_.rpm = rpm;
  last_engine_sample_ms_ = t;
  const bool running = rpm >= options_.detection.engine_rpm;
  update_switch(
      engine_, engine_on_event_, engine_off_event_, t, running, !running,
      [this](const log_event& e) { engine_stopped(e); },
      [this](const log_event& e) {
        if (!current_.engine_start) current_.engine_start = e;
        ++current_.engine_runs;
        engine_run_start_ms_ = e.when.log_ms;
      });
}

void flight_timeline::take_air_data(std::uint32_t t) {
  const air_data_sample s = air_data_sample_of(ctx_.summary.ahrs_hr);
  if (!std::isnan(s.ias_kt)) {
    ahrs_airspeed_.note(t);
    now_.has_ias = true;
    now_.ias_kt = s.ias_kt;
    take_speed(t, s.ias_kt);
  }
  const log_instant at = instant_at(t);
  log_figures_.take_air_data(s, at);
  if (flight_figures* fig = group_window_.target()) fig->take_air_data(s, at);
  exceedances_.take_airspeed(s.ias_kt, now_, at);
}

// A fix with a position: GPS 1's adds to the distance flown; the position source's gives the
// ground speed (the speed that detects flight while the AHRS airspeed is not fresh).
void flight_timeline::take_fix(int port, std::uint32_t t) {
  const position_source& where = ctx_.follow.position;
  if (!where.gave_position()) return;
  if (port == 0) {
    const timed_position& here = where.latest(0);
    if (distance_from_.has && t > distance_from_.log_ms) {
      const double nm = great_circle_nm({distance_from_.latitude_deg, distance_from_.longitude_deg},
                                        {here.latitude_deg, here.longitude_deg});
      if (nm / ((t - distance_from_.log_ms) / 3'600'000.0) <= glitch_speed_kt) distance_total_nm_ += nm;
    }
    distance_from_ = here;
    if (airborne_figures* a = airborne_window_.target()) a->take_distance(distance_total_nm_);
  }
  if (!where.moved()) return;
  const gps_fix& fix = (port == 0 ? ctx_.summary.gps_1 : ctx_.summary.gps_2).fix;
  if (!fix.has_ground_speed) return;
  logbook_.take_fix(event_at(t), fix.ground_speed_kt, fix.has_track ? fix.track_deg : std::nan(""),
                    is_on_or_turning_off(engine_.state()));
  if (!ahrs_airspeed_.fresh_at(t)) take_speed(t, fix.ground_speed_kt);
  const log_instant at = instant_at(t);
  log_figures_.take_ground_speed(fix.ground_speed_kt, at);
  if (flight_figures* f = group_window_.target()) f->take_ground_speed(fix.ground_speed_kt, at);
}

void flight_timeline::take_speed(std::uint32_t t, double kt) {
  last_speed_sample_ms_ = t;
  update_switch(
      airborne_, airborne_on_event_, airborne_off_event_, t, kt >= options_.detection.takeoff_kt,
      kt < options_.detection.landing_kt, [this](const log_event& e) { airborne_stopped(e); },
      [this](const log_event& e) {
        if (!current_.takeoff) current_.takeoff = e;
        ++current_.airborne_periods;
        airborne_start_ms_ = e.when.log_ms;
      });
  now_.airborne = is_on_or_turning_off(airborne_.state());
  logbook_.take_speed(t, kt, [&] { return event_at(t); });
}

// Feeds a switch one sample and moves the windows after it. A run's event (time and place) is
// taken at its first sample; it counts once the run has lasted. A stop is told to the flight
// before its window may close, a start after its window may have begun.
template <typename OnStop, typename OnStart>
void flight_timeline::update_switch(debounced_switch& s, log_event& on_event, log_event& off_event, std::uint32_t t,
                                    bool turns_on, bool turns_off, OnStop&& stopped, OnStart&& started) {
  const switch_state before = s.state();
  const switch_state after = s.update(t, turns_on, turns_off);
  if (before == after) return;
  if (before == switch_state::off) on_event = event_at(t);
  if (before == switch_state::on) off_event = event_at(t);
  const bool stops = is_on_or_turning_off(before) && after == switch_state::off;
  const bool starts = !is_on_or_turning_off(before) && is_on_or_turning_off(after);
  if (stops) stopped(off_event);
  if (&s == &airborne_) move_airborne_window();
  move_group();
  if (starts) started(on_event);
}

void flight_timeline::engine_stopped(const log_event& e) {
  current_.engine_stop = e;
  current_.engine_time_s += seconds_between(engine_run_start_ms_, e.when.log_ms);
}

void flight_timeline::airborne_stopped(const log_event& e) {
  current_.landing = e;
  current_.flight_time_s += seconds_between(airborne_start_ms_, e.when.log_ms);
}

void flight_timeline::move_airborne_window() {
  airborne_window_.move_to(
      window_state_of(airborne_.state()), [] {},
      [this](const airborne_figures& f) {
        current_.airborne.merge(f);
        add(current_.distance_nm, f.distance_nm.growth());
      });
}

window_state flight_timeline::group_state() const {
  const switch_state e = engine_.state();
  const switch_state a = airborne_.state();
  if (is_on_or_turning_off(e) || is_on_or_turning_off(a)) {
    return e == switch_state::on || a == switch_state::on ? window_state::open : window_state::closing;
  }
  return e == switch_state::turning_on || a == switch_state::turning_on ? window_state::opening : window_state::closed;
}

void flight_timeline::move_group() {
  group_window_.move_to(
      group_state(),
      [this] {
        current_ = flight_record{};
        logbook_.begin();
      },
      [this](const flight_figures& figures) { finish_window(figures); });
}

// A flight or ground run is over: its times and totals, then the LOG's.
void flight_timeline::finish_window(const flight_figures& figures) {
  flight_record& w = current_;
  w.figures = figures;
  w.fuel_used_from_quantity = figures.fuel_used_from_quantity();
  w.fuel_used_from_flow = figures.fuel_used_from_flow();
  const std::uint32_t last_ms = summary_.time.last.log_ms;
  if (w.engine_start) {
    const std::uint32_t stop =
        w.engine_running_at_end || !w.engine_stop ? last_engine_sample_ms_ : w.engine_stop->when.log_ms;
    w.block_time_s = seconds_between(w.engine_start->when.log_ms, stop);
  }
  std::uint32_t start = UINT32_MAX;
  std::uint32_t end = 0;
  for (const std::optional<log_event>* e : {&w.engine_start, &w.takeoff}) {
    if (*e) start = std::min(start, (*e)->when.log_ms);
  }
  for (const std::optional<log_event>* e : {&w.engine_stop, &w.landing}) {
    if (*e) end = std::max(end, (*e)->when.log_ms);
  }
  if (w.engine_running_at_end || w.airborne_at_end) end = last_ms;
  w.start_ms = start == UINT32_MAX ? end : start;
  w.end_ms = std::max(end, w.start_ms);
  w.logbook = logbook_.finish(w.engine_stop);

  flight_record& log = summary_.log;
  if (!log.engine_start) log.engine_start = w.engine_start;
  if (w.engine_stop) log.engine_stop = w.engine_stop;
  if (!log.takeoff) log.takeoff = w.takeoff;
  if (w.landing) log.landing = w.landing;
  log.engine_runs += w.engine_runs;
  log.airborne_periods += w.airborne_periods;
  log.engine_running_at_end = w.engine_running_at_end;
  log.airborne_at_end = w.airborne_at_end;
  log.engine_time_s += w.engine_time_s;
  log.flight_time_s += w.flight_time_s;
  add(log.block_time_s, w.block_time_s);
  add(log.distance_nm, w.distance_nm);
  add(log.fuel_used_from_quantity, w.fuel_used_from_quantity);
  add(log.fuel_used_from_flow, w.fuel_used_from_flow);
  log.airborne.merge(w.airborne);

  std::vector<flight_record>& list = w.is_flight() ? summary_.flights : summary_.ground_runs;
  if (summary_.flights.size() + summary_.ground_runs.size() < max_listed_windows) {
    list.push_back(w);
  } else {
    ++summary_.windows_not_listed;
  }
}

log_summary flight_timeline::finish() {
  // The LOG ends: a run still turning on did not last, one turning off did end, and what is
  // still on ends with the LOG.
  const switch_state air = airborne_.state();
  if (air == switch_state::on) {
    current_.airborne_at_end = true;
    current_.flight_time_s += seconds_between(airborne_start_ms_, last_speed_sample_ms_);
  } else if (air == switch_state::turning_off) {
    airborne_stopped(airborne_off_event_);
  }
  airborne_ = debounced_switch{};
  move_airborne_window();
  const switch_state eng = engine_.state();
  if (eng == switch_state::on) {
    current_.engine_running_at_end = true;
    current_.engine_time_s += seconds_between(engine_run_start_ms_, last_engine_sample_ms_);
  } else if (eng == switch_state::turning_off) {
    engine_stopped(engine_off_event_);
  }
  engine_ = debounced_switch{};
  move_group();
  exceedances_.finish();

  log_health& health = health_.health();
  const reader_stats& reader = ctx_.reader.stats();
  health.bytes = ctx_.reader.bytes_read();
  health.reader = reader;
  health.unknown_source_records = ctx_.reader.unknown_type_records();
  const gps_composite_state* ports[2] = {&ctx_.summary.gps_1, &ctx_.summary.gps_2};
  for (std::size_t p = 0; p < 2; ++p) {
    health.gps[p].format = is_gps_format(ports[p]->format) ? ports[p]->format : 0;
    health.gps[p].sentences_accepted = ports[p]->sentences_accepted;
    health.gps[p].sentences_rejected = ports[p]->sentences_rejected;
    health.gps[p].buffer_full = ports[p]->buffer_full;
  }

  log_summary& s = summary_;
  s.health = health;
  s.units = ctx_.follow.units.report();
  s.units_changed = ctx_.follow.units.changed_in_log();
  s.cylinders = ctx_.summary.settings.cylinders;
  s.log.figures = log_figures_;
  s.log.start_ms = s.time.first.log_ms;
  s.log.end_ms = s.time.last.log_ms;
  s.limits = options_.limits;
  s.exceedances = exceedances_.listed();
  s.exceedances_not_listed = exceedances_.not_listed();
  for (std::vector<flight_record>* list : {&s.flights, &s.ground_runs}) {
    for (flight_record& w : *list) {
      for (const exceedance& x : s.exceedances) {
        if (x.start.log_ms <= w.end_ms && x.end.log_ms >= w.start_ms) w.exceedances.push_back(x);
      }
    }
  }
  utc_clock clock = ctx_.follow.clock;
  if (!clock.known() && options_.utc_start_ms && s.time.has_records) {
    clock.set_from_user(*options_.utc_start_ms, s.time.first.log_ms);
  }
  s.time.source = clock.source();
  s.time.first_anchor = clock.first();
  s.time.day_corrections = clock.day_corrections();
  resolve_utc(s, clock);
  return std::move(summary_);
}

}  // namespace

analysis_options default_analysis_options() {
  analysis_options o;
  o.decode = OrvexDecode_default_options();
  o.decode.gps_2_type = ORVEX_GPS_FORMAT_NMEA;
  o.constants = OrvexDecode_default_constants();
  return o;
}

log_summary analyse_log(decode_context& ctx, const analysis_options& options, FILE* input) {
  begin_pass(ctx, &options.constants, &options.decode, input, nullptr);
  flight_timeline timeline(ctx, options);
  run_record_loop(ctx, timeline);
  return timeline.finish();
}
