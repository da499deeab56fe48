#include "scenario_flight.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double taxi_speed_mps = 7.0;
constexpr double landing_roll_end_mps = 15.0 * mps_per_knot;  // the landing roll ends at taxi speed
constexpr double rotate_kt = 53.0;
constexpr double liftoff_kt = 58.0;
constexpr double runup_seconds = 45.0;  // standing at the holding point
constexpr double runup_power_s = 3.0;   // the checks, from the power coming up to idle again
constexpr double runup_idle_s = 36.0;
constexpr double touch_and_go_roll_seconds = 4.0;
constexpr double glide_feet_per_metre = 0.052407779283 / metres_per_foot;  // tan 3 degrees
constexpr double aim_before_point_m = 20.0;  // the flare floats the aircraft on to about the point
constexpr double longest_step_seconds = 6.0 * 3600.0;

double approach(double value, double target, double max_step) {
  return value + std::clamp(target - value, -max_step, max_step);
}

double cruise_rpm(double kt) { return std::clamp(1700.0 + 6.0 * kt, 2000.0, 2600.0); }

bool is_leg(scenario_command c) {
  return c == scenario_command::fly_to || c == scenario_command::land || c == scenario_command::touch_and_go;
}

bool has_point(scenario_command c) { return is_leg(c) || c == scenario_command::depart; }

double distance_to_segment(vec2 p, vec2 a, vec2 b) {
  const vec2 ab = b - a;
  const double len2 = dot(ab, ab);
  const double t = len2 > 0.0 ? std::clamp(dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
  return distance(p, a + ab * t);
}

}  // namespace

void path_line::set(std::vector<vec2> p) {
  points = std::move(p);
  along.assign(points.size(), 0.0);
  for (std::size_t i = 1; i < points.size(); ++i) along[i] = along[i - 1] + distance(points[i - 1], points[i]);
  segment = 0;
  position = 0.0;
}

void path_line::update(vec2 p) {
  if (points.size() < 2) return;
  double t = 0.0;
  for (;;) {
    const vec2 a = points[segment];
    const vec2 b = points[segment + 1];
    const vec2 ab = b - a;
    const double len2 = dot(ab, ab);
    t = len2 > 0.0 ? dot(p - a, ab) / len2 : 1.0;
    if (segment + 2 >= points.size()) break;
    if (t >= 1.0) {
      ++segment;
      continue;
    }
    // Cutting the corner: already nearer the next segment than this one.
    if (t > 0.5 && distance_to_segment(p, b, points[segment + 2]) < distance_to_segment(p, a, b)) {
      ++segment;
      continue;
    }
    break;
  }
  position = along[segment] + std::clamp(t, 0.0, 1.0) * (along[segment + 1] - along[segment]);
}

vec2 path_line::carrot(double lookahead) const {
  if (points.size() < 2) return points.empty() ? vec2{} : points.front();
  const double target = position + lookahead;
  std::size_t i = segment;
  while (i + 2 < points.size() && along[i + 1] < target) ++i;
  const double seg = along[i + 1] - along[i];
  const double t = seg > 0.0 ? std::clamp((target - along[i]) / seg, 0.0, 1.0) : 1.0;
  return points[i] + (points[i + 1] - points[i]) * t;
}

scenario_flight::scenario_flight(const scenario& s)
    : scenario_(&s), engine_(s, s.settings.seed), air_rng_(s.settings.seed, 2) {
  wind_ = heading_vector(s.settings.wind_from_deg) * (-s.settings.wind_kt * mps_per_knot);
  // A taxi step taxis out when a departure follows it in the same engine run, and in when a
  // landing came before it and none follows.
  taxi_labels_.assign(s.steps.size(), flown_phase::taxi_out);
  bool landed = false;
  for (std::size_t i = 0; i < s.steps.size(); ++i) {
    const scenario_command c = s.steps[i].command;
    if (c == scenario_command::land || c == scenario_command::touch_and_go) landed = true;
    if (c == scenario_command::depart || c == scenario_command::stop_engine) landed = false;
    if (c != scenario_command::taxi || !landed) continue;
    bool departs = false;
    for (std::size_t j = i + 1; j < s.steps.size(); ++j) {
      if (s.steps[j].command == scenario_command::stop_engine) break;
      if (s.steps[j].command == scenario_command::depart) departs = true;
    }
    if (!departs) taxi_labels_[i] = flown_phase::taxi_in;
  }
  // The aircraft stands at the parking spot of the first departure, its nose to the taxiway.
  for (std::size_t i = 0; i < s.steps.size(); ++i) {
    if (s.steps[i].command != scenario_command::depart) continue;
    ground_ = runway_of(i);
    break;
  }
  position_ = ground_.frame.to_geo(ground_.point(200.0, -150.0));
  aircraft_.heading_deg = wrap360(ground_.heading_deg - 90.0);
  aircraft_.track_deg = aircraft_.heading_deg;
  aircraft_.altitude_ft = ground_.elevation_ft;
  departure_ = ground_;
}

const scenario_step* scenario_flight::current_step() const {
  return started_ && !finished_ ? &scenario_->steps[index_] : nullptr;
}

double scenario_flight::outside_temp_c() const {
  return scenario_->settings.temperature_c - 1.98 * aircraft_.altitude_ft / 1000.0;
}

double scenario_flight::magnetic_heading_deg() const {
  return wrap360(aircraft_.heading_deg - scenario_->settings.variation_deg);
}

// The runway of a step; without a heading, the one from the point before (a landing) or
// towards the point after (a departure).
runway_point scenario_flight::runway_of(std::size_t i) const {
  const std::vector<scenario_step>& steps = scenario_->steps;
  const scenario_step& s = steps[i];
  runway_point r;
  r.at = s.at;
  r.elevation_ft = s.elevation_ft;
  r.frame.origin = s.at;
  r.heading_deg = 360.0;
  if (s.heading_given) {
    r.heading_deg = s.heading_deg;
  } else if (s.command == scenario_command::depart) {
    for (std::size_t j = i + 1; j < steps.size(); ++j) {
      if (!has_point(steps[j].command)) continue;
      if (geo_distance(s.at, steps[j].at) > 100.0) r.heading_deg = geo_bearing(s.at, steps[j].at);
      break;
    }
  } else {
    for (std::size_t j = i; j-- > 0;) {
      if (!has_point(steps[j].command)) continue;
      if (geo_distance(steps[j].at, s.at) > 100.0) r.heading_deg = geo_bearing(steps[j].at, s.at);
      break;
    }
  }
  return r;
}

void scenario_flight::enter(activity a) {
  activity_ = a;
  activity_time_ = 0.0;
}

void scenario_flight::begin_step() {
  const scenario_step& s = scenario_->steps[index_];
  step_time_ = 0.0;
  switch (s.command) {
    case scenario_command::depart:
      departure_ = runway_of(index_);
      ground_ = departure_;
      departure_elevation_ft_ = departure_.elevation_ft;
      if (!engine_.running()) {
        enter(activity::starting);
      } else {
        plan_taxi_out();
      }
      break;
    case scenario_command::fly_to:
    case scenario_command::land:
    case scenario_command::touch_and_go: plan_leg(); break;
    case scenario_command::taxi: {
      const vec2 p = ground_.frame.from_geo(position_);
      ground_path_.set({p, p + heading_vector(aircraft_.heading_deg) * 20000.0});
      stop_at_path_end_ = false;
      enter(activity::taxiing);
      break;
    }
    case scenario_command::stop_engine:
      enter(aircraft_.ground_speed_mps > 0.0 ? activity::braking : activity::cooling_down);
      break;
    case scenario_command::start_engine: enter(activity::starting); break;
    case scenario_command::wait:
    case scenario_command::power_off:
    case scenario_command::restart_clock:
      if (s.command != scenario_command::wait && s.seconds > 0.0) efis_on_ = false;
      if (aircraft_.airborne) {
        on_leg_ = false;
        hold_altitude_ft_ = last_cruise_ft_ >= 0.0 ? last_cruise_ft_
                                                   : std::max(aircraft_.altitude_ft, departure_elevation_ft_ + 1000.0);
        hold_track_deg_ = aircraft_.track_deg;
        if (climbing_out_) hold_track_deg_ = departure_.heading_deg;
      } else if (aircraft_.ground_speed_mps > 0.0) {
        enter(activity::braking);
      }
      break;
  }
}

void scenario_flight::finish_step() {
  const scenario_step& s = scenario_->steps[index_];
  if (s.command == scenario_command::power_off || s.command == scenario_command::restart_clock) {
    efis_on_ = true;
    ++power_ups_;
    restarted_ = s.command == scenario_command::restart_clock;
  }
  if (++index_ >= scenario_->steps.size()) {
    finished_ = true;
    return;
  }
  begin_step();
}

// From where the aircraft stands to the holding point beside the runway start: onto the
// parallel taxiway 100 m to the right of the runway, along it, then to the holding point.
void scenario_flight::plan_taxi_out() {
  const vec2 p = ground_.frame.from_geo(position_);
  const double u = dot(p, ground_.along());
  const double v = dot(p, ground_.left());
  std::vector<vec2> points = {p};
  if (std::fabs(v + 100.0) > 20.0) points.push_back(ground_.point(u, -100.0));
  points.push_back(ground_.point(-30.0, -100.0));
  points.push_back(ground_.point(-30.0, -45.0));
  ground_path_.set(points);
  stop_at_path_end_ = true;
  enter(activity::taxiing);
}

// After the landing roll: turn off to the right and stop clear of the runway.
void scenario_flight::plan_exit() {
  const vec2 p = ground_.frame.from_geo(position_);
  const double u = dot(p, ground_.along());
  ground_path_.set({p, ground_.point(u + 30.0, 0.0), ground_.point(u + 55.0, -30.0), ground_.point(u + 55.0, -80.0)});
  stop_at_path_end_ = true;
  enter(activity::exiting);
}

void scenario_flight::plan_leg() {
  const std::size_t i = index_;
  const scenario_step& s = scenario_->steps[i];
  leg_ = leg{};
  leg_.step = &s;
  leg_.frame.origin = s.at;
  leg_.start = leg_.frame.from_geo(position_);
  leg_.landing = s.command != scenario_command::fly_to;
  char ident[16];
  if (leg_.landing) {
    leg_.runway = runway_of(i);
    const runway_point& r = leg_.runway;
    // The final is longer the farther the leg starts: 0.75 nm from a pattern, up to 2.7 nm.
    const double final_m = std::clamp(0.45 * length(leg_.start), 1400.0, 5000.0);
    leg_.path.set({leg_.start, r.point(-final_m, 0.0), r.point(0.0, 0.0), r.point(3000.0, 0.0)});
    leg_.final_fix = 1;
    leg_.aim_along = leg_.path.along[2] - aim_before_point_m;
    leg_.cap_ft =
        last_cruise_ft_ >= 0.0 ? last_cruise_ft_ : std::max(aircraft_.altitude_ft, departure_elevation_ft_ + 1000.0);
    leg_.speed_kt = last_speed_kt_;
    std::snprintf(ident, sizeof ident, "RW%02ld",
                  std::lround(r.heading_deg / 10.0) % 36 == 0 ? 36L : std::lround(r.heading_deg / 10.0) % 36);
  } else {
    leg_.path.set({leg_.start, vec2{}});
    leg_.target_ft = s.altitude_ft;
    leg_.speed_kt = s.speed_kt;
    last_cruise_ft_ = s.altitude_ft;
    last_speed_kt_ = s.speed_kt;
    std::snprintf(ident, sizeof ident, "WPT%02d", static_cast<int>(i % 100));
    const double diff = s.altitude_ft - aircraft_.altitude_ft;
    if (diff > 100.0) vertical_ = vertical::climb;
    if (diff < -100.0) vertical_ = vertical::descent;
  }
  leg_.ident = ident;
  on_leg_ = true;
  approach_ = false;
}

// The altitude aimed for on a landing leg: the altitude held, or a 3 degree path to the
// aiming point over the path still to fly, whichever is lower.
double scenario_flight::landing_altitude_target(double along) const {
  return std::min(leg_.cap_ft, leg_.runway.elevation_ft + (leg_.aim_along - along) * glide_feet_per_metre);
}

// Ground speed that stops `stop` metres on, at most `cap`, and slows for a sharp corner ahead.
double scenario_flight::taxi_speed_towards(double stop, double cap) const {
  double speed = std::min(cap, std::sqrt(2.0 * std::max(0.0, stop - 0.5)));
  const path_line& path = ground_path_;
  const std::size_t next = path.segment + 1;
  if (next + 1 < path.points.size() && path.along[next] - path.position < 20.0) {
    const double turn = std::fabs(wrap180(bearing(path.points[next], path.points[next + 1]) -
                                          bearing(path.points[path.segment], path.points[next])));
    if (turn > 45.0) speed = std::min(speed, 3.5);
  }
  return speed;
}

void scenario_flight::step_ground(double dt, double target_speed, double accel) {
  aircraft_state& a = aircraft_;
  const double gs = a.ground_speed_mps;
  double error = 0.0;
  if (ground_path_.points.size() >= 2) {
    const vec2 p = ground_.frame.from_geo(position_);
    ground_path_.update(p);
    error = wrap180(bearing(p, ground_path_.carrot(std::max(12.0, gs * 2.5))) - a.heading_deg);
  }
  const double max_rate = gs < 12.0 ? 30.0 : 4.0;
  // A wheel-borne aeroplane turns only while it rolls.
  const double rate = std::clamp(1.5 * error, -max_rate, max_rate) * std::min(1.0, gs / 1.5);
  a.heading_deg = wrap360(a.heading_deg + rate * dt);
  a.ground_speed_mps = approach(gs, target_speed, (target_speed > gs ? accel : 1.8) * dt);
  if (a.ground_speed_mps < 0.05 && target_speed <= 0.0) a.ground_speed_mps = 0.0;
  position_ = geo_moved(position_, heading_vector(a.heading_deg) * (a.ground_speed_mps * dt));
  a.track_deg = a.heading_deg;
  const double headwind = -dot(wind_, heading_vector(a.heading_deg));
  const double ias = a.ground_speed_mps + headwind;
  a.ias_rate_kt_s = (ias / mps_per_knot - previous_ias_) / dt;
  previous_ias_ = ias / mps_per_knot;
  a.ias_kt = std::max(0.0, ias / mps_per_knot);
  a.vertical_speed_fpm = 0.0;
  a.altitude_ft = ground_.elevation_ft;
  a.bank_deg = approach(a.bank_deg, 0.0, 5.0 * dt);
  // Taxi bumps; the sideways push of a ground turn shows in the accelerometers' roll angle.
  const double bumps = gs > 0.5 ? 1.0 : 0.1;
  a.slip_deg = degrees(std::atan(gs * radians(rate) / standard_gravity)) + 0.1 * slip_.next(air_rng_) * bumps;
  a.load_factor = 1.0 + 0.05 * bumps * turbulence_load_.next(air_rng_);
  a.flaps_deg = 0.0;
  previous_gamma_ = 0.0;
  if (a.ground_speed_mps <= 0.0 || activity_ != activity::takeoff_roll)
    a.pitch_deg = approach(a.pitch_deg, 0.5, 3.0 * dt);
}

void scenario_flight::step_air(double dt) {
  aircraft_state& a = aircraft_;
  const double tas_mps = std::max(20.0, a.ias_kt * (1.0 + 0.02 * a.altitude_ft / 1000.0) * mps_per_knot);
  const double lookahead = std::max(500.0, 14.0 * tas_mps);

  // Lateral: steer the track towards a point ahead on the leg.
  vec2 p;
  vec2 aim;
  double target_ft = hold_altitude_ft_;
  double slope = 0.0;  // of the target altitude, feet per metre flown
  double speed_kt = last_speed_kt_;
  bool landing = false;
  bool on_final = false;
  double field_ft = departure_elevation_ft_;
  if (on_leg_) {
    p = leg_.frame.from_geo(position_);
    leg_.path.update(p);
    aim = leg_.path.carrot(lookahead);
    speed_kt = leg_.speed_kt;
    if (leg_.landing) {
      landing = true;
      field_ft = leg_.runway.elevation_ft;
      on_final = leg_.path.position >= leg_.path.along[leg_.final_fix];
      // On final, a nearer point on the centreline: the aircraft lines up well before the runway.
      if (on_final) aim = leg_.runway.along() * (dot(p, leg_.runway.along()) + std::max(250.0, 6.0 * tas_mps));
      target_ft = landing_altitude_target(leg_.path.position);
      slope = (landing_altitude_target(leg_.path.position + 50.0) - target_ft) / 50.0;
    } else {
      target_ft = leg_.target_ft;
    }
  } else {
    aim = heading_vector(hold_track_deg_) * lookahead;  // straight on, in a frame at the aircraft
  }
  double max_bank = on_final ? 20.0 : 25.0;
  const double height_ft = a.altitude_ft - (landing ? field_ft : departure_elevation_ft_);
  if (climbing_out_) {
    aim = p + heading_vector(departure_.heading_deg) * 1000.0;
    max_bank = 5.0;
    if (a.altitude_ft - departure_elevation_ft_ > 400.0) climbing_out_ = false;
  }
  if (on_final && height_ft < 150.0) max_bank = 8.0;
  const double error = wrap180(bearing(p, aim) - a.track_deg);
  const double bank_command = std::clamp(1.4 * error, -max_bank, max_bank);
  a.bank_deg = approach(a.bank_deg, bank_command, 8.0 * dt);
  air_heading_deg_ =
      wrap360(air_heading_deg_ + degrees(standard_gravity * std::tan(radians(a.bank_deg)) / tas_mps) * dt);
  const vec2 ground = heading_vector(air_heading_deg_) * tas_mps + wind_;
  a.ground_speed_mps = length(ground);
  a.track_deg = bearing({0.0, 0.0}, ground);
  position_ = geo_moved(position_, ground * dt);
  // Just before touchdown the pilot kicks out the crab.
  const double decrab_target = on_final && height_ft < 20.0 ? wrap180(a.track_deg - air_heading_deg_) : 0.0;
  decrab_deg_ = approach(decrab_deg_, decrab_target, 3.0 * dt);
  a.heading_deg = wrap360(air_heading_deg_ + decrab_deg_);

  // Vertical: follow the target altitude, feeding forward its slope.
  const bool idle = on_leg_ && leg_.step->idle;
  // A brisk capture: levelling off takes a few seconds, as a pilot does it.
  double vs_command = slope * a.ground_speed_mps * 60.0 + 20.0 * (target_ft - a.altitude_ft);
  const double max_climb = 800.0 * (1.0 - a.altitude_ft / 16000.0);
  const bool on_path = landing && target_ft < leg_.cap_ft - 1.0;  // the 3 degree path, below the altitude held
  const double max_descent = idle ? 1500.0 : on_path ? 1000.0 : 500.0;
  vs_command = std::clamp(vs_command, -max_descent, max_climb);
  if (on_final && height_ft < 30.0) vs_command = std::max(vs_command, -(100.0 + height_ft * 20.0));  // flare
  a.vertical_speed_fpm = approach(a.vertical_speed_fpm, vs_command, 300.0 * dt);
  a.altitude_ft += (a.vertical_speed_fpm + turbulence_vs_.next(air_rng_) * 0.3) / 60.0 * dt;
  if (!on_final) a.altitude_ft = std::max(a.altitude_ft, field_ft);

  // The vertical mode, for the phase: climbing, level or descending towards the target.
  const double diff = target_ft - a.altitude_ft;
  if (landing) {
    if (diff > 100.0) {
      vertical_ = vertical::climb;
    } else if (on_path) {
      vertical_ = vertical::descent;
    } else if (std::fabs(diff) < 30.0) {
      vertical_ = vertical::cruise;
    }
    if ((on_path || on_final) && vertical_ != vertical::climb && height_ft < 1000.0) approach_ = true;
  } else if (vertical_ == vertical::climb ? diff < 30.0 : vertical_ == vertical::descent ? diff > -30.0 : false) {
    vertical_ = vertical::cruise;
  } else if (vertical_ == vertical::cruise && std::fabs(diff) > 100.0) {
    vertical_ = diff > 0.0 ? vertical::climb : vertical::descent;
  }

  // Speed, flaps and power by the part of the flight.
  double ias_target = speed_kt;
  rpm_target_ = cruise_rpm(speed_kt);
  lean_ = false;
  a.flaps_deg = 0.0;
  if (on_final) {
    a.flaps_deg = height_ft < 400.0 ? 30.0 : 20.0;
    ias_target = height_ft < 25.0 ? 50.0 : (height_ft < 300.0 ? 65.0 : 72.0);
    rpm_target_ = height_ft < 25.0 ? 850.0 : (height_ft < 300.0 ? 1750.0 : 1950.0);
  } else if (landing && leg_.path.position >= leg_.path.along[leg_.final_fix] - 1500.0) {
    a.flaps_deg = 10.0;
    ias_target = std::min(speed_kt, 85.0);
    rpm_target_ = 2050.0;
  } else if (vertical_ == vertical::climb || climbing_out_) {
    ias_target = height_ft < 1000.0 ? 72.0 : 80.0;
    rpm_target_ = 2550.0;
  } else if (vertical_ == vertical::descent) {
    ias_target = speed_kt + (idle ? 0.0 : 5.0);
    rpm_target_ = 2150.0;
  } else {
    lean_ = true;
  }
  if (idle) {
    rpm_target_ = 1000.0;
    lean_ = false;
  }
  const double ias_before = a.ias_kt;
  a.ias_kt += std::clamp(0.15 * (ias_target - a.ias_kt), -1.2, 1.2) * dt;
  a.ias_rate_kt_s = (a.ias_kt - ias_before) / dt;
  previous_ias_ = a.ias_kt;

  // Attitude: pitch is the angle of attack the speed needs plus the flight path angle.
  const double gamma = degrees(std::atan(a.vertical_speed_fpm * metres_per_foot / 60.0 / tas_mps));
  const double aoa = 0.5 + (105.0 - a.ias_kt) * 0.1 - 0.04 * a.flaps_deg;
  const double calm = std::clamp(height_ft / 300.0, 0.3, 1.0);
  a.pitch_deg = aoa + gamma + turbulence_pitch_.next(air_rng_) * calm;
  const double roll_noise = turbulence_roll_.next(air_rng_) * calm;
  const double pull = tas_mps * radians(gamma - previous_gamma_) / dt / standard_gravity;
  previous_gamma_ = gamma;
  a.load_factor =
      1.0 / std::cos(radians(a.bank_deg)) + std::clamp(pull, -0.3, 0.3) + turbulence_load_.next(air_rng_) * calm;
  a.bank_deg += roll_noise * dt;
  a.slip_deg = slip_.next(air_rng_);

  if (landing && leg_.path.position > leg_.path.along[leg_.final_fix] && a.altitude_ft <= field_ft) touch_down();
}

void scenario_flight::touch_down() {
  aircraft_state& a = aircraft_;
  a.altitude_ft = leg_.runway.elevation_ft;
  a.vertical_speed_fpm = 0.0;
  a.airborne = false;
  a.flaps_deg = 0.0;
  ground_ = leg_.runway;
  const vec2 p = ground_.frame.from_geo(position_);
  const double u = dot(p, ground_.along());
  ground_path_.set({ground_.point(u - 10.0, 0.0), ground_.point(u + 4000.0, 0.0)});
  stop_at_path_end_ = false;
  on_leg_ = false;
  approach_ = false;
  last_cruise_ft_ = -1.0;
  enter(activity::landing_roll);
}

void scenario_flight::step_activity(double dt) {
  const scenario_step& s = scenario_->steps[index_];
  aircraft_state& a = aircraft_;
  switch (activity_) {
    case activity::parked:
    case activity::idling:
      step_ground(dt, 0.0, 1.0);
      rpm_target_ = engine_.running() ? 950.0 : 0.0;
      break;
    case activity::braking:
      step_ground(dt, 0.0, 1.0);
      rpm_target_ = engine_.running() ? 950.0 : 0.0;
      if (a.ground_speed_mps <= 0.0) {
        enter(s.command == scenario_command::stop_engine ? activity::cooling_down
              : engine_.running()                        ? activity::idling
                                                         : activity::parked);
      }
      break;
    case activity::starting:
      step_ground(dt, 0.0, 1.0);
      rpm_target_ = 180.0;  // the starter cranks, then the engine fires and settles to idle
      if (activity_time_ >= 2.0) {
        if (!engine_.running()) {
          engine_.set_running(true);
          engine_.reset_timer();
          first_departure_of_run_ = true;
        }
        rpm_target_ = activity_time_ < 5.0 ? 1200.0 : 950.0;
      }
      if (activity_time_ >= 15.0) {
        if (s.command == scenario_command::depart) {
          plan_taxi_out();
        } else {
          enter(activity::idling);
          finish_step();
        }
      }
      break;
    case activity::taxiing: {
      double speed = taxi_speed_mps;
      if (stop_at_path_end_) {
        speed = taxi_speed_towards(ground_path_.length() - ground_path_.position, taxi_speed_mps);
      } else if (s.command == scenario_command::taxi && step_time_ + a.ground_speed_mps / 1.8 >= s.seconds) {
        speed = 0.0;  // brake to stop as the taxi time runs out
      }
      step_ground(dt, speed, 1.0);
      rpm_target_ = a.ground_speed_mps > 0.5 || speed > 0.5 ? 1050.0 : 950.0;
      if (s.command == scenario_command::taxi) {
        if (speed <= 0.0 && a.ground_speed_mps <= 0.0) {
          enter(activity::idling);
          finish_step();
        }
      } else if (ground_path_.length() - ground_path_.position < 1.0 && a.ground_speed_mps < 0.2) {
        a.ground_speed_mps = 0.0;
        enter(first_departure_of_run_ ? activity::runup : activity::holding);
      }
      break;
    }
    case activity::holding:
    case activity::runup: {
      step_ground(dt, 0.0, 1.0);
      double rpm = 950.0;
      if (activity_ == activity::runup) {
        // Run-up to 1800 rpm, each magneto in turn, carburettor heat, back to idle.
        const double t = activity_time_;
        rpm = 1800.0;
        if (t >= 10.0 && t < 14.0) rpm -= 110.0;
        if (t >= 18.0 && t < 22.0) rpm -= 130.0;
        if (t >= 28.0 && t < 32.0) rpm -= 80.0;
        if (t < runup_power_s || t >= runup_idle_s) rpm = 950.0;
      }
      rpm_target_ = rpm;
      if (activity_time_ >= (activity_ == activity::runup ? runup_seconds : 8.0)) {
        first_departure_of_run_ = false;
        const vec2 p = ground_.frame.from_geo(position_);
        ground_path_.set({p, ground_.point(-20.0, -10.0), ground_.point(0.0, 0.0), ground_.point(4000.0, 0.0)});
        stop_at_path_end_ = false;
        enter(activity::lineup);
      }
      break;
    }
    case activity::lineup:
      step_ground(dt, taxi_speed_towards(1e9, 4.0), 1.0);
      rpm_target_ = 1050.0;
      if (ground_path_.position >= ground_path_.along[2] - 2.0) enter(activity::takeoff_roll);
      break;
    case activity::takeoff_roll: {
      step_ground(dt, 60.0, std::max(0.8, 2.4 - 0.03 * a.ground_speed_mps));
      rpm_target_ = 2650.0;
      if (a.ias_kt >= rotate_kt) a.pitch_deg = approach(a.pitch_deg, 7.0, 4.0 * dt);
      if (a.ias_kt >= liftoff_kt) {
        a.airborne = true;
        air_heading_deg_ = a.heading_deg;
        decrab_deg_ = 0.0;
        climbing_out_ = true;
        vertical_ = vertical::climb;
        last_cruise_ft_ = -1.0;
        departure_elevation_ft_ = ground_.elevation_ft;
        departure_ = ground_;
        enter(activity::airborne);
        finish_step();  // a departure or a touch-and-go ends at lift-off
      }
      break;
    }
    case activity::airborne:
      step_air(dt);
      if (on_leg_ && s.command == scenario_command::fly_to) {
        const vec2 p = leg_.frame.from_geo(position_);
        if (length(p) < std::max(300.0, 4.0 * a.ground_speed_mps) || leg_.path.position >= leg_.path.length() - 1.0) {
          finish_step();
        }
      }
      break;
    case activity::landing_roll:
      step_ground(dt, 0.0, 1.0);
      a.pitch_deg = approach(a.pitch_deg, 0.5, 3.0 * dt);
      rpm_target_ = 850.0;
      if (s.command == scenario_command::touch_and_go) {
        if (activity_time_ >= touch_and_go_roll_seconds) enter(activity::takeoff_roll);
      } else if (a.ground_speed_mps <= landing_roll_end_mps) {
        plan_exit();
      }
      break;
    case activity::exiting: {
      const double speed = taxi_speed_towards(ground_path_.length() - ground_path_.position, taxi_speed_mps);
      step_ground(dt, speed, 1.0);
      rpm_target_ = 1000.0;
      if (ground_path_.length() - ground_path_.position < 1.0 && a.ground_speed_mps < 0.2) {
        a.ground_speed_mps = 0.0;
        enter(activity::idling);
        finish_step();  // a full-stop landing ends at rest, clear of the runway
      }
      break;
    }
    case activity::cooling_down:
      step_ground(dt, 0.0, 1.0);
      rpm_target_ = 900.0;
      if (activity_time_ >= 15.0) {
        engine_.set_running(false);
        enter(activity::stopping);
      }
      break;
    case activity::stopping:
      step_ground(dt, 0.0, 1.0);
      rpm_target_ = 0.0;
      if (engine_.state().rpm < 1.0) {
        enter(activity::parked);
        finish_step();
      }
      break;
  }
  if (finished_ || &scenario_->steps[index_] != &s) return;
  const bool waits = s.command == scenario_command::wait || s.command == scenario_command::power_off ||
                     s.command == scenario_command::restart_clock;
  if (waits && step_time_ >= s.seconds && (a.airborne || a.ground_speed_mps <= 0.0)) {
    finish_step();
  } else if (step_time_ > longest_step_seconds + s.seconds) {
    failure_ = scenario_error{s.line, std::string(command_name(s.command)) + " could not be flown: still at it after " +
                                          std::to_string(static_cast<int>(step_time_ / 3600.0)) + " hours"};
    finished_ = true;
  }
}

void scenario_flight::update_phase() {
  const scenario_step* s = current_step();
  switch (activity_) {
    case activity::taxiing:
      phase_ = s != nullptr && s->command == scenario_command::taxi ? taxi_labels_[index_] : flown_phase::taxi_out;
      break;
    case activity::holding:
    case activity::lineup: phase_ = flown_phase::taxi_out; break;
    case activity::runup:  // the engine checks, from the power coming up to its return to idle
      phase_ =
          activity_time_ >= runup_power_s && activity_time_ < runup_idle_s ? flown_phase::runup : flown_phase::taxi_out;
      break;
    case activity::takeoff_roll: phase_ = flown_phase::takeoff_roll; break;
    case activity::airborne:
      phase_ = approach_                       ? flown_phase::approach
               : vertical_ == vertical::climb  ? flown_phase::climb
               : vertical_ == vertical::cruise ? flown_phase::cruise
                                               : flown_phase::descent;
      break;
    case activity::landing_roll: phase_ = flown_phase::landing_roll; break;
    case activity::exiting: phase_ = flown_phase::taxi_in; break;
    default: phase_.reset(); break;
  }
}

void scenario_flight::step(double dt) {
  if (finished_) return;
  if (!started_) {
    started_ = true;
    begin_step();
  }
  time_ += dt;
  step_time_ += dt;
  activity_time_ += dt;
  step_activity(dt);
  engine_demand d;
  d.rpm = rpm_target_;
  d.lean = lean_;
  d.airborne = aircraft_.airborne;
  d.ias_kt = aircraft_.ias_kt;
  d.altitude_ft = aircraft_.altitude_ft;
  d.outside_temp_c = outside_temp_c();
  engine_.step(dt, time_, d);
  update_phase();
}

ils_view scenario_flight::ils() const {
  const runway_point& r = on_leg_ && leg_.landing ? leg_.runway : ground_;
  const vec2 p = r.frame.from_geo(position_);
  // The threshold 300 m before the point, on a runway of 1,800 m.
  return {dot(p, r.along()) + 300.0, dot(p, r.left()), 1800.0, aircraft_.altitude_ft - r.elevation_ft};
}

leg_navigation scenario_flight::navigation() const {
  leg_navigation nav;
  if (!on_leg_) return nav;
  const vec2 p = leg_.frame.from_geo(position_);
  nav.waypoint = leg_.ident;
  nav.waypoint_distance_m = length(p);
  nav.destination_distance_m = nav.waypoint_distance_m;
  const std::vector<scenario_step>& steps = scenario_->steps;
  geo_position from = leg_.step->at;
  for (std::size_t j = index_ + 1; j < steps.size() && !leg_.landing; ++j) {
    if (!is_leg(steps[j].command)) continue;
    nav.destination_distance_m += geo_distance(from, steps[j].at);
    from = steps[j].at;
    if (steps[j].command != scenario_command::fly_to) break;
  }
  nav.desired_track_deg = bearing(leg_.start, vec2{});
  nav.bearing_deg = bearing(p, vec2{});
  const vec2 leg = vec2{} - leg_.start;
  const double leg_length = length(leg);
  if (leg_length > 0.0) {
    const vec2 u = leg * (1.0 / leg_length);
    const vec2 d = p - leg_.start;
    nav.cross_track_m = u.x * d.y - u.y * d.x;
  }
  return nav;
}
