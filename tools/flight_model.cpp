#include "flight_model.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double longest_sortie_seconds = 150.0 * 60.0;
constexpr double first_wait_seconds = 20.0;    // avionics up, GPS acquiring, before the start
constexpr double ground_stop_seconds = 240.0;  // between sorties: refuel and restart
constexpr double ground_time_seconds = 290.0;  // start, taxi, take-off roll, landing roll, taxi in
constexpr double runup_seconds = 45.0;
constexpr double taxi_speed_mps = 7.0;
constexpr double rotate_kt = 53.0;
constexpr double liftoff_kt = 58.0;

double approach(double value, double target, double max_step) {
  return value + std::clamp(target - value, -max_step, max_step);
}

// First-order lag with time constant tau.
double lag(double value, double target, double tau, double dt) { return value + (target - value) * (dt / (tau + dt)); }

double distance_to_segment(vec2 p, vec2 a, vec2 b) {
  const vec2 ab = b - a;
  const double len2 = dot(ab, ab);
  const double t = len2 > 0.0 ? std::clamp(dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
  return distance(p, a + ab * t);
}

}  // namespace

flight_model::flight_model(std::uint64_t seed, double total_seconds)
    : route_rng_(seed, 1), air_rng_(seed, 2), total_seconds_(total_seconds) {
  sorties_ = std::max(1, static_cast<int>(std::ceil(total_seconds / longest_sortie_seconds)));
  flight_random weather(seed, 3);
  const double runway = home_airfield().runway_heading();
  wind_from_deg_ = wrap360(runway + weather.uniform(-40.0, 30.0));
  wind_kt_ = weather.uniform(4.0, 12.0);
  surface_temp_c_ = weather.uniform(8.0, 24.0);
  fuel_capacity_gal_ = 50.0;
  engine_.fuel_gal = weather.uniform(34.0, 48.0);
  engine_.hobbs_hours = std::round(weather.uniform(800.0, 3000.0) * 10.0) / 10.0;
  for (std::size_t i = 0; i < 4; ++i) {
    cht_offset_[i] = weather.uniform(-18.0, 18.0);
    egt_offset_[i] = weather.uniform(-40.0, 40.0);
  }
  const double oat_f = surface_temp_c_ * 9.0 / 5.0 + 32.0;
  engine_.cht.fill(oat_f);
  engine_.egt.fill(oat_f);
  engine_.oil_temp_f = oat_f;
  engine_.bus_volts = 12.5;
  engine_.manifold_inhg = 29.92;
  begin_sortie(0);
}

double flight_model::sortie_start(int index) const { return total_seconds_ * index / sorties_; }

void flight_model::begin_sortie(int index) {
  sortie_ = index;
  const double start = sortie_start(index);
  const double end = sortie_start(index + 1);
  const double wait = index == 0 ? first_wait_seconds : ground_stop_seconds;
  const bool runup = end - start > 20.0 * 60.0;
  const double airborne_seconds =
      std::max(60.0, end - start - wait - ground_time_seconds - (runup ? runup_seconds : 0.0));
  // The average ground speed to expect: short flights spend most of their time climbing and
  // descending, long ones cruise.
  const double planning_speed_mps = 45.0 + 13.0 * std::clamp((airborne_seconds - 300.0) / 3000.0, 0.0, 1.0);
  plan_ = plan_sortie(route_rng_, airborne_seconds * planning_speed_mps, runup);
  segment_ = 0;
  along_ = 0.0;
  wait_until_ = std::max(time_, start) + wait;
  refuelled_ = index == 0;
  phase_ = flight_phase::parked;
  phase_time_ = 0.0;
  if (index == 0) {
    aircraft_.position = plan_.path.front();
    aircraft_.heading_deg = bearing(plan_.path[0], plan_.path[1]);
    aircraft_.track_deg = aircraft_.heading_deg;
    aircraft_.altitude_ft = home_airfield().elevation_ft;
  }
}

double flight_model::outside_temp_c() const {
  return surface_temp_c_ - 1.98 * (aircraft_.altitude_ft - home_airfield().elevation_ft) / 1000.0;
}

vec2 flight_model::wind_at(double altitude_ft) const {
  const double agl_thousands = std::max(0.0, altitude_ft - home_airfield().elevation_ft) / 1000.0;
  const double speed_kt = std::min(35.0, wind_kt_ + 2.0 * agl_thousands);
  const double from = wind_from_deg_ + 3.0 * agl_thousands;
  return heading_vector(from) * (-speed_kt * mps_per_knot);
}

// Moves the aircraft's place on the route forward: to the next segment once it is past the end
// of this one, or once it is cutting the corner and already nearer the next one.
void flight_model::update_progress() {
  const std::vector<vec2>& path = plan_.path;
  const vec2 p = aircraft_.position;
  double t = 0.0;
  for (;;) {
    const vec2 a = path[segment_];
    const vec2 b = path[segment_ + 1];
    const vec2 ab = b - a;
    const double len2 = dot(ab, ab);
    t = len2 > 0.0 ? dot(p - a, ab) / len2 : 1.0;
    if (segment_ + 2 >= path.size()) break;
    if (t >= 1.0) {
      ++segment_;
      continue;
    }
    if (t > 0.5 && distance_to_segment(p, b, path[segment_ + 2]) < distance_to_segment(p, a, b)) {
      ++segment_;
      continue;
    }
    break;
  }
  along_ = plan_.along[segment_] + std::clamp(t, 0.0, 1.0) * (plan_.along[segment_ + 1] - plan_.along[segment_]);
}

vec2 flight_model::carrot(double lookahead) const {
  const double target = along_ + lookahead;
  std::size_t i = segment_;
  while (i + 2 < plan_.path.size() && plan_.along[i + 1] < target) ++i;
  const double seg = plan_.along[i + 1] - plan_.along[i];
  const double t = seg > 0.0 ? std::clamp((target - plan_.along[i]) / seg, 0.0, 1.0) : 1.0;
  return plan_.path[i] + (plan_.path[i + 1] - plan_.path[i]) * t;
}

// The altitude the aircraft aims for at a point of the route: cruise altitude, a steady descent
// of 300 ft per nautical mile that meets the glidepath at the final fix, then the glidepath.
double flight_model::target_altitude(double along) const {
  const double field = home_airfield().elevation_ft;
  const double slope = std::tan(radians(glidepath_deg)) / metres_per_foot;  // feet per metre
  if (along >= plan_.along[plan_.final_fix]) return field + (plan_.aim_along - along) * slope;
  const double at_final_fix = field + (plan_.aim_along - plan_.along[plan_.final_fix]) * slope;
  const double descent = at_final_fix + (plan_.along[plan_.final_fix] - along) / metres_per_nm * 300.0;
  return std::min(plan_.cruise_altitude_ft, descent);
}

navigation_state flight_model::navigation() const {
  navigation_state nav;
  std::size_t active = plan_.threshold;
  for (std::size_t i = segment_ + 1; i <= plan_.threshold; ++i) {
    if (!plan_.ident[i].empty()) {
      active = i;
      break;
    }
  }
  std::size_t from = plan_.runway_start;
  for (std::size_t i = active; i-- > plan_.runway_start;) {
    if (!plan_.ident[i].empty()) {
      from = i;
      break;
    }
  }
  const vec2 to = plan_.path[active];
  const vec2 leg_start = plan_.path[from];
  const vec2 p = aircraft_.position;
  nav.waypoint = plan_.ident[active];
  nav.waypoint_distance_m = distance(p, to);
  nav.destination_distance_m = nav.waypoint_distance_m + plan_.along[plan_.threshold] - plan_.along[active];
  nav.desired_track_deg = bearing(leg_start, to);
  nav.bearing_deg = bearing(p, to);
  const vec2 leg = to - leg_start;
  const double leg_length = length(leg);
  if (leg_length > 0.0) {
    const vec2 u = leg * (1.0 / leg_length);
    const vec2 d = p - leg_start;
    nav.cross_track_m = u.x * d.y - u.y * d.x;
  }
  return nav;
}

// Ground speed that stops `stop` metres on, at most `cap`, and slows for a sharp corner ahead.
double flight_model::taxi_speed_towards(double stop, double cap) const {
  double speed = std::min(cap, std::sqrt(2.0 * std::max(0.0, stop - 0.5)));
  const std::size_t next = segment_ + 1;
  if (next + 1 < plan_.path.size() && plan_.along[next] - along_ < 20.0) {
    const double turn = std::fabs(
        wrap180(bearing(plan_.path[next], plan_.path[next + 1]) - bearing(plan_.path[segment_], plan_.path[next])));
    if (turn > 45.0) speed = std::min(speed, 3.5);
  }
  return speed;
}

void flight_model::step_ground(double dt, double target_speed, double accel) {
  aircraft_state& a = aircraft_;
  const double gs = a.ground_speed_mps;
  const double lookahead = std::max(12.0, gs * 2.5);
  const double error = wrap180(bearing(a.position, carrot(lookahead)) - a.heading_deg);
  const double max_rate = gs < 12.0 ? 30.0 : 4.0;
  // A wheel-borne aeroplane turns only while it rolls.
  const double rate = std::clamp(1.5 * error, -max_rate, max_rate) * std::min(1.0, gs / 1.5);
  a.heading_deg = wrap360(a.heading_deg + rate * dt);
  a.ground_speed_mps = approach(gs, target_speed, (target_speed > gs ? accel : 1.8) * dt);
  if (a.ground_speed_mps < 0.05 && target_speed <= 0.0) a.ground_speed_mps = 0.0;
  a.position = a.position + heading_vector(a.heading_deg) * (a.ground_speed_mps * dt);
  a.track_deg = a.heading_deg;
  const vec2 wind = wind_at(a.altitude_ft);
  const double headwind = -dot(wind, heading_vector(a.heading_deg));
  const double ias = a.ground_speed_mps + headwind;
  a.ias_rate_kt_s = (ias / mps_per_knot - previous_ias_) / dt;
  previous_ias_ = ias / mps_per_knot;
  a.ias_kt = std::max(0.0, ias / mps_per_knot);
  a.vertical_speed_fpm = 0.0;
  a.altitude_ft = home_airfield().elevation_ft;
  a.bank_deg = approach(a.bank_deg, 0.0, 5.0 * dt);
  // Taxi bumps; the sideways push of a ground turn shows in the accelerometers' roll angle.
  const double bumps = gs > 0.5 ? 1.0 : 0.1;
  a.slip_deg = degrees(std::atan(gs * radians(rate) / standard_gravity)) + 0.1 * slip_.next(air_rng_) * bumps;
  a.load_factor = 1.0 + 0.05 * bumps * turbulence_load_.next(air_rng_);
  previous_gamma_ = 0.0;
}

void flight_model::step_air(double dt) {
  aircraft_state& a = aircraft_;
  const double field = home_airfield().elevation_ft;
  const double agl = a.altitude_ft - field;
  const bool on_final = along_ >= plan_.along[plan_.final_fix];
  const double tas_mps = std::max(20.0, a.ias_kt * (1.0 + 0.02 * a.altitude_ft / 1000.0) * mps_per_knot);

  // Lateral: steer the track towards a point ahead on the route.
  const double lookahead = std::max(500.0, 14.0 * tas_mps);
  vec2 aim = carrot(lookahead);
  if (on_final) {  // from the final fix on, the runway centreline and its extension
    const airfield& runway = home_airfield();
    aim = runway.threshold + runway.along() * (dot(a.position - runway.threshold, runway.along()) + lookahead);
  }
  const double error = wrap180(bearing(a.position, aim) - a.track_deg);
  double max_bank = on_final ? 20.0 : 25.0;
  if (agl < 400.0 && !on_final) max_bank = 5.0;
  if (agl < 150.0 && on_final) max_bank = 8.0;
  const double bank_command = std::clamp(1.4 * error, -max_bank, max_bank);
  a.bank_deg = approach(a.bank_deg, bank_command, 8.0 * dt);
  air_heading_deg_ =
      wrap360(air_heading_deg_ + degrees(standard_gravity * std::tan(radians(a.bank_deg)) / tas_mps) * dt);
  const vec2 ground = heading_vector(air_heading_deg_) * tas_mps + wind_at(a.altitude_ft);
  a.ground_speed_mps = length(ground);
  a.track_deg = bearing({0.0, 0.0}, ground);
  a.position = a.position + ground * dt;
  // Just before touchdown the pilot kicks out the crab: the nose swings onto the track while a
  // sideslip keeps the aircraft on it.
  const double decrab_target = on_final && agl < 20.0 ? wrap180(a.track_deg - air_heading_deg_) : 0.0;
  decrab_deg_ = approach(decrab_deg_, decrab_target, 3.0 * dt);
  a.heading_deg = wrap360(air_heading_deg_ + decrab_deg_);

  // Vertical: follow the altitude profile, feeding forward its slope.
  const double target = target_altitude(along_);
  const double slope = (target_altitude(along_ + 50.0) - target) / 50.0;
  double vs_command = slope * a.ground_speed_mps * 60.0 + 4.0 * (target - a.altitude_ft);
  const double max_climb = 800.0 * (1.0 - a.altitude_ft / 16000.0);
  vs_command = std::clamp(vs_command, -1000.0, max_climb);
  if (on_final && agl < 30.0) vs_command = std::max(vs_command, -(100.0 + agl * 20.0));  // flare
  a.vertical_speed_fpm = approach(a.vertical_speed_fpm, vs_command, 300.0 * dt);
  a.altitude_ft += (a.vertical_speed_fpm + turbulence_vs_.next(air_rng_) * 0.3) / 60.0 * dt;
  if (!on_final) a.altitude_ft = std::max(a.altitude_ft, field);

  // Speed, flaps and power by the part of the flight.
  double ias_target = plan_.cruise_ias_kt;
  double rpm_target = plan_.cruise_rpm;
  bool lean = false;
  a.flaps_deg = 0.0;
  if (on_final) {
    a.flaps_deg = agl < 400.0 ? 30.0 : 20.0;
    ias_target = agl < 25.0 ? 50.0 : (agl < 300.0 ? 65.0 : 72.0);
    rpm_target = agl < 25.0 ? 850.0 : (agl < 300.0 ? 1750.0 : 1950.0);
  } else if (along_ >= plan_.along[plan_.intercept_fix] - 1500.0) {
    a.flaps_deg = 10.0;
    ias_target = 85.0;
    rpm_target = 2050.0;
  } else if (vs_command > 300.0) {
    ias_target = agl < 1000.0 ? 72.0 : 82.0;
    rpm_target = 2550.0;
  } else if (vs_command < -250.0) {
    ias_target = plan_.cruise_ias_kt + 5.0;
    rpm_target = 2150.0;
  } else {
    lean = true;
  }
  const double ias_before = a.ias_kt;
  a.ias_kt += std::clamp(0.15 * (ias_target - a.ias_kt), -1.2, 1.2) * dt;
  a.ias_rate_kt_s = (a.ias_kt - ias_before) / dt;
  previous_ias_ = a.ias_kt;

  // Attitude: pitch is the angle of attack the speed needs plus the flight path angle.
  const double gamma = degrees(std::atan(a.vertical_speed_fpm * metres_per_foot / 60.0 / tas_mps));
  const double aoa = 0.5 + (105.0 - a.ias_kt) * 0.1 - 0.04 * a.flaps_deg;
  const double calm = std::clamp(agl / 300.0, 0.3, 1.0);
  a.pitch_deg = aoa + gamma + turbulence_pitch_.next(air_rng_) * calm;
  const double roll_noise = turbulence_roll_.next(air_rng_) * calm;
  const double pull = tas_mps * radians(gamma - previous_gamma_) / dt / standard_gravity;
  previous_gamma_ = gamma;
  a.load_factor =
      1.0 / std::cos(radians(a.bank_deg)) + std::clamp(pull, -0.3, 0.3) + turbulence_load_.next(air_rng_) * calm;
  a.bank_deg += roll_noise * dt;  // turbulence upsets the bank a little; the steering corrects it
  a.slip_deg = slip_.next(air_rng_);
  step_engine(dt, rpm_target, lean);
}

void flight_model::step_engine(double dt, double rpm_target, bool lean) {
  engine_state& e = engine_;
  const aircraft_state& a = aircraft_;
  const double oat_f = outside_temp_c() * 9.0 / 5.0 + 32.0;
  const double up = rpm_target > e.rpm ? 350.0 : 250.0;
  e.rpm = approach(e.rpm, rpm_target, up * dt);
  const double rpm = e.running ? e.rpm + rpm_wobble_.next(air_rng_) * 0.3 : e.rpm;
  const double power = std::pow(std::clamp(rpm / 2700.0, 0.0, 1.1), 3.0);
  const double ambient_inhg = 29.92 * std::pow(1.0 - 6.8756e-6 * a.altitude_ft, 5.2559);
  if (e.running) {
    double flow = 1.2 + 12.5 * power;
    if (lean) flow *= 0.78;
    e.fuel_flow_gph = lag(e.fuel_flow_gph, flow, 2.0, dt);
    const double cooling = a.airborne ? (a.ias_kt - 70.0) * 0.6 : 0.0;
    for (std::size_t i = 0; i < 4; ++i) {
      const double cht = oat_f + 120.0 + 260.0 * power - cooling + cht_offset_[i];
      e.cht[i] = lag(e.cht[i], cht, cht > e.cht[i] ? 90.0 : 200.0, dt);
      const double egt = 700.0 + 650.0 * power + (lean ? 180.0 : 0.0) + egt_offset_[i];
      e.egt[i] = lag(e.egt[i], egt, 8.0, dt);
    }
    e.oil_temp_f = lag(e.oil_temp_f, oat_f + 70.0 + 110.0 * power, 300.0, dt);
    const double pressure = 20.0 + 55.0 * std::clamp((e.rpm - 500.0) / 1500.0, 0.0, 1.0) - (e.oil_temp_f - 140.0) * 0.1;
    e.oil_pressure_psi = lag(e.oil_pressure_psi, std::max(0.0, pressure), 1.5, dt);
    const double throttle = std::clamp((e.rpm - 900.0) / 1800.0, 0.0, 1.0);
    e.manifold_inhg = lag(e.manifold_inhg, 10.0 + (ambient_inhg - 1.0 - 10.0) * throttle, 0.5, dt);
    e.fuel_pressure_psi = lag(e.fuel_pressure_psi, 5.5, 1.0, dt);
    e.bus_volts = lag(e.bus_volts, e.rpm > 1100.0 ? 14.1 : 12.6, 3.0, dt);
    e.timer_seconds += dt;
    e.hobbs_hours += dt / 3600.0;
  } else {
    e.fuel_flow_gph = lag(e.fuel_flow_gph, 0.0, 1.0, dt);
    for (std::size_t i = 0; i < 4; ++i) {
      e.cht[i] = lag(e.cht[i], oat_f, 400.0, dt);
      e.egt[i] = lag(e.egt[i], oat_f, 60.0, dt);
    }
    e.oil_temp_f = lag(e.oil_temp_f, oat_f, 1200.0, dt);
    e.oil_pressure_psi = lag(e.oil_pressure_psi, 0.0, 2.0, dt);
    e.manifold_inhg = lag(e.manifold_inhg, ambient_inhg, 1.0, dt);
    e.fuel_pressure_psi = lag(e.fuel_pressure_psi, 0.0, 5.0, dt);
    e.bus_volts = lag(e.bus_volts, e.rpm > 50.0 ? 10.9 : 12.5, 1.0, dt);  // cranking pulls the battery down
  }
  e.fuel_gal = std::max(0.0, e.fuel_gal - e.fuel_flow_gph / 3600.0 * dt);
}

void flight_model::step(double dt) {
  time_ += dt;
  phase_time_ += dt;
  update_progress();
  aircraft_state& a = aircraft_;
  const auto enter = [this](flight_phase next) {
    phase_ = next;
    phase_time_ = 0.0;
  };
  switch (phase_) {
    case flight_phase::parked: {
      step_ground(dt, 0.0, 1.0);
      step_engine(dt, 0.0, false);
      if (!refuelled_ && time_ >= wait_until_ - ground_stop_seconds / 2.0) {
        engine_.fuel_gal = fuel_capacity_gal_;
        refuelled_ = true;
      }
      if (time_ >= wait_until_ && sortie_ < sorties_) {
        enter(flight_phase::engine_start);
        engine_.timer_seconds = 0.0;
      }
      break;
    }
    case flight_phase::engine_start: {
      step_ground(dt, 0.0, 1.0);
      double rpm = 180.0;  // the starter cranks, then the engine fires and settles to idle
      if (phase_time_ >= 2.0) {
        engine_.running = true;
        rpm = phase_time_ < 5.0 ? 1200.0 : 950.0;
      }
      step_engine(dt, rpm, false);
      if (phase_time_ >= 12.0) enter(flight_phase::taxi_out);
      break;
    }
    case flight_phase::taxi_out:
    case flight_phase::lineup: {
      const bool lining_up = phase_ == flight_phase::lineup;
      const double stop = lining_up ? 1e9 : plan_.along[plan_.hold_short] - along_;
      const double speed = taxi_speed_towards(stop, lining_up ? 4.0 : taxi_speed_mps);
      step_ground(dt, speed, 1.0);
      step_engine(dt, a.ground_speed_mps > 0.5 || speed > 0.5 ? 1050.0 : 950.0, false);
      if (!lining_up && stop < 1.0 && a.ground_speed_mps < 0.2) {
        a.ground_speed_mps = 0.0;
        enter(plan_.runup ? flight_phase::runup : flight_phase::holding);
      }
      if (lining_up && along_ >= plan_.along[plan_.runway_start] - 2.0) enter(flight_phase::takeoff_roll);
      break;
    }
    case flight_phase::holding: {
      step_ground(dt, 0.0, 1.0);
      step_engine(dt, 950.0, false);
      if (phase_time_ >= 8.0) enter(flight_phase::lineup);
      break;
    }
    case flight_phase::runup: {
      step_ground(dt, 0.0, 1.0);
      // Run-up to 1800 rpm, each magneto in turn, carburettor heat, back to idle.
      double rpm = 1800.0;
      if (phase_time_ >= 10.0 && phase_time_ < 14.0) rpm -= 110.0;
      if (phase_time_ >= 18.0 && phase_time_ < 22.0) rpm -= 130.0;
      if (phase_time_ >= 28.0 && phase_time_ < 32.0) rpm -= 80.0;
      if (phase_time_ < 3.0 || phase_time_ >= 36.0) rpm = 950.0;
      step_engine(dt, rpm, false);
      if (phase_time_ >= runup_seconds) enter(flight_phase::lineup);
      break;
    }
    case flight_phase::takeoff_roll: {
      const double accel = std::max(0.8, 2.4 - 0.03 * a.ground_speed_mps);
      step_ground(dt, 60.0, accel);
      step_engine(dt, 2650.0, false);
      if (a.ias_kt >= rotate_kt) a.pitch_deg = approach(a.pitch_deg, 7.0, 4.0 * dt);
      if (a.ias_kt >= liftoff_kt) {
        a.airborne = true;
        air_heading_deg_ = a.heading_deg;
        decrab_deg_ = 0.0;
        enter(flight_phase::airborne);
      }
      break;
    }
    case flight_phase::airborne: {
      step_air(dt);
      if (along_ > plan_.along[plan_.final_fix] && a.altitude_ft <= field_elevation_ft()) {
        a.altitude_ft = field_elevation_ft();
        a.vertical_speed_fpm = 0.0;
        a.airborne = false;
        a.flaps_deg = 0.0;
        enter(flight_phase::landing_roll);
      }
      break;
    }
    case flight_phase::landing_roll: {
      const double stop = plan_.along[plan_.parking] - along_;
      const double speed = taxi_speed_towards(stop, taxi_speed_mps);
      step_ground(dt, speed, 1.0);
      a.pitch_deg = approach(a.pitch_deg, 0.5, 3.0 * dt);
      step_engine(dt, a.ground_speed_mps > taxi_speed_mps + 1.0 ? 850.0 : 1000.0, false);
      if (segment_ + 2 >= plan_.path.size() && stop < 1.0 && a.ground_speed_mps < 0.2) {
        a.ground_speed_mps = 0.0;
        enter(flight_phase::shutdown);
      }
      break;
    }
    case flight_phase::shutdown: {
      step_ground(dt, 0.0, 1.0);
      if (phase_time_ >= 20.0) engine_.running = false;
      step_engine(dt, engine_.running ? 900.0 : 0.0, false);
      if (phase_time_ >= 25.0) {
        if (sortie_ + 1 < sorties_) {
          begin_sortie(sortie_ + 1);
        } else {
          enter(flight_phase::parked);
          wait_until_ = 1e18;  // the last sortie is over
        }
      }
      break;
    }
  }
  if (!a.airborne && phase_ != flight_phase::takeoff_roll && phase_ != flight_phase::landing_roll) {
    a.pitch_deg = approach(a.pitch_deg, 0.5, 3.0 * dt);
  }
  if (phase_ == flight_phase::takeoff_roll && a.ias_kt < rotate_kt) a.pitch_deg = approach(a.pitch_deg, 0.5, 3.0 * dt);
}
