#include "scenario_simulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "flight_sentences.h"
#include "flight_sources.h"
#include "log_writer.h"
#include "scenario_flight.h"
#include "utc_calendar.h"

namespace {

constexpr std::int64_t step_ms = 40;  // the AHRS high-rate message rate, 25 Hz
constexpr double step_seconds = step_ms / 1000.0;
constexpr double aviation_byte_ms = 10000.0 / 9600.0;  // 9600 baud
constexpr std::int64_t longest_scenario_ms = std::int64_t{40} * 86400 * 1000;

struct pending_record {
  std::uint32_t timestamp = 0;
  std::uint64_t order = 0;  // records of one moment keep the order they were made in
  std::vector<std::uint8_t> bytes;
  int fix = -1;  // the truth fix whose sentence this record completes
};

// A segment as the recorder keeps it: true time (ms since the start) and LOG time.
struct live_segment {
  std::int64_t t0 = 0;
  std::int64_t t_end = 0;  // the EFIS went off at this true time
  std::uint32_t log0 = 0;  // LOG time at t0
  bool has_records = false;
};

// A truth moment kept in true time until the segments are known.
using moment_ms = std::int64_t;

struct live_phase {
  flown_phase phase;
  moment_ms start;
  moment_ms end;
  truth_engine_figures engine;
};

struct live_run {
  std::optional<moment_ms> engine_start, out, in, engine_stop, rest_after_landing;
  std::vector<std::pair<moment_ms, truth_takeoff>> takeoffs;
  std::vector<std::pair<moment_ms, truth_landing>> landings;
  std::vector<live_phase> phases;
  std::optional<geo_position> departure;
  std::optional<double> hobbs_start_h, hobbs_end_h, fuel_start_gal, fuel_end_gal;  // as logged
};

class scenario_recorder {
 public:
  scenario_recorder(const scenario& s, scenario_truth* truth)
      : scenario_(s),
        truth_(truth),
        flight_(s),
        sensor_rng_(s.settings.seed, 4),
        serial_rng_(s.settings.seed, 5),
        gps_rng_(s.settings.seed, 8),
        clock_rng_(s.settings.seed, 9) {}

  bool run(const log_sink& sink) {
    sink_ = &sink;
    open_segment(0, segment_start::power_up);
    std::int64_t t = 0;
    while (!flight_.finished()) {
      const scenario_step* before = flight_.current_step();
      flight_.step(step_seconds);
      t += step_ms;
      const bool on = flight_.efis_on();
      if (segment_open_ && (!on || flight_.power_ups() != power_ups_)) close_segment(t);
      if (on && !segment_open_ && !flight_.finished()) {  // not for the very end of a power-off
        open_segment(t, flight_.timer_restarted() ? segment_start::clock_restart : segment_start::power_off);
      }
      power_ups_ = flight_.power_ups();
      observe(t, before);
      if (segment_open_) record_step(t);
      if (t % 1000 == 0 && segment_open_ && !flush(log_time(t) - 1000, false)) return false;
      if (t > longest_scenario_ms) {
        failure_ = scenario_error{0, "the scenario runs longer than the LOG timestamps can cover (40 days)"};
        return false;
      }
    }
    if (flight_.failure()) {
      failure_ = flight_.failure();
      return false;
    }
    end_ms_ = t;
    if (segment_open_) close_segment(t + step_ms);
    if (!write_chunk()) return false;
    if (truth_ != nullptr) fill_truth();
    return true;
  }

  const std::optional<scenario_error>& failure() const { return failure_; }

 private:
  std::uint32_t log_time(std::int64_t t) const {
    const live_segment& s = segments_.back();
    return static_cast<std::uint32_t>(s.log0 + (t - s.t0));
  }

  void add(std::uint32_t timestamp, const log_writer& w, int fix = -1) {
    pending_.push_back({timestamp, order_++, w.data(), fix});
  }

  void add_record(std::uint8_t type, std::uint32_t timestamp, std::string_view payload, int fix = -1) {
    log_writer w;
    w.record(type, timestamp, payload);
    add(timestamp, w, fix);
  }

  // ---- segments ----

  void open_segment(std::int64_t t, segment_start how) {
    live_segment s;
    s.t0 = t;
    if (segments_.empty()) {
      const std::uint32_t first = scenario_.settings.first_log_ms;
      s.log0 = first != 0 ? first : 2000 + static_cast<std::uint32_t>(scenario_.settings.seed % 1000);
    } else if (how == segment_start::clock_restart) {
      s.log0 = static_cast<std::uint32_t>(clock_rng_.between(1000, 2999));
    } else {
      s.log0 = static_cast<std::uint32_t>(segments_.back().log0 + (t - segments_.back().t0));
    }
    truth_segment ts;
    ts.start = how;
    ts.off_seconds = segments_.empty() ? 0.0 : static_cast<double>(t - segments_.back().t_end) / 1000.0;
    ts.utc_ms_at_log_zero = scenario_.settings.start_utc_ms + t - s.log0;
    segments_.push_back(s);
    segment_truth_.push_back(ts);
    segment_open_ = true;
    power_up_ms_ = t;
    for (std::size_t port = 0; port < 2; ++port) {
      fix_from_ms_[port] = t + static_cast<std::int64_t>(scenario_.settings.gps_acquire_s * 1000.0) +
                           static_cast<std::int64_t>(port) * 1700;
    }
    power_up_records(log_time(t));
  }

  void close_segment(std::int64_t t) {
    segments_.back().t_end = t;
    flush(log_time(t), true);
    segment_open_ = false;
  }

  // Writes the pending records stamped before `limit`; at a segment's end drops the others
  // (sentences still on their way when the EFIS went off).
  bool flush(std::uint32_t limit, bool segment_end) {
    std::stable_sort(pending_.begin(), pending_.end(), [](const pending_record& a, const pending_record& b) {
      return a.timestamp != b.timestamp ? a.timestamp < b.timestamp : a.order < b.order;
    });
    std::size_t n = 0;
    truth_segment& seg = segment_truth_.back();
    while (n < pending_.size() && pending_[n].timestamp < limit) {
      const pending_record& r = pending_[n++];
      chunk_.insert(chunk_.end(), r.bytes.begin(), r.bytes.end());
      if (seg.records++ == 0) seg.first_log_ms = r.timestamp;
      seg.last_log_ms = r.timestamp;
      if (r.fix >= 0) {
        fixes_[static_cast<std::size_t>(r.fix)].arrival_log_ms = r.timestamp;
        fix_written_[static_cast<std::size_t>(r.fix)] = true;
      }
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
    if (segment_end) pending_.clear();
    return write_chunk();
  }

  bool write_chunk() {
    if (chunk_.empty()) return true;
    const bool ok = (*sink_)(chunk_);
    chunk_.clear();
    return ok;
  }

  // ---- the records of one step ----

  void record_step(std::int64_t t) {
    const std::uint32_t now = log_time(t);
    const int k = static_cast<int>(t % 1000 / step_ms);
    const double on_s = static_cast<double>(t - power_up_ms_) / 1000.0;
    const aircraft_state& a = flight_.aircraft();
    if (t - power_up_ms_ == 1000) user_calibration(now + 500);
    {
      log_writer w;
      const std::uint32_t at = now + static_cast<std::uint32_t>(sensor_rng_.between(0, 4));
      w.ahrs_hr(at, ahrs_high_rate_reading(a, flight_.magnetic_heading_deg(), on_s < 20.0, sensor_rng_));
      add(at, w);
    }
    if (k == 3 || k == 11 || k == 19) eis(t, now + static_cast<std::uint32_t>(12 + sensor_rng_.between(0, 8)), on_s);
    if (k == 7) {
      log_writer w;
      const std::uint32_t at = now + static_cast<std::uint32_t>(20 + sensor_rng_.between(0, 6));
      w.ahrs_lr(at,
                ahrs_low_rate_reading(flight_.outside_temp_c(), flight_.engine().state().bus_volts, on_s, sensor_rng_));
      add(at, w);
    }
    if (k == 14) {
      log_writer w;
      const std::uint32_t at = now + static_cast<std::uint32_t>(22 + sensor_rng_.between(0, 6));
      w.analog(at,
               analog_reading(flight_.ils(), a, flight_.engine().state().bus_volts, on_s, analog_flags_, sensor_rng_));
      add(at, w);
    }
    gps_fixes(t);
  }

  void eis(std::int64_t t, std::uint32_t timestamp, double on_s) {
    scenario_engine& engine = flight_.engine();
    const eis_fields f = engine.reading(flight_.aircraft(), flight_.outside_temp_c(), on_s,
                                        static_cast<double>(t) / 1000.0, sensor_rng_);
    log_writer w;
    w.eis(timestamp, f);
    add(timestamp, w);
    live_run* run = current_run();
    if (run != nullptr) {
      if (!run->hobbs_start_h) {
        run->hobbs_start_h = f.elapsed_time / 10.0;
        run->fuel_start_gal = f.fuelqty / 10.0;
      }
      run->hobbs_end_h = f.elapsed_time / 10.0;
      run->fuel_end_gal = f.fuelqty / 10.0;
    }
    if (run == nullptr || run->phases.empty() || run->phases.back().end >= 0) return;
    truth_engine_figures& fig = run->phases.back().engine;
    const engine_state& e = engine.state();
    for (std::size_t i = 0; i < static_cast<std::size_t>(engine.cylinders()); ++i) {
      fig.cht[i].add(f.cht[i]);
      fig.egt[i].add(f.egt[i]);
      fig.model_cht[i].add(e.cht[i]);
    }
    fig.rpm.add(f.tachometer);
    fig.oil_temperature_f.add(f.oiltemp);
    fig.oil_pressure_psi.add(f.oilpressure);
    fig.fuel_flow_gph.add(f.fuelflow / 10.0);
    for (std::size_t i = 0; i < 6; ++i) {
      if (scenario_.settings.aux[i] != aux_input::manifold_pressure) continue;
      fig.manifold_pressure_inhg.add(f.aux[i] / 10.0);
      break;
    }
  }

  // A fix of each receiver at every epoch that fell within this step.
  void gps_fixes(std::int64_t t) {
    const scenario_settings& set = scenario_.settings;
    const std::int64_t epoch_ms = std::llround(set.gps_epoch_s * 1000.0);
    const std::int64_t utc_before = set.start_utc_ms + t - step_ms;
    const std::int64_t utc_now = set.start_utc_ms + t;
    // The first epoch after utc_before.
    const std::int64_t k =
        (utc_before - epoch_ms) >= 0 ? (utc_before - epoch_ms) / 1000 + 1 : -((epoch_ms - utc_before) / 1000);
    const std::int64_t fix_utc = k * 1000 + epoch_ms;
    if (fix_utc > utc_now || fix_utc <= utc_before) return;
    const std::int64_t fix_t = fix_utc - set.start_utc_ms;
    if (fix_t < power_up_ms_) return;
    // Where the aircraft was at the epoch, a few milliseconds ago.
    const aircraft_state& a = flight_.aircraft();
    const double back_s = static_cast<double>(t - fix_t) / 1000.0;
    const geo_position true_position =
        geo_moved(flight_.position(), heading_vector(a.track_deg) * (-a.ground_speed_mps * back_s));
    for (std::size_t port = 0; port < 2; ++port) {
      const gps_sentences format = set.gps[port];
      if (format == gps_sentences::none) continue;
      const bool fix = t >= fix_from_ms_[port];
      if (!fix && format != gps_sentences::nmea) continue;  // the aviation format waits for the fix
      const gps_report r = gps_reading(port, true_position, fix, fix_utc, back_s);
      const double delay_s = gps_rng_.uniform(set.gps_delay_min_s, set.gps_delay_max_s);
      const std::uint32_t arrival = log_time(fix_t) + static_cast<std::uint32_t>(std::llround(delay_s * 1000.0));
      int fix_index = -1;
      if (fix) {
        fix_index = static_cast<int>(fixes_.size());
        fixes_.push_back(
            {static_cast<int>(port) + 1, fix_utc, 0, static_cast<int>(segments_.size()) - 1, true_position});
        fix_written_.push_back(false);
      }
      const std::uint8_t type = port == 0 ? 3 : 11;
      if (format == gps_sentences::nmea) {
        add_record(type, arrival, gprmc_sentence(r), fix_index);
        continue;
      }
      const std::string sentence = aviation_sentence(r, format == gps_sentences::aviation_3 ? 3 : 1);
      const auto records = serial_records(sentence, arrival, aviation_byte_ms, serial_rng_);
      for (std::size_t i = 0; i < records.size(); ++i) {
        add_record(type, records[i].first, records[i].second, i + 1 == records.size() ? fix_index : -1);
      }
    }
  }

  gps_report gps_reading(std::size_t port, geo_position true_position, bool fix, std::int64_t fix_utc, double back_s) {
    const scenario_settings& set = scenario_.settings;
    const aircraft_state& a = flight_.aircraft();
    const leg_navigation nav = flight_.navigation();
    gps_report r;
    const vec2 noise = {gps_noise_[port][0].next(sensor_rng_), gps_noise_[port][1].next(sensor_rng_)};
    const geo_position g = geo_moved(true_position, noise);
    r.latitude = g.latitude;
    r.longitude = g.longitude;
    r.altitude_ft = a.altitude_ft - a.vertical_speed_fpm / 60.0 * back_s + gps_noise_[port][2].next(sensor_rng_) * 6.0;
    const double speed_kt = a.ground_speed_mps / mps_per_knot;
    if (speed_kt >= 1.0 || !track_known_[port]) last_track_[port] = a.track_deg;
    track_known_[port] = true;  // standing still, the receiver keeps the last track
    r.track_deg = last_track_[port];
    r.ground_speed_kt = speed_kt;
    r.variation_deg = set.variation_deg;
    r.waypoint = nav.waypoint;
    r.waypoint_distance_nm = nav.waypoint_distance_m / metres_per_nm;
    r.destination_distance_nm = nav.destination_distance_m / metres_per_nm;
    r.cross_track_nm = nav.cross_track_m / metres_per_nm;
    r.desired_track_deg = nav.desired_track_deg;
    r.bearing_deg = nav.bearing_deg;
    r.fix = fix;
    const std::int64_t of_day = utc_ms_of_day(fix_utc);
    r.utc_seconds = static_cast<int>(of_day / 1000);
    if (set.gps_fraction) r.utc_hundredths = static_cast<int>(of_day % 1000 / 10);
    const civil_day day = civil_from_days(utc_day_of(fix_utc));
    r.day = day.day;
    r.month = day.month;
    r.year = day.year;
    return r;
  }

  // ---- settings and radios at power-up ----

  void power_up_records(std::uint32_t start) {
    std::vector<std::string> settings = {"58=" + std::to_string(scenario_.settings.cylinders), "321=1", "345=0",
                                         "346=0"};
    for (std::size_t i = 0; i < 6; ++i) {
      const aux_input a = scenario_.settings.aux[i];
      const int descriptor = a == aux_input::manifold_pressure ? 1 : a == aux_input::fuel_pressure ? 2 : 0;
      settings.push_back(std::to_string(64 + 6 * i) + "=" + std::to_string(descriptor));
    }
    std::uint32_t t = start + 400;
    for (const std::string& s : settings) {
      add_record(7, t, s);
      t += 7;
    }
    add_record(5, start + 520, "COM 118.300/121.500 NAV 111.70/116.80\r\n");
    add_record(12, start + 560, "COM 121.600/124.700\r\n");
  }

  void user_calibration(std::uint32_t timestamp) {
    flight_random cal(scenario_.settings.seed, 7);  // the same calibration every time it is sent
    std::array<std::uint16_t, 8> words{};
    for (std::uint16_t& word : words) word = static_cast<std::uint16_t>(cal.between(0, 0xFFFF));
    log_writer w;
    w.ahrs_user_cal(timestamp, words, static_cast<std::uint8_t>(cal.between(0, 255)));
    add(timestamp, w);
  }

  // ---- the truth, watched every step ----

  void observe(std::int64_t t, const scenario_step* before) {
    if (truth_ == nullptr) return;
    const aircraft_state& a = flight_.aircraft();
    const bool running = flight_.engine().running();
    const bool moving = a.ground_speed_mps > 0.05;
    if (running && !was_running_) {
      runs_.emplace_back();
      run_index_ = static_cast<int>(runs_.size()) - 1;
      runs_.back().engine_start = t;
    }
    live_run* run = current_run();
    if (run != nullptr) {
      if (running && moving && !was_moving_ && !run->out && !a.airborne) run->out = t;
      if (!moving && was_moving_ && !a.airborne && !run->landings.empty()) run->rest_after_landing = t;
      if (a.airborne && !was_airborne_ && before != nullptr) {
        if (!run->departure) run->departure = before->at;
        run->takeoffs.push_back({t, {{}, flight_.position(), before->line}});
      }
      if (!a.airborne && was_airborne_ && before != nullptr) {
        truth_landing l;
        l.position = flight_.position();
        l.full_stop = before->command == scenario_command::land;
        l.runway_point = before->at;
        l.runway_elevation_ft = before->elevation_ft;
        l.runway_heading_deg = flight_.ground_runway().heading_deg;
        l.line = before->line;
        run->landings.push_back({t, l});
        run->rest_after_landing.reset();
      }
      const std::optional<flown_phase> p = flight_.phase();
      live_phase* open = !run->phases.empty() && run->phases.back().end < 0 ? &run->phases.back() : nullptr;
      if (open != nullptr && (!p || *p != open->phase)) {
        open->end = t;
        open = nullptr;
      }
      if (p && open == nullptr) run->phases.push_back({*p, t, -1, {}});
    }
    if (!running && was_running_ && run != nullptr) {  // run stays valid: no run was added
      run->engine_stop = t;
      end_run(t);
    }
    // Fast-cooling descents: the legs flown with the power at idle.
    const scenario_step* now = flight_.current_step();
    if (now != before) {
      if (before != nullptr && before->command == scenario_command::fly_to && before->idle) idle_legs_.back().end = t;
      if (now != nullptr && now->command == scenario_command::fly_to && now->idle) idle_legs_.push_back({now, t, -1});
    }
    was_running_ = running;
    was_moving_ = moving;
    was_airborne_ = a.airborne;
  }

  live_run* current_run() { return run_index_ >= 0 ? &runs_[static_cast<std::size_t>(run_index_)] : nullptr; }

  void end_run(std::int64_t t) {
    live_run& run = *current_run();
    if (!run.phases.empty() && run.phases.back().end < 0) run.phases.back().end = t;
    if (!run.landings.empty() && run.rest_after_landing) run.in = run.rest_after_landing;
    run_index_ = -1;
  }

  truth_moment moment(std::int64_t t) const {
    truth_moment m;
    m.scenario_s = static_cast<double>(t) / 1000.0;
    m.utc_ms = scenario_.settings.start_utc_ms + t;
    for (std::size_t i = 0; i < segments_.size(); ++i) {
      const live_segment& s = segments_[i];
      if (t < s.t0 || t >= s.t_end || segment_index_[i] < 0) continue;
      m.logged = true;
      m.log_ms = static_cast<std::uint32_t>(s.log0 + (t - s.t0));
      m.segment = segment_index_[i];
    }
    return m;
  }

  void fill_truth() {
    scenario_truth& truth = *truth_;
    truth = scenario_truth{};
    const scenario_settings& set = scenario_.settings;
    truth.start_utc_ms = set.start_utc_ms;
    truth.seconds = static_cast<double>(end_ms_) / 1000.0;
    truth.cylinders = set.cylinders;
    truth.aux = set.aux;
    truth.gps = set.gps;
    // A power-up cut short before its first record (a clock restart at once) is no segment.
    for (std::size_t i = 0; i < segments_.size(); ++i) {
      truth_segment s = segment_truth_[i];
      segment_index_.push_back(s.records == 0 ? -1 : static_cast<int>(truth.segments.size()));
      if (s.records == 0) continue;
      s.first_utc_ms = s.utc_ms_at_log_zero + s.first_log_ms;
      s.last_utc_ms = s.utc_ms_at_log_zero + s.last_log_ms;
      truth.segments.push_back(s);
    }
    for (std::size_t i = 0; i < fixes_.size(); ++i) {
      if (!fix_written_[i]) continue;
      truth.fixes.push_back(fixes_[i]);
      truth.fixes.back().segment = segment_index_[static_cast<std::size_t>(fixes_[i].segment)];
    }
    if (current_run() != nullptr) end_run(end_ms_);
    for (live_run& run : runs_) {
      truth_flight f;
      const auto at = [this](const std::optional<std::int64_t>& t) {
        return t ? std::optional<truth_moment>(moment(*t)) : std::nullopt;
      };
      f.engine_start = at(run.engine_start);
      f.out = at(run.out);
      f.in = at(run.in);
      f.engine_stop = at(run.engine_stop);
      if (run.departure) f.departure = *run.departure;
      f.hobbs_start_h = run.hobbs_start_h;
      f.hobbs_end_h = run.hobbs_end_h;
      f.fuel_start_gal = run.fuel_start_gal;
      f.fuel_end_gal = run.fuel_end_gal;
      for (auto& [t, takeoff] : run.takeoffs) {
        takeoff.when = moment(t);
        f.takeoffs.push_back(takeoff);
      }
      for (auto& [t, landing] : run.landings) {
        landing.when = moment(t);
        f.landings.push_back(landing);
      }
      for (const live_phase& p : run.phases)
        f.phases.push_back({p.phase, moment(p.start), moment(p.end < 0 ? end_ms_ : p.end), p.engine});
      (f.is_flight() ? truth.flights : truth.ground_runs).push_back(std::move(f));
    }
    const double end_s = truth.seconds;
    for (const engine_event& e : scenario_.events) {
      truth_engine_event te;
      te.event = e;
      te.start = moment(std::llround(e.start_s * 1000.0));
      te.end = moment(std::llround(std::min(e.end_s, end_s) * 1000.0));
      truth.engine_events.push_back(te);
    }
    for (const idle_leg& leg : idle_legs_) {
      truth_engine_event te;
      te.event.kind = engine_event_kind::fast_cooling;
      te.event.line = leg.step->line;
      const std::int64_t end = leg.end >= 0 ? leg.end : end_ms_;
      te.event.start_s = static_cast<double>(leg.start) / 1000.0;
      te.event.end_s = static_cast<double>(end) / 1000.0;
      te.start = moment(leg.start);
      te.end = moment(end);
      truth.engine_events.push_back(te);
    }
  }

  const scenario& scenario_;
  scenario_truth* truth_;
  const log_sink* sink_ = nullptr;
  scenario_flight flight_;
  flight_random sensor_rng_;
  flight_random serial_rng_;
  flight_random gps_rng_;
  flight_random clock_rng_;
  std::optional<scenario_error> failure_;
  std::vector<live_segment> segments_;
  std::vector<truth_segment> segment_truth_;
  std::vector<int> segment_index_;  // of each segment in the truth; -1 for one without records
  bool segment_open_ = false;
  int power_ups_ = 0;
  std::int64_t power_up_ms_ = 0;
  std::int64_t end_ms_ = 0;
  std::array<std::int64_t, 2> fix_from_ms_ = {};
  std::array<std::array<drifting_noise, 3>, 2> gps_noise_ = {
      {{drifting_noise(3.0, 0.05), drifting_noise(3.0, 0.05), drifting_noise(3.0, 0.05)},
       {drifting_noise(3.0, 0.05), drifting_noise(3.0, 0.05), drifting_noise(3.0, 0.05)}}};
  std::array<double, 2> last_track_ = {};
  std::array<bool, 2> track_known_ = {};
  analog_flags analog_flags_;
  std::vector<pending_record> pending_;
  std::uint64_t order_ = 0;
  std::vector<std::uint8_t> chunk_;
  std::vector<truth_fix> fixes_;
  std::vector<bool> fix_written_;
  std::vector<live_run> runs_;
  int run_index_ = -1;  // the engine run going on
  bool was_running_ = false;
  bool was_moving_ = false;
  bool was_airborne_ = false;
  struct idle_leg {
    const scenario_step* step;
    std::int64_t start;
    std::int64_t end;
  };
  std::vector<idle_leg> idle_legs_;  // the legs flown at idle power
};

}  // namespace

bool simulate_scenario(const scenario& s, const log_sink& sink, scenario_truth* truth, scenario_error* error) {
  scenario_recorder recorder(s, truth);
  const bool ok = recorder.run(sink);
  if (!ok && error != nullptr) *error = recorder.failure().value_or(scenario_error{-1, "the LOG could not be written"});
  return ok;
}

std::string scenario_log(const scenario& s, scenario_truth* truth, scenario_error* error) {
  std::string log;
  const bool ok = simulate_scenario(
      s,
      [&log](std::span<const std::uint8_t> bytes) {
        log.append(bytes.begin(), bytes.end());
        return true;
      },
      truth, error);
  return ok ? log : std::string();
}
