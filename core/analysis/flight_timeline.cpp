#include "analysis/flight_timeline.h"

#include <algorithm>
#include <cmath>

#include "analysis/debounced_switch.h"
#include "analysis/figure_window.h"
#include "analysis/logbook_tracker.h"
#include "analysis/resolve_utc.h"
#include "decode/gps_ahead.h"
#include "decode/record_loop.h"
#include "decoders/gps/gps_state.h"

namespace {

constexpr std::uint32_t position_max_age_ms = 10000;  // an event's position
constexpr std::uint32_t exceedance_release_ms = 5000;
constexpr std::uint32_t air_data_max_age_ms = 5000;  // the phases' air data
constexpr double glitch_speed_kt = 1000.0;  // a GPS jump faster than this is not flown
constexpr double min_track_speed_kt = 5.0;  // slower, a GPS track says little
constexpr double earth_radius_nm = 3440.065;
constexpr double pi = 3.14159265358979323846;

std::uint32_t milliseconds(double seconds) {
  if (!(seconds > 0.0)) return 0;
  return seconds >= 4.0e6 ? 4'000'000'000u : static_cast<std::uint32_t>(std::llround(seconds * 1000.0));
}

constexpr double to_rad = pi / 180.0;

// A point with the cosine of its latitude, which each distance from or to it takes.
struct distance_point {
  geo_point at;
  double cos_latitude = 1.0;

  static distance_point of(const geo_point& p) { return {p, std::cos(p.latitude_deg * to_rad)}; }
};

double great_circle_nm(const distance_point& a, const distance_point& b) {
  const double lat1 = a.at.latitude_deg * to_rad;
  const double lat2 = b.at.latitude_deg * to_rad;
  const double dlat = lat2 - lat1;
  const double dlon = (b.at.longitude_deg - a.at.longitude_deg) * to_rad;
  const double h =
      std::sin(dlat / 2) * std::sin(dlat / 2) + a.cos_latitude * b.cos_latitude * std::sin(dlon / 2) * std::sin(dlon / 2);
  return 2.0 * earth_radius_nm * std::asin(std::sqrt(std::min(1.0, h)));
}

double seconds_between(std::int64_t from_ms, std::int64_t to_ms) {
  return to_ms > from_ms ? static_cast<double>(to_ms - from_ms) / 1000.0 : 0.0;
}

// An event with its time on the time line's running clock (flow_ms: LOG time that runs on across
// the breaks a flight goes on across, so durations add up across them).
struct timed_event {
  log_event event;
  std::int64_t flow_ms = 0;
};

void add(std::optional<double>& total, const std::optional<double>& part) {
  if (part) total = total.value_or(0.0) + *part;
}

// The LOG's span: by UTC where its first and last records have it, else its segments' LOG
// times and the breaks LOG time tells.
double span_of(const log_summary& s) {
  const log_time_span& t = s.time;
  if (!t.has_records) return 0.0;
  if (t.first.has_utc && t.last.has_utc)
    return std::max<double>(0.0, static_cast<double>(t.last.utc_ms - t.first.utc_ms) / 1000.0);
  if (s.segments.size() <= 1) return seconds_between(t.first.log_ms, t.last.log_ms);
  double span = 0.0;
  for (const log_segment& e : s.segments) {
    span += seconds_between(e.first.log_ms, e.last.log_ms) + e.off_before_s.value_or(0.0);
  }
  return span;
}

// The engine warnings: the defaults, under the profile's warning lines and those of the limits.
warning_rules warning_rules_of(const analysis_options& options) {
  std::vector<aircraft_limit> lines = options.profile.limits;
  lines.insert(lines.end(), options.limits.begin(), options.limits.end());
  return resolve_warning_rules(options.profile.induction, lines);
}

class flight_timeline {
 public:
  flight_timeline(decode_context& ctx, const analysis_options& options)
      : ctx_(ctx),
        options_(options),
        health_(milliseconds(options.gap_s)),
        engine_(0, milliseconds(options.detection.engine_stop_s)),
        airborne_(milliseconds(options.detection.takeoff_s), milliseconds(options.detection.landing_s)),
        exceedances_(limits_only(options.limits), exceedance_release_ms, max_listed_exceedances),
        logbook_(options.detection.takeoff_kt, options.logbook),
        phases_(options.profile, ctx.follow.clock, warning_rules_of(options), options.phases_on_thread) {}

  // ---- the steps around the dispatch ----

  void before_dispatch(const efis_record& record) {
    const log_segments& segments = ctx_.follow.segments;
    const std::uint32_t t = record.timestamp;
    if (segments.began()) {
      if (segments.index() > 0) break_before(t);
      open_segment(record);
    } else if (segments.stepped_back()) {
      health_.note_step_back(last_ms_ - t);
      run_.lowest_ms = std::min(run_.lowest_ms, t);
    }
    ++run_.records;
    run_.highest_ms = std::max(run_.highest_ms, t);
    last_ms_ = t;
  }
  void after_dispatch(const efis_record& record, const record_effect& effect);

  log_summary finish();

 private:
  log_instant instant_at(std::uint32_t t) const {
    log_instant at;
    at.log_ms = t;
    at.segment = segment_;
    const utc_clock& clock = ctx_.follow.clock;
    if (clock.known()) {
      at.has_utc = true;
      at.utc_ms = clock.utc_ms_at(t);
    }
    return at;
  }
  [[gnu::noinline]] log_event event_at(std::uint32_t t) const {
    log_event e;
    e.when = instant_at(t);
    const timed_position& here = ctx_.follow.position.current();
    if (here.has && t >= here.log_ms && t - here.log_ms <= position_max_age_ms) {
      e.has_position = true;
      e.position = {here.latitude_deg, here.longitude_deg};
    }
    if (track_.has && t >= track_.log_ms && t - track_.log_ms <= position_max_age_ms) e.track_true_deg = track_deg_;
    if (altitude_.has && t >= altitude_.log_ms && t - altitude_.log_ms <= position_max_age_ms) {
      e.altitude_ft = air_data_numbers::pressure_altitude_ft(altitude_number_);
    }
    return e;
  }
  timed_event timed_at(std::uint32_t t) const { return {event_at(t), flow(t)}; }
  std::int64_t flow(std::uint32_t t) const { return std::int64_t{t} + carry_ms_; }

  // ---- the segments of the LOG and the breaks between them ----
  void open_segment(const efis_record& record);
  void publish_run();
  void close_segment();
  void break_before(std::uint32_t t);
  void try_decide_restart(std::uint32_t t);
  void decide_restart(bool goes_on, std::int64_t off_ms);
  void end_runs(const timed_event& landing, const timed_event& engine_stop);
  void resolve_segments(log_summary& s) const;

  void take_eis(std::uint32_t t);
  void take_air_data(std::uint32_t t);
  void take_fix(int port, std::uint32_t t);
  void update_engine(std::uint32_t t, double rpm);
  // A sample of the speed that detects flight. Most leave the airborne switch as it is (off and
  // slow, or on and fast) while no break is pending: those take the few steps inline.
  [[gnu::always_inline]] void take_speed(std::uint32_t t, double kt) {
    const switch_state air = airborne_.state();
    const bool unmoved = air == switch_state::off ? !(kt >= options_.detection.takeoff_kt)
                         : air == switch_state::on ? !(kt < options_.detection.landing_kt)
                                                   : false;
    if (!unmoved || pending_.active) [[unlikely]] {
      take_speed_moving(t, kt);
      return;
    }
    last_speed_sample_ms_ = t;
    last_speed_sample_flow_ = flow(t);
    now_.airborne = air == switch_state::on;
    take_logbook_speed(t, kt);
  }
  void take_speed_moving(std::uint32_t t, double kt);
  [[gnu::always_inline]] void take_logbook_speed(std::uint32_t t, double kt) {
    logbook_.take_speed(t, kt, [this, t] { return event_at(t); });
    if (logbook_.has_landing_left()) [[unlikely]] take_landing_left();
  }
  void take_landing_left();

  window_state group_state() const;
  void move_group();
  template <typename OnStop, typename OnStart>
  void update_switch(debounced_switch& s, timed_event& on_event, timed_event& off_event, std::uint32_t t, bool turns_on,
                     bool turns_off, OnStop&& stopped, OnStart&& started);
  void engine_stopped(const timed_event& e);
  void airborne_stopped(const timed_event& e);
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
  // The air data and the engine's figures since the group window last moved: they join the
  // LOG's figures and the window's (where its samples go now) as it moves.
  air_data_figures air_data_stretch_;
  engine_figures engine_stretch_;
  exceedance_tracker exceedances_;
  logbook_tracker logbook_;
  flight_phases phases_;
  // The listed windows in the order they ended: where each one's phases go once they are known.
  struct listed_window {
    bool flight = false;
    std::size_t index = 0;  // in the flights or the ground runs
  };
  std::vector<listed_window> phases_of_;
  condition_values now_;

  timed_event engine_on_event_, engine_off_event_, airborne_on_event_, airborne_off_event_;
  std::int64_t engine_run_start_flow_ = 0;
  std::int64_t airborne_start_flow_ = 0;
  std::int64_t window_engine_start_flow_ = 0;  // the window's first engine start
  std::int64_t window_engine_stop_flow_ = 0;   // ... and its last engine stop
  std::uint32_t last_engine_sample_ms_ = 0;
  std::uint32_t last_speed_sample_ms_ = 0;
  std::int64_t last_engine_sample_flow_ = 0;
  std::int64_t last_speed_sample_flow_ = 0;

  std::uint32_t segment_ = 0;    // the segment the records are in now
  bool segment_listed_ = false;  // ... and it has an entry in the summary
  // The records of the segment so far, kept here as they come and told to the summary (its
  // entry and the LOG's times) when the segment ends.
  struct segment_run {
    std::uint64_t records = 0;
    std::uint32_t lowest_ms = 0;
    std::uint32_t highest_ms = 0;
  } run_;
  std::uint32_t last_ms_ = 0;  // of the record read last
  std::int64_t carry_ms_ = 0;    // flow(t) - t in this segment
  // A break after which the flight may go on (the aircraft was airborne before it): the runs
  // stay as they are until the new segment's first speed (and after a restart its first fix)
  // says whether it did; meanwhile the switches wait.
  struct pending_break {
    bool active = false;
    bool ran_on = false;          // LOG time ran on across the break
    std::uint32_t first_ms = 0;   // the new segment's first record
    std::uint32_t before_ms = 0;  // the last record before the break
    std::int64_t before_flow = 0;
    std::optional<std::int64_t> before_utc;
    std::optional<bool> airborne_after;
    timed_event landing;  // where the runs end if the flight did not go on
    timed_event engine_stop;
  } pending_;
  last_heard ahrs_airspeed_;  // the latest AHRS high-rate record that held the airspeed

  double fuel_burned_total_ = 0.0;
  bool has_flow_ = false;
  double last_flow_ = 0.0;
  std::uint32_t last_flow_ms_ = 0;

  timed_position distance_from_;  // the GPS 1 position the distance flown was last added up to
  distance_point distance_from_point_;
  double distance_total_nm_ = 0.0;

  // For the runway contacts: the latest true track while moving, the latest pressure altitude.
  last_heard track_;
  double track_deg_ = 0.0;
  last_heard altitude_;
  int altitude_number_ = 0;  // as the AHRS stores it (air_data_numbers)
};

void flight_timeline::after_dispatch(const efis_record& record, const record_effect& effect) {
  const std::uint32_t t = record.timestamp;
  if (ctx_.follow.segments.began() && segment_listed_) summary_.segments.back().start = ctx_.follow.clock.mapping();
  if (effect.slot == cache_slot::ahrs_high_rate) [[likely]] {  // most of a LOG's records
    health_.note_periodic(periodic_source::ahrs_high_rate, t, segment_);
    if (effect.short_record) health_.note_short_ahrs();
    take_air_data(t);
    return;
  }
  switch (effect.slot) {
    case cache_slot::eis:
      health_.note_periodic(periodic_source::eis, t, segment_);
      if (effect.short_record) health_.note_short_eis();
      take_eis(t);
      break;
    case cache_slot::ahrs_low_rate: health_.note_periodic(periodic_source::ahrs_low_rate, t, segment_); break;
    case cache_slot::analog: health_.note_periodic(periodic_source::analog, t, segment_); break;
    default: break;
  }
  if (record.source_type == source_gps_1) health_.note_periodic(periodic_source::gps_1, t, segment_);
  if (record.source_type == source_gps_2) health_.note_periodic(periodic_source::gps_2, t, segment_);
  if (effect.new_fix_port >= 0) take_fix(effect.new_fix_port, t);
}

void flight_timeline::open_segment(const efis_record& record) {
  const log_segments& segments = ctx_.follow.segments;
  segment_ = segments.index();
  run_ = {0, record.timestamp, record.timestamp};
  health_.begin_segment();
  log_time_span& time = summary_.time;
  if (!time.has_records) {
    time.has_records = true;
    time.first.log_ms = time.earliest_ms = time.latest_ms = record.timestamp;
  }
  segment_listed_ = summary_.segments.size() < max_listed_segments;
  if (!segment_listed_) {
    ++summary_.segments_not_listed;
    return;
  }
  log_segment& entry = summary_.segments.emplace_back();
  entry.cause = segments.cause();
  entry.first_offset = record.offset;
  entry.first.log_ms = entry.last.log_ms = entry.lowest_ms = entry.highest_ms = record.timestamp;
  entry.first.segment = entry.last.segment = segment_;
}

// The records of the segment so far into the LOG's times and the segment's entry.
void flight_timeline::publish_run() {
  log_time_span& time = summary_.time;
  if (!time.has_records) return;
  time.last.log_ms = last_ms_;
  time.last.segment = segment_;
  time.earliest_ms = std::min(time.earliest_ms, run_.lowest_ms);
  time.latest_ms = std::max(time.latest_ms, run_.highest_ms);
  if (!segment_listed_) return;
  log_segment& entry = summary_.segments.back();
  entry.records = run_.records;
  entry.lowest_ms = run_.lowest_ms;
  entry.highest_ms = run_.highest_ms;
}

// The segment ends with the record before: its last record and its own clock.
void flight_timeline::close_segment() {
  publish_run();
  if (!segment_listed_) return;
  log_segment& entry = summary_.segments.back();
  entry.last = summary_.time.last;
  const utc_clock& clock = ctx_.follow.clock;
  entry.fixes = clock.fixes();
  if (clock.settled()) {
    entry.clock = segment_clock::own;
    entry.early = clock_mapping::through(utc_source::gps, clock.first());
  }
  if (entry.last.has_utc || !clock.known()) return;
  entry.last.has_utc = true;  // the clock that ends with the segment maps its last record
  entry.last.utc_ms = clock.utc_ms_at(entry.last.log_ms);
}

// A new segment begins at t. The runs end at the break, unless the aircraft was airborne before
// it and the break may prove an EFIS restart in flight: then the new segment decides.
void flight_timeline::break_before(std::uint32_t t) {
  publish_run();  // the runs that end here may end with the LOG's last record so far
  if (pending_.active) decide_restart(false, 0);
  close_segment();
  const log_segments& segments = ctx_.follow.segments;
  const std::uint32_t before = segments.previous_last_ms();
  const bool ran_on = segments.cause() == segment_cause::gap;
  const std::int64_t before_flow = flow(before);
  const utc_clock& clock = ctx_.follow.clock;
  const std::optional<std::int64_t> before_utc =
      clock.known() ? std::optional<std::int64_t>(clock.utc_ms_at(before)) : std::nullopt;
  const bool airborne = is_on_or_turning_off(airborne_.state());
  if (airborne && (!ran_on || std::int64_t{t} - before < restart_in_flight_ms)) {
    pending_ = pending_break{};
    pending_.active = true;
    pending_.ran_on = ran_on;
    pending_.first_ms = t;
    pending_.before_ms = before;
    pending_.before_flow = before_flow;
    pending_.before_utc = before_utc;
    pending_.landing = airborne_.state() == switch_state::on ? timed_at(last_speed_sample_ms_) : airborne_off_event_;
    pending_.engine_stop = engine_.state() == switch_state::on ? timed_at(last_engine_sample_ms_) : engine_off_event_;
    engine_.rebase(t);
    airborne_.rebase(t);
  } else {
    end_runs(airborne_.state() == switch_state::on ? timed_at(last_speed_sample_ms_) : airborne_off_event_,
             engine_.state() == switch_state::on ? timed_at(last_engine_sample_ms_) : engine_off_event_);
  }
  // The running clock goes on by the break's length where LOG time tells it (a restart's is
  // added once the flight proves to go on across it).
  carry_ms_ = before_flow + (ran_on ? std::int64_t{t} - before : 0) - t;
}

// What the new segment has told so far decides, once it is enough; a segment that has not
// told it within its first minute ends the runs at the break.
void flight_timeline::try_decide_restart(std::uint32_t t) {
  const bool late = std::int64_t{t} - pending_.first_ms >= restart_decision_ms;
  if (pending_.airborne_after && !*pending_.airborne_after) {
    decide_restart(false, 0);
    return;
  }
  std::optional<std::int64_t> off_ms;
  if (pending_.ran_on) {
    off_ms = std::int64_t{pending_.first_ms} - pending_.before_ms;
  } else if (const std::optional<std::int64_t> estimate = ctx_.follow.clock.estimate_ms();
             estimate && pending_.before_utc) {
    off_ms = std::int64_t{pending_.first_ms} + *estimate - *pending_.before_utc;
  }
  if (!pending_.airborne_after || !off_ms) {
    if (late) decide_restart(false, 0);
    return;
  }
  decide_restart(*off_ms >= 0 && *off_ms < restart_in_flight_ms, *off_ms);
}

void flight_timeline::decide_restart(bool goes_on, std::int64_t off_ms) {
  pending_.active = false;
  if (goes_on) {
    ++current_.restarts_in_flight;
    current_.restart_gap_s += static_cast<double>(off_ms) / 1000.0;
    carry_ms_ = pending_.before_flow + off_ms - pending_.first_ms;
    return;
  }
  end_runs(pending_.landing, pending_.engine_stop);
}

// The runs in progress end at the break: the airborne period at its last speed (or where it
// began to slow), the engine run at its last sample (or where it began to stop).
void flight_timeline::end_runs(const timed_event& landing, const timed_event& engine_stop) {
  if (is_on_or_turning_off(airborne_.state())) {
    airborne_off_event_ = landing;
    airborne_stopped(landing);
  }
  airborne_.reset();
  move_airborne_window();
  if (is_on_or_turning_off(engine_.state())) {
    engine_off_event_ = engine_stop;
    engine_stopped(engine_stop);
  }
  engine_.reset();
  move_group();
  now_.airborne = false;
  exceedances_.end_segment();
  distance_from_ = timed_position{};
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
  if (pending_.active) try_decide_restart(t);
  if (!std::isnan(s.rpm)) update_engine(t, s.rpm);
  if (options_.windows_only) return;

  const log_instant at = instant_at(t);
  engine_stretch_.take_engine(s, at, burned);
  if (airborne_figures* a = airborne_window_.target()) a->take_engine(s, at);
  if (group_window_.state() != window_state::closed) {
    // The air data as they stand: the latest AHRS high-rate message of the last 5 s.
    ahrs_hr_slot& ahrs = ctx_.summary.ahrs_hr;
    const bool fresh = ahrs.received() && t >= ahrs.timestamp() && t - ahrs.timestamp() <= air_data_max_age_ms;
    const air_data_sample air = fresh ? air_data_sample_of(ahrs) : air_data_sample{};
    const aux_inputs aux = phases_.reads_aux() ? aux_inputs_of(ctx_.summary.eis) : aux_inputs{};
    phases_.take_engine(t, segment_, s, units.report(), fitted_cylinders(options_.profile, ctx_.summary.settings.cylinders),
                        phases_.reads_aux() ? &aux : nullptr, fresh ? &air : nullptr);
  }
  exceedances_.take_engine(s, units.report(), ctx_.summary.settings.cylinders, now_, at);
}

void flight_timeline::update_engine(std::uint32_t t, double rpm) {
  now_.has_rpm = true;
  now_.rpm = rpm;
  last_engine_sample_ms_ = t;
  last_engine_sample_flow_ = flow(t);
  if (pending_.active) return;  // the engine runs on as it did until the break is decided
  const bool running = rpm >= options_.detection.engine_rpm;
  update_switch(
      engine_, engine_on_event_, engine_off_event_, t, running, !running,
      [this](const timed_event& e) { engine_stopped(e); },
      [this](const timed_event& e) {
        if (!current_.engine_start) {
          current_.engine_start = e.event;
          window_engine_start_flow_ = e.flow_ms;
        }
        ++current_.engine_runs;
        engine_run_start_flow_ = e.flow_ms;
      });
}

void flight_timeline::take_air_data(std::uint32_t t) {
  namespace f = ahrs_hr_layout;
  const ahrs_hr_slot& ahrs = ctx_.summary.ahrs_hr;
  const air_data_numbers n = air_data_numbers_of(ahrs.image());
  const bool whole = ahrs.length() >= f::size;  // a whole message holds every field
  if (whole || ahrs.holds(f::pressure_alt)) {
    altitude_.note(t);
    altitude_number_ = n.pressure_altitude;
  }
  double ias_kt = std::nan("");
  if (whole || ahrs.holds(f::asi)) {
    ias_kt = air_data_numbers::ias_kt(n.ias);
    ahrs_airspeed_.note(t);
    now_.has_ias = true;
    now_.ias_kt = ias_kt;
    take_speed(t, ias_kt);
  }
  if (options_.windows_only) return;
  // The record's moment is worked out only when a figure moves or a limit is checked.
  const auto at = [this, t] { return instant_at(t); };
  if (whole) [[likely]] {
    air_data_stretch_.take_air_data(n, at);
  } else {
    air_data_stretch_.take_held(n, ahrs, at);
  }
  if (exceedances_.checks_airspeed()) exceedances_.take_airspeed(ias_kt, now_, at());
}

// A fix with a position: GPS 1's adds to the distance flown; the position source's gives the
// ground speed (the speed that detects flight while the AHRS airspeed is not fresh).
void flight_timeline::take_fix(int port, std::uint32_t t) {
  if (pending_.active) try_decide_restart(t);
  const position_source& where = ctx_.follow.position;
  if (!where.gave_position()) return;
  if (port == 0) {
    const timed_position& here = where.latest(0);
    const distance_point to = distance_point::of({here.latitude_deg, here.longitude_deg});
    if (distance_from_.has && t > distance_from_.log_ms) {
      const double nm = great_circle_nm(distance_from_point_, to);
      if (nm / ((t - distance_from_.log_ms) / 3'600'000.0) <= glitch_speed_kt) distance_total_nm_ += nm;
    }
    distance_from_ = here;
    distance_from_point_ = to;
    if (airborne_figures* a = airborne_window_.target()) a->take_distance(distance_total_nm_);
  }
  if (!where.moved()) return;
  const gps_fix& fix = (port == 0 ? ctx_.summary.gps_1 : ctx_.summary.gps_2).fix;
  if (!fix.has_ground_speed) return;
  logbook_.take_fix(event_at(t), fix.ground_speed_kt, fix.has_track ? fix.track_deg : std::nan(""),
                    is_on_or_turning_off(engine_.state()));
  if (!options_.windows_only) phases_.note_ground_speed(t, fix.ground_speed_kt);
  if (fix.has_track && fix.ground_speed_kt >= min_track_speed_kt) {
    track_.note(t);
    track_deg_ = fix.track_deg;
  }
  if (!ahrs_airspeed_.fresh_at(t)) take_speed(t, fix.ground_speed_kt);
  if (options_.windows_only) return;
  const log_instant at = instant_at(t);
  log_figures_.take_ground_speed(fix.ground_speed_kt, at);
  if (flight_figures* f = group_window_.target()) f->take_ground_speed(fix.ground_speed_kt, at);
}

// A speed sample that may move the airborne switch, or comes while a break is pending.
void flight_timeline::take_speed_moving(std::uint32_t t, double kt) {
  if (pending_.active) {
    if (!pending_.airborne_after) pending_.airborne_after = kt >= options_.detection.landing_kt;
    try_decide_restart(t);
  }
  last_speed_sample_ms_ = t;
  last_speed_sample_flow_ = flow(t);
  if (pending_.active) return;
  update_switch(
      airborne_, airborne_on_event_, airborne_off_event_, t, kt >= options_.detection.takeoff_kt,
      kt < options_.detection.landing_kt, [this](const timed_event& e) { airborne_stopped(e); },
      [this](const timed_event& e) {
        if (!current_.takeoff) current_.takeoff = e.event;
        ++current_.airborne_periods;
        airborne_start_flow_ = e.flow_ms;
        add_contact(current_.contacts, current_.contacts_not_listed, {contact_kind::takeoff, e.event, std::nullopt});
      });
  now_.airborne = is_on_or_turning_off(airborne_.state());
  take_logbook_speed(t, kt);
}

// A landing lifted off from within this airborne period is one of its contacts; one before
// the period's takeoff ended the period before (airborne_stopped).
void flight_timeline::take_landing_left() {
  std::optional<runway_contact> left = logbook_.take_landing_left();
  if (now_.airborne && log_order(left->event.when) > log_order(airborne_on_event_.event.when)) {
    add_contact(current_.contacts, current_.contacts_not_listed, std::move(*left));
  }
}

// Feeds a switch one sample and moves the windows after it. A run's event (time and place) is
// taken at its first sample; it counts once the run has lasted. A stop is told to the flight
// before its window may close, a start after its window may have begun.
template <typename OnStop, typename OnStart>
void flight_timeline::update_switch(debounced_switch& s, timed_event& on_event, timed_event& off_event, std::uint32_t t,
                                    bool turns_on, bool turns_off, OnStop&& stopped, OnStart&& started) {
  const switch_state before = s.state();
  const switch_state after = s.update(t, turns_on, turns_off);
  if (before == after) return;
  if (before == switch_state::off) on_event = timed_at(t);
  if (before == switch_state::on) off_event = timed_at(t);
  const bool stops = is_on_or_turning_off(before) && after == switch_state::off;
  const bool starts = !is_on_or_turning_off(before) && is_on_or_turning_off(after);
  if (stops) stopped(off_event);
  if (&s == &airborne_) move_airborne_window();
  move_group();
  if (starts) started(on_event);
}

void flight_timeline::engine_stopped(const timed_event& e) {
  current_.engine_stop = e.event;
  window_engine_stop_flow_ = e.flow_ms;
  current_.engine_time_s += seconds_between(engine_run_start_flow_, e.flow_ms);
}

void flight_timeline::airborne_stopped(const timed_event& e) {
  current_.landing = e.event;
  // The landing's place: where the speed fell below the takeoff speed (about the touchdown,
  // before any turn off the runway), else where the period ended.
  std::optional<log_event> place = logbook_.landing_place();
  if (place && log_order(place->when) <= log_order(airborne_on_event_.event.when)) place.reset();
  add_contact(current_.contacts, current_.contacts_not_listed,
              {contact_kind::landing, place ? *place : e.event, std::nullopt});
  current_.flight_time_s += seconds_between(airborne_start_flow_, e.flow_ms);
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
  log_figures_.merge(air_data_stretch_);
  log_figures_.merge(engine_stretch_);
  if (flight_figures* fig = group_window_.target()) {
    fig->merge(air_data_stretch_);
    fig->merge(engine_stretch_);
  }
  air_data_stretch_ = air_data_figures{};
  engine_stretch_ = engine_figures{};
  group_window_.move_to(
      group_state(),
      [this] {
        current_ = flight_record{};
        logbook_.begin();
        phases_.begin();
      },
      [this](const flight_figures& figures) { finish_window(figures); });
}

// A flight or ground run is over: its times and totals, then the LOG's.
void flight_timeline::finish_window(const flight_figures& figures) {
  flight_record& w = current_;
  w.figures = figures;
  w.fuel_used_from_quantity = figures.fuel_used_from_quantity();
  w.fuel_used_from_flow = figures.fuel_used_from_flow();
  if (w.engine_start) {
    const std::int64_t stop =
        w.engine_running_at_end || !w.engine_stop ? last_engine_sample_flow_ : window_engine_stop_flow_;
    w.block_time_s = seconds_between(window_engine_start_flow_, stop);
  }
  const log_instant* start = nullptr;
  const log_instant* end = nullptr;
  for (const std::optional<log_event>* e : {&w.engine_start, &w.takeoff}) {
    if (*e && (start == nullptr || log_order((*e)->when) < log_order(*start))) start = &(*e)->when;
  }
  for (const std::optional<log_event>* e : {&w.engine_stop, &w.landing}) {
    if (*e && (end == nullptr || log_order((*e)->when) > log_order(*end))) end = &(*e)->when;
  }
  if (w.engine_running_at_end || w.airborne_at_end) end = &summary_.time.last;
  if (end == nullptr) end = start;
  if (start == nullptr) start = end;
  if (end != nullptr) {
    if (log_order(*end) < log_order(*start)) end = start;
    w.start_ms = start->log_ms;
    w.start_segment = start->segment;
    w.end_ms = end->log_ms;
    w.end_segment = end->segment;
  }
  w.logbook = logbook_.finish(w.engine_stop);
  const bool listed = summary_.flights.size() + summary_.ground_runs.size() < max_listed_windows;
  phases_.finish(w.end_ms, w.end_segment, listed);

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
  log.restarts_in_flight += w.restarts_in_flight;
  log.restart_gap_s += w.restart_gap_s;
  add(log.block_time_s, w.block_time_s);
  add(log.distance_nm, w.distance_nm);
  add(log.fuel_used_from_quantity, w.fuel_used_from_quantity);
  add(log.fuel_used_from_flow, w.fuel_used_from_flow);
  log.airborne.merge(w.airborne);

  std::vector<flight_record>& list = w.is_flight() ? summary_.flights : summary_.ground_runs;
  if (listed) {
    phases_of_.push_back({w.is_flight(), list.size()});
    list.push_back(w);
  } else {
    ++summary_.windows_not_listed;
  }
}

log_summary flight_timeline::finish() {
  publish_run();
  if (pending_.active) decide_restart(false, 0);
  ctx_.follow.clock.end_segment();
  close_segment();
  // The LOG ends: a run still turning on did not last, one turning off did end, and what is
  // still on ends with the LOG.
  const switch_state air = airborne_.state();
  if (air == switch_state::on) {
    current_.airborne_at_end = true;
    current_.flight_time_s += seconds_between(airborne_start_flow_, last_speed_sample_flow_);
  } else if (air == switch_state::turning_off) {
    airborne_stopped(airborne_off_event_);
  }
  airborne_ = debounced_switch{};
  move_airborne_window();
  const switch_state eng = engine_.state();
  if (eng == switch_state::on) {
    current_.engine_running_at_end = true;
    current_.engine_time_s += seconds_between(engine_run_start_flow_, last_engine_sample_flow_);
  } else if (eng == switch_state::turning_off) {
    engine_stopped(engine_off_event_);
  }
  engine_ = debounced_switch{};
  move_group();
  exceedances_.finish();
  std::vector<window_phases> phases = phases_.results();
  for (std::size_t k = 0; k < phases.size() && k < phases_of_.size(); ++k) {
    flight_record& w = (phases_of_[k].flight ? summary_.flights : summary_.ground_runs)[phases_of_[k].index];
    w.phases = std::move(phases[k].phases);
    w.warnings = std::move(phases[k].warnings);
  }

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
  s.log.end_segment = s.time.last.segment;
  s.limits = limits_only(options_.limits);
  s.warnings_checked = warning_rules_of(options_);
  s.warnings_not_listed = phases_.warnings_not_listed();
  s.profile = options_.profile;
  s.phases_not_listed = phases_.not_listed();
  s.exceedances = exceedances_.listed();
  s.exceedances_not_listed = exceedances_.not_listed();
  for (std::vector<flight_record>* list : {&s.flights, &s.ground_runs}) {
    for (flight_record& w : *list) {
      for (const exceedance& x : s.exceedances) {
        if (log_order(x.start) <= w.end_order() && log_order(x.end) >= w.start_order()) w.exceedances.push_back(x);
      }
    }
  }
  s.time.day_corrections = ctx_.follow.clock.day_corrections();
  s.time.new_anchors = ctx_.follow.clock.new_anchors();
  resolve_segments(s);
  resolve_utc(s);
  for (std::size_t k = 1; k < s.segments.size(); ++k) {
    log_segment& e = s.segments[k];
    const log_segment& before = s.segments[k - 1];
    if (e.first.has_utc && before.last.has_utc) {
      e.off_before_s = static_cast<double>(e.first.utc_ms - before.last.utc_ms) / 1000.0;
    } else if (e.cause == segment_cause::gap) {
      e.off_before_s = seconds_between(before.last.log_ms, e.first.log_ms);
    }
  }
  s.time.span_s = span_of(s);
  return std::move(summary_);
}

// How each segment's LOG times map to UTC before its own clock settles, and the breaks between
// them, once the LOG has been read.
void flight_timeline::resolve_segments(log_summary& s) const {
  std::vector<log_segment>& list = s.segments;
  const auto has_gps_clock = [](const log_segment& e) { return e.clock == segment_clock::own; };
  const bool any_gps = std::any_of(list.begin(), list.end(), has_gps_clock);
  for (std::size_t k = 0; k < list.size(); ++k) {
    log_segment& e = list[k];
    if (e.clock == segment_clock::own) continue;
    if (e.cause == segment_cause::gap && e.start.known()) {
      e.clock = segment_clock::previous;
      e.early = e.start;
      continue;
    }
    // None before it since the LOG timer last started: the first clock the timer runs on to.
    for (std::size_t j = k + 1; j < list.size() && list[j].cause == segment_cause::gap; ++j) {
      if (list[j].clock == segment_clock::own) {
        e.clock = segment_clock::following;
        e.early = list[j].early;
        break;
      }
    }
    const bool first_run = std::none_of(list.begin(), list.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                                        [](const log_segment& x) { return x.cause == segment_cause::restart; });
    if (e.clock == segment_clock::none && !any_gps && first_run && options_.utc_start_ms && s.time.has_records) {
      e.clock = segment_clock::user;
      e.early = clock_mapping::through(utc_source::user, {*options_.utc_start_ms, s.time.first.log_ms});
    }
  }
  // The clock a later pass starts each segment from: the one it carried over, else its early one.
  for (log_segment& e : list) {
    if (!e.start.known()) e.start = e.early;
  }
  s.time.source = utc_source::none;
  for (const log_segment& e : list) {
    if (e.early.known() || e.start.known()) {
      s.time.source = any_gps ? utc_source::gps : utc_source::user;
      break;
    }
  }
  if (!list.empty() && list.front().start.known()) {
    const clock_mapping& m = list.front().start;
    s.time.first_anchor = {m.utc_ms_at(m.from_ms), m.from_ms};
  }
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
  gps_ahead gps;
  if (options.gps_on_thread) {
    gps.follow(ctx);
  } else if (options.read_on_this_thread) {
    ctx.reader.read_on_this_thread();
  }
  flight_timeline timeline(ctx, options);
  run_record_loop(ctx, timeline);
  return timeline.finish();
}
