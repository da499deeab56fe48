#include "analysis/logbook_tracker.h"

#include "analysis/airport_rules.h"

namespace {

constexpr std::uint32_t liftoff_after_ms = 5000;
constexpr std::uint32_t touchdown_after_ms = 3000;
constexpr double threshold_share_of_takeoff = 1.1;
constexpr double moving_kt = 3.0;     // out: moving above it; in: at rest at or below it
constexpr double full_stop_kt = 5.0;  // a landing slowed below it is a full stop
constexpr double metres_per_nm = 1852.0;
constexpr std::uint32_t night_point_every_ms = 20'000;

bool later_than(const log_event& a, const log_event& b) { return log_order(a.when) > log_order(b.when); }

}  // namespace

logbook_tracker::logbook_tracker(double takeoff_kt, const logbook_options& options)
    : threshold_kt_(takeoff_kt * threshold_share_of_takeoff),
      options_(options),
      air_(liftoff_after_ms, touchdown_after_ms),
      takeoff_kt_(takeoff_kt) {}

void logbook_tracker::begin() { *this = logbook_tracker(takeoff_kt_, options_); }

void logbook_tracker::switched(switch_state before, switch_state after, const log_event& at) {
  const bool was_airborne = is_on_or_turning_off(before);
  if (before == switch_state::on) {
    // The track up to the first sample of a touchdown is counted before the count is kept.
    flush_night_point();
    if (counting_night_) count_night_point(at);
  }
  if (before == switch_state::off || before == switch_state::on) {
    // A run begins: a lift-off or touchdown from here, if it lasts. The night time counted
    // up to its start is kept to go back to.
    run_start_ = at;
    track_at_run_start_ = last_track_;
    night_before_run_ = night_;
  }
  if (before == switch_state::off) {
    counting_night_ = true;
    has_waiting_point_ = false;
    count_night_point(at);
  }
  if (before == switch_state::turning_on && after == switch_state::off) {
    night_ = night_before_run_;  // it did not lift off
    counting_night_ = false;
  }
  if (!was_airborne && after == switch_state::on) lifted_off(run_start_);
  if (was_airborne && after == switch_state::off) {
    night_ = night_before_run_;
    night_.pause();
    counting_night_ = false;
    touched_down(run_start_);
  }
}

void logbook_tracker::take_fix(const log_event& at, double ground_speed_kt, double track_true_deg,
                               bool engine_running) {
  if (!std::isnan(track_true_deg)) last_track_ = track_true_deg;
  if (counting_night_ && at.when.has_utc && at.has_position) {
    if (!night_points_ || at.when.log_ms - last_point_ms_ >= night_point_every_ms) {
      count_night_point(at);
    } else {
      has_waiting_point_ = true;
      waiting_point_ = at;
    }
  }
  if (std::isnan(ground_speed_kt)) return;
  if (!row_.out && !row_.off && engine_running && ground_speed_kt > moving_kt) row_.out = at;
  const bool on_ground = !is_on_or_turning_off(air_.state());
  if (landing_pending_ && on_ground && (ground_speed_kt < full_stop_kt || !engine_running)) {
    settle_pending_landing(true);
  }
  if (ground_speed_kt > moving_kt) {
    resting_ = false;
  } else if (!resting_) {
    resting_ = true;
    rest_start_ = at;
  }
}

void logbook_tracker::count_night_point(const log_event& at) {
  if (!at.when.has_utc || !at.has_position) return;
  night_.add(at.when.utc_ms, at.position);
  night_points_ = true;
  last_point_ms_ = at.when.log_ms;
  has_waiting_point_ = false;
}

void logbook_tracker::flush_night_point() {
  if (counting_night_ && has_waiting_point_) count_night_point(waiting_point_);
}

void logbook_tracker::lifted_off(const log_event& at) {
  if (landing_pending_) settle_pending_landing(false);
  if (touched_down_) {
    landing_left_ = runway_contact{pending_.full_stop ? contact_kind::landing : contact_kind::touch_and_go,
                                   has_slowest_ ? slowest_ : pending_.touchdown, std::nullopt};
  }
  touched_down_ = false;
  if (!row_.off) row_.off = at;
}

std::optional<runway_contact> logbook_tracker::take_landing_left() {
  std::optional<runway_contact> left = std::move(landing_left_);
  landing_left_.reset();
  return left;
}

std::optional<log_event> logbook_tracker::landing_place() const {
  return below_takeoff_ ? std::optional<log_event>(stretch_start_) : std::nullopt;
}

void logbook_tracker::touched_down(const log_event& at) {
  if (landing_pending_) settle_pending_landing(true);
  row_.on = at;
  pending_ = logbook_landing{};
  pending_.touchdown = at;
  pending_.track_true_deg = track_at_run_start_;
  touched_down_ = true;
  if (at.when.has_utc && at.has_position) {
    pending_.light = is_night_landing_time(at.when.utc_ms, at.position) ? landing_light::night : landing_light::day;
  }
  if (row_.off && row_.off->has_position && at.has_position) {
    const double nm = distance_m(row_.off->position, at.position) / metres_per_nm;
    pending_.from_departure_nm = nm;
    if (!row_.farthest_landing_nm || nm > *row_.farthest_landing_nm) row_.farthest_landing_nm = nm;
  }
  landing_pending_ = true;
}

void logbook_tracker::settle_pending_landing(bool full_stop) {
  landing_pending_ = false;
  pending_.full_stop = full_stop;
  landing_count& count = full_stop ? row_.full_stop : row_.touch_and_go;
  switch (pending_.light) {
    case landing_light::day: ++count.day; break;
    case landing_light::night: ++count.night; break;
    case landing_light::unknown: ++count.unknown; break;
  }
  if (row_.landings.size() < max_listed_landings) {
    row_.landings.push_back(pending_);
  } else {
    ++row_.landings_not_listed;
  }
}

logbook_row logbook_tracker::finish(const std::optional<log_event>& engine_stop) {
  // A touchdown still being decided did happen; a lift-off still being decided did not.
  const switch_state state = air_.state();
  if (state == switch_state::on) flush_night_point();  // the LOG ends airborne
  if (state == switch_state::turning_off) {
    night_ = night_before_run_;
    touched_down(run_start_);
  } else if (state == switch_state::turning_on) {
    night_ = night_before_run_;
  }
  if (landing_pending_) settle_pending_landing(true);
  logbook_row row = std::move(row_);
  if (row.on) {
    if (resting_ && !later_than(*row.on, rest_start_)) {
      row.in = rest_start_;
    } else if (engine_stop && later_than(*engine_stop, *row.on)) {
      row.in = engine_stop;
    }
  }
  if (night_points_) row.night_time_s = night_.night_ms() / 1000.0;
  row.cross_country_nm = options_.cross_country_nm;
  row.cross_country = row.farthest_landing_nm && *row.farthest_landing_nm >= options_.cross_country_nm;
  return row;
}
