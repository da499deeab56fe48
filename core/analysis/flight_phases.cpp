#include "analysis/flight_phases.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "analysis/work_ahead.h"

namespace {

constexpr std::uint8_t no_phase = 0xFF;  // warming up, standing after the taxi in, past the window
constexpr std::size_t ring_size = 8192;  // samples waiting for their phase; a power of two
constexpr std::uint32_t fresh_ms = 5000;  // a value older than this is not known
constexpr double takeoff_rise_rpm_per_s = 100.0;  // the engine speed rising to takeoff power

constexpr std::uint8_t label(flight_phase_kind k) { return static_cast<std::uint8_t>(k); }

constexpr std::array<std::string_view, flight_phase_kind_count> phase_names = {
    "taxi_out", "runup", "takeoff_roll", "climb", "cruise", "descent", "approach", "landing_roll", "taxi_in"};
constexpr std::array<std::string_view, flight_phase_kind_count> phase_displays = {
    "Taxi out", "Run-up", "Takeoff roll", "Climb", "Cruise", "Descent", "Approach", "Landing roll", "Taxi in"};

float at_time(const latest_value& v, std::uint32_t t) {
  return v.has && t >= v.at && t - v.at <= fresh_ms ? static_cast<float>(v.value) : std::nanf("");
}

}  // namespace

std::string_view flight_phase_name(flight_phase_kind k) { return phase_names[static_cast<std::size_t>(k)]; }
std::string_view flight_phase_display(flight_phase_kind k) { return phase_displays[static_cast<std::size_t>(k)]; }

class flight_phases::machine {
 public:
  machine(const aircraft_profile& profile, const warning_rules& rules, std::uint64_t& not_listed)
      : t_(profile.phases),
        not_listed_(not_listed),
        ring_(new phase_sample[ring_size]),
        warnings_(rules, max_listed_warnings) {
    if (const auto i = aux_input_of(profile, aux_quantity::manifold_pressure_inhg)) {
      map_input_ = static_cast<int>(*i);
      map_scale_ = profile.aux[*i].scale;
    }
    if (const auto i = aux_input_of(profile, aux_quantity::fuel_pressure_psi)) {
      fuel_pressure_input_ = static_cast<int>(*i);
      fuel_pressure_scale_ = profile.aux[*i].scale;
    }
  }

  void begin() {
    commit_ = window_ = head_ = 0;
    open_ = false;
    airborne_ = lifted_ = moved_ = rolling_out_ = in_runup_ = false;
    liftoff_run_.reset();
    touchdown_run_.reset();
    runup_run_.reset();
    still_run_.reset();
    vertical_run_.reset();
    mode_ = label(flight_phase_kind::climb);
    phases_.clear();
  }

  // The sample the phases take, into s: the engine values in the reporting units, the aircraft
  // as it stands. Reads only what the constructor set, so any thread may call it.
  void sample_of(phase_sample& s, std::uint32_t t, std::uint32_t segment, const engine_sample& e, std::size_t fitted,
                 const aux_inputs* aux, const air_data_sample* air, const latest_value& ground_speed) const {
    s.log_ms = t;
    s.segment = segment;
    const float nan = std::nanf("");
    bool every_cht = true;
    for (std::size_t c = 0; c < cylinder_count; ++c) {
      const bool is_fitted = c < fitted;
      s.value[measure_cht_1 + c] = is_fitted ? static_cast<float>(e.cht[c]) : nan;
      s.value[measure_egt_1 + c] = is_fitted ? static_cast<float>(e.egt[c]) : nan;
      every_cht = every_cht && (!is_fitted || e.cht[c] == e.cht[c]);
    }
    s.every_cht = every_cht;
    s.cylinders = static_cast<std::uint8_t>(std::min(fitted, cylinder_count));
    s.value[measure_oil_temperature] = static_cast<float>(e.oil_temperature);
    s.value[measure_oil_pressure] = static_cast<float>(e.oil_pressure_psi);
    s.value[measure_fuel_flow] = static_cast<float>(e.fuel_flow);
    s.value[measure_rpm] = static_cast<float>(e.rpm);
    s.value[measure_manifold_pressure] =
        aux != nullptr && map_input_ >= 0 ? static_cast<float>(aux->value[map_input_] * map_scale_) : nan;
    s.value[measure_fuel_pressure] = aux != nullptr && fuel_pressure_input_ >= 0
                                         ? static_cast<float>(aux->value[fuel_pressure_input_] * fuel_pressure_scale_)
                                         : nan;
    const float ias = air != nullptr ? static_cast<float>(air->ias_kt) : nan;
    s.ground_speed_kt = at_time(ground_speed, t);
    s.speed_kt = ias == ias ? ias : s.ground_speed_kt;
    s.altitude_ft = air != nullptr ? static_cast<float>(air->pressure_altitude_ft) : nan;
    s.vertical_speed_fpm = air != nullptr ? static_cast<float>(air->vertical_speed_fpm) : nan;
    s.label = 0;
    s.airborne = false;
  }

  void take(const phase_sample& sample, const engine_units& units) {
    units_ = units;
    if (head_ - window_ == ring_size) make_room();
    phase_sample& s = at(head_);
    s = sample;
    segment_ = sample.segment;
    const std::uint64_t i = head_++;
    if (airborne_) {
      in_the_air(i);
    } else {
      on_the_ground(i);
    }
  }

  std::vector<phase_record> finish(std::uint32_t end_ms, std::uint32_t end_segment) {
    // Past the window's end no phase; standing still at its end, no taxiing.
    for (std::uint64_t i = commit_; i < head_; ++i) {
      if (log_order(at(i).segment, at(i).log_ms) > log_order(end_segment, end_ms)) at(i).label = no_phase;
    }
    for (std::uint64_t i = head_; i > commit_ && !airborne_;) {
      phase_sample& s = at(--i);
      if (s.label == no_phase) continue;
      if (s.label != label(flight_phase_kind::taxi_out) || is_moving(s)) break;
      s.label = no_phase;
    }
    commit_to(head_);
    close_phase(nullptr);
    warnings_.end_window();
    window_warnings_ = warnings_.take_listed();
    for (engine_warning& w : window_warnings_) {
      for (log_instant* at : {&w.start, &w.end, &w.peak_at}) *at = instant(at->log_ms, at->segment);
    }
    std::vector<phase_record> done = std::move(phases_);
    begin();
    return done;
  }

 private:
  phase_sample& at(std::uint64_t i) { return ring_[i & (ring_size - 1)]; }

  bool lasted(std::uint64_t from, std::uint64_t to, double seconds) {
    return std::int64_t{at(to).log_ms} - std::int64_t{at(from).log_ms} >= std::llround(seconds * 1000.0);
  }
  bool is_moving(const phase_sample& s) const {
    const float g = std::isnan(s.ground_speed_kt) ? s.speed_kt : s.ground_speed_kt;
    return !std::isnan(g) && g >= t_.moving_kt;
  }
  void relabel(std::uint64_t from, std::uint64_t to, std::uint8_t to_label) {
    for (std::uint64_t i = std::max(from, commit_); i < to; ++i) at(i).label = to_label;
  }

  // ---- on the ground ----

  void on_the_ground(std::uint64_t i) {
    phase_sample& s = at(i);
    s.airborne = false;
    if (!std::isnan(s.speed_kt) && s.speed_kt >= t_.liftoff_kt) {
      if (!liftoff_run_) liftoff_run_ = i;
    } else {
      liftoff_run_.reset();
    }
    const bool moving = is_moving(s);
    if (rolling_out_) {
      const float g = std::isnan(s.ground_speed_kt) ? s.speed_kt : s.ground_speed_kt;
      if (!std::isnan(g) && g < t_.taxi_kt) rolling_out_ = false;
    }
    if (!moving && !rolling_out_ && s.rpm() >= t_.runup_rpm) {
      if (!runup_run_) runup_run_ = i;
      if (!in_runup_ && lasted(*runup_run_, i, t_.runup_s)) {
        in_runup_ = true;
        relabel(*runup_run_, i, label(flight_phase_kind::runup));
      }
    } else {
      runup_run_.reset();
      in_runup_ = false;
    }
    if (rolling_out_) {
      s.label = label(flight_phase_kind::landing_roll);
    } else if (in_runup_) {
      s.label = label(flight_phase_kind::runup);
    } else if (moving) {
      if (still_run_) {  // a stop in the taxi in: taxiing after all
        for (std::uint64_t j = std::max(*still_run_, commit_); j < i; ++j) {
          if (at(j).label == no_phase) at(j).label = label(flight_phase_kind::taxi_in);
        }
        still_run_.reset();
      }
      moved_ = true;
      s.label = label(lifted_ ? flight_phase_kind::taxi_in : flight_phase_kind::taxi_out);
    } else if (!moved_) {
      s.label = no_phase;  // warming up before the first movement
    } else if (lifted_) {
      if (!still_run_) still_run_ = i;
      s.label = no_phase;  // come to rest, unless it moves on
    } else {
      s.label = label(flight_phase_kind::taxi_out);  // a stop on the way out
    }
    if (liftoff_run_ && lasted(*liftoff_run_, i, t_.liftoff_s)) lift_off(*liftoff_run_, i);
  }

  void lift_off(std::uint64_t first, std::uint64_t i) {
    // The takeoff roll: back from lift-off while the engine gives takeoff power and it rolls.
    std::uint64_t roll = first;
    while (roll > commit_) {
      const phase_sample& p = at(roll - 1);
      const bool power = std::isnan(p.rpm()) ? p.ground_speed_kt >= t_.taxi_kt : p.rpm() >= t_.takeoff_rpm;
      if (p.airborne || !power || !is_moving(p)) break;
      --roll;
    }
    // ... and back over the rise of the engine speed to that power.
    while (roll > commit_) {
      const phase_sample& p = at(roll - 1);
      const phase_sample& q = at(roll);
      if (p.airborne || q.log_ms <= p.log_ms) break;
      if (!((q.rpm() - p.rpm()) * 1000.0 / (q.log_ms - p.log_ms) >= takeoff_rise_rpm_per_s)) break;
      --roll;
    }
    relabel(roll, first, label(flight_phase_kind::takeoff_roll));
    airborne_ = lifted_ = moved_ = true;
    rolling_out_ = in_runup_ = false;
    liftoff_run_.reset();
    runup_run_.reset();
    still_run_.reset();
    touchdown_run_.reset();
    vertical_run_.reset();
    mode_ = label(flight_phase_kind::climb);
    commit_to(roll);
    for (std::uint64_t j = first; j <= i; ++j) {
      at(j).airborne = true;
      climb_or_descend(j);
    }
  }

  // ---- in the air ----

  void in_the_air(std::uint64_t i) {
    phase_sample& s = at(i);
    s.airborne = true;
    if (!std::isnan(s.speed_kt) && s.speed_kt < t_.liftoff_kt) {
      if (!touchdown_run_) touchdown_run_ = i;
    } else {
      touchdown_run_.reset();
    }
    climb_or_descend(i);
    if (touchdown_run_ && lasted(*touchdown_run_, i, t_.touchdown_s)) touch_down(*touchdown_run_, i);
  }

  // A climb or descent run lasts while the mean vertical speed of its samples stays beyond half
  // the threshold (a pause in a descent does not end it); a level run while every sample is
  // level.
  void climb_or_descend(std::uint64_t i) {
    phase_sample& s = at(i);
    const float vs = s.vertical_speed_fpm;
    const std::uint8_t kind = std::isnan(vs)              ? mode_
                              : vs >= t_.climb_fpm        ? label(flight_phase_kind::climb)
                              : vs <= -t_.climb_fpm       ? label(flight_phase_kind::descent)
                                                          : label(flight_phase_kind::cruise);
    if (vertical_run_ && !std::isnan(vs)) {
      bool lasts = kind == vertical_kind_;
      if (vertical_kind_ != label(flight_phase_kind::cruise)) {
        vertical_sum_ += vs;
        ++vertical_count_;
        const double mean = vertical_sum_ / vertical_count_;
        lasts = vertical_kind_ == label(flight_phase_kind::climb) ? mean >= t_.climb_fpm / 2 : mean <= -t_.climb_fpm / 2;
      }
      if (!lasts) vertical_run_.reset();
    }
    if (!vertical_run_ && kind != mode_) {
      vertical_run_ = i;
      vertical_kind_ = kind;
      vertical_sum_ = vs;
      vertical_count_ = 1;
    }
    if (vertical_run_) {
      const double needed = vertical_kind_ == label(flight_phase_kind::climb)    ? t_.climb_s
                            : vertical_kind_ == label(flight_phase_kind::cruise) ? t_.cruise_s
                                                                                 : t_.descent_s;
      if (lasted(*vertical_run_, i, needed)) {
        mode_ = vertical_kind_;
        relabel(*vertical_run_, i, mode_);
        vertical_run_.reset();
      }
    }
    s.label = mode_;
  }

  void touch_down(std::uint64_t first, std::uint64_t i) {
    for (std::uint64_t j = first; j <= i; ++j) {
      at(j).airborne = false;
      at(j).label = label(flight_phase_kind::landing_roll);
    }
    airborne_ = false;
    rolling_out_ = moved_ = true;
    touchdown_run_.reset();
    liftoff_run_.reset();
    vertical_run_.reset();
    // The approach: back from touchdown while below the approach height above the landing
    // point, not climbing.
    float elevation = std::nanf("");
    for (std::uint64_t j = first; j <= i && std::isnan(elevation); ++j) elevation = at(j).altitude_ft;
    if (!std::isnan(elevation)) {
      for (std::uint64_t j = first; j > commit_;) {
        phase_sample& p = at(--j);
        if (!p.airborne || p.label == label(flight_phase_kind::climb)) break;
        if (!std::isnan(p.altitude_ft) && p.altitude_ft >= elevation + t_.approach_ft) break;
        p.label = label(flight_phase_kind::approach);
      }
    }
    commit_to(first);
  }

  // ---- the figures, as the samples are settled ----

  // The ring is full: the oldest samples waiting go to the phase they are in now, until the
  // cooling window and the samples waiting leave room; only a window holding the whole ring
  // loses its oldest sample.
  void make_room() {
    while (head_ - window_ == ring_size && commit_ < head_) commit_one();
    if (head_ - window_ == ring_size) accumulator_.leave_window(at(window_++));
  }

  void commit_to(std::uint64_t end) {
    while (commit_ < end) commit_one();
  }

  void commit_one() {
    const phase_sample& s = at(commit_);
    if (s.label != no_phase) warnings_.take(s, units_);
    if (s.label == no_phase) {
      close_phase(&s);
      window_ = ++commit_;
      return;
    }
    if (!open_ || open_kind_ != s.label) {
      close_phase(&s);
      accumulator_.begin();
      open_ = true;
      open_kind_ = s.label;
      first_ = {s.log_ms, s.segment};
      window_ = commit_;
    } else if (s.segment != last_.segment || s.log_ms < last_.log_ms) {
      // A new segment of the LOG: no window spans the break.
      while (window_ < commit_) accumulator_.leave_window(at(window_++));
    }
    accumulator_.take(s);
    last_ = {s.log_ms, s.segment};
    while (window_ < commit_ && std::uint64_t{at(window_).log_ms} + cooling_window_ms < s.log_ms) {
      accumulator_.leave_window(at(window_++));
    }
    accumulator_.note_cooling(at(window_), s);
    ++commit_;
  }

  // The open phase ends at next (the first sample after it), or at its last sample.
  void close_phase(const phase_sample* next) {
    if (!open_) return;
    open_ = false;
    if (listed_ == max_listed_phases) {
      ++not_listed_;
      return;
    }
    ++listed_;
    phase_record p;
    p.kind = static_cast<flight_phase_kind>(open_kind_);
    p.start = instant(first_.log_ms, first_.segment);
    p.end = next != nullptr ? instant(next->log_ms, next->segment) : instant(last_.log_ms, last_.segment);
    p.figures = accumulator_.figures([this](std::uint32_t t, std::uint32_t segment) { return instant(t, segment); });
    phases_.push_back(std::move(p));
  }

  log_instant instant(std::uint32_t t, std::uint32_t segment) const {
    log_instant at;
    at.log_ms = t;
    at.segment = segment;
    // The clock is the segment's the samples are in now; an earlier segment's instants get their
    // UTC when the summary is resolved (resolve_utc.h).
    if (segment == segment_ && clock_.known()) {
      at.has_utc = true;
      at.utc_ms = clock_.utc_ms_at(t);
    }
    return at;
  }

  const phase_thresholds t_;
  std::uint64_t& not_listed_;
  std::size_t listed_ = 0;
  int map_input_ = -1;
  double map_scale_ = 1.0;
  int fuel_pressure_input_ = -1;
  double fuel_pressure_scale_ = 1.0;

  std::unique_ptr<phase_sample[]> ring_;
  std::uint64_t head_ = 0;    // the next sample
  std::uint64_t commit_ = 0;  // the first sample whose phase may still change
  std::uint64_t window_ = 0;  // the first sample of the cooling window (before commit_)

  bool airborne_ = false;
  bool lifted_ = false;       // a lift-off in this window: taxiing is taxiing in
  bool moved_ = false;        // it has moved on the ground, or flown
  bool rolling_out_ = false;  // the landing roll
  bool in_runup_ = false;
  std::optional<std::uint64_t> liftoff_run_, touchdown_run_, runup_run_, still_run_, vertical_run_;
  std::uint8_t vertical_kind_ = 0;
  double vertical_sum_ = 0.0;  // of the run's vertical speeds
  double vertical_count_ = 0.0;
  std::uint8_t mode_ = label(flight_phase_kind::climb);

  phase_accumulator accumulator_;
  bool open_ = false;  // a phase is being gathered
  std::uint8_t open_kind_ = 0;
  struct sample_time {
    std::uint32_t log_ms = 0;
    std::uint32_t segment = 0;
  };
  sample_time first_, last_;  // of the open phase
  std::uint32_t segment_ = 0;  // of the latest sample
  std::vector<phase_record> phases_;

 public:
  clock_mapping clock_;  // as it stood at the latest call
  engine_units units_{};  // of the latest sample
  warning_detector warnings_;
  std::vector<engine_warning> window_warnings_;  // the last window's
};

struct phase_command {
  enum class kind : std::uint8_t { begin, engine, finish };
  kind what = kind::begin;
  bool keep = false;  // finish: the window's results are wanted
  std::uint32_t t = 0;  // finish: the window's end
  std::uint32_t segment = 0;
  clock_mapping clock;
  engine_units units{};
  phase_sample sample{};
};

struct flight_phases::ahead {
  work_ahead<phase_command> work;
};

flight_phases::flight_phases(const aircraft_profile& profile, const utc_clock& clock, const warning_rules& rules,
                             bool on_thread)
    : machine_(std::make_unique<machine>(profile, rules, not_listed_)),
      clock_(clock),
      reads_aux_(aux_input_of(profile, aux_quantity::manifold_pressure_inhg) ||
                 aux_input_of(profile, aux_quantity::fuel_pressure_psi)) {
  if (on_thread) {
    ahead_ = std::make_unique<ahead>();
    if (!ahead_->work.start([this](const phase_command& c) { run(c); })) ahead_.reset();
  }
  if (!ahead_) command_ = std::make_unique<phase_command>();
}
flight_phases::~flight_phases() = default;

// Runs one call on the machine, on the phases' thread when they have one.
void flight_phases::run(const phase_command& c) {
  machine& m = *machine_;
  m.clock_ = c.clock;
  switch (c.what) {
    case phase_command::kind::begin: m.begin(); break;
    case phase_command::kind::engine: m.take(c.sample, c.units); break;
    case phase_command::kind::finish: {
      window_phases done{m.finish(c.t, c.segment), std::move(m.window_warnings_)};
      m.window_warnings_.clear();
      if (!c.keep) break;
      // Kept to the end of the LOG with the flight: no room to spare in them.
      done.phases.shrink_to_fit();
      done.warnings.shrink_to_fit();
      results_.push_back(std::move(done));
      break;
    }
  }
}

phase_command& flight_phases::next_command() {
  phase_command& c = ahead_ ? ahead_->work.next() : *command_;
  c.clock = clock_.mapping();
  return c;
}

void flight_phases::commit_command() {
  if (ahead_) {
    ahead_->work.commit();
  } else {
    run(*command_);
  }
}

void flight_phases::begin() {
  next_command().what = phase_command::kind::begin;
  commit_command();
}

void flight_phases::take_engine(std::uint32_t t, std::uint32_t segment, const engine_sample& s,
                                const engine_units& units, std::size_t fitted, const aux_inputs* aux,
                                const air_data_sample* air) {
  phase_command& c = next_command();
  c.what = phase_command::kind::engine;
  c.units = units;
  machine_->sample_of(c.sample, t, segment, s, fitted, aux, air, ground_speed_);
  commit_command();
}

void flight_phases::finish(std::uint32_t end_ms, std::uint32_t end_segment, bool keep) {
  phase_command& c = next_command();
  c.what = phase_command::kind::finish;
  c.t = end_ms;
  c.segment = end_segment;
  c.keep = keep;
  commit_command();
}

std::vector<window_phases> flight_phases::results() {
  if (ahead_) ahead_->work.finish();
  return std::move(results_);
}

std::uint64_t flight_phases::warnings_not_listed() const { return machine_->warnings_.not_listed(); }
