// The simulated aircraft: a light single-engine aeroplane that flies the planned sorties,
// stepped a few dozen times a second. It keeps the true state (position, attitude, air data,
// engine) from which the LOG sources take their readings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "flight_geometry.h"
#include "flight_random.h"
#include "flight_route.h"

enum class flight_phase {
  parked,  // engine off, waiting for the next start
  engine_start,
  taxi_out,
  holding,  // stopped at the holding point
  runup,    // engine checks at the holding point
  lineup,
  takeoff_roll,
  airborne,
  landing_roll,  // roll-out and taxi back to the parking spot
  shutdown,      // idling before the engine is stopped
};

struct engine_state {
  bool running = false;
  double rpm = 0.0;
  double fuel_flow_gph = 0.0;
  double fuel_gal = 0.0;
  std::array<double, 6> cht = {};  // degrees F; the classic sortie fits four cylinders
  std::array<double, 6> egt = {};  // degrees F
  double oil_temp_f = 0.0;
  double oil_pressure_psi = 0.0;
  double manifold_inhg = 0.0;
  double fuel_pressure_psi = 0.0;
  double bus_volts = 0.0;
  double timer_seconds = 0.0;  // flight timer: engine running time of this sortie
  double hobbs_hours = 0.0;    // total engine time
};

struct aircraft_state {
  vec2 position;
  double altitude_ft = 0.0;  // above mean sea level; the day is standard, so also pressure altitude
  double heading_deg = 0.0;  // true
  double bank_deg = 0.0;     // right wing down positive
  double pitch_deg = 0.0;
  double ias_kt = 0.0;
  double ias_rate_kt_s = 0.0;
  double vertical_speed_fpm = 0.0;
  double track_deg = 0.0;  // true, over the ground
  double ground_speed_mps = 0.0;
  double load_factor = 1.0;
  double slip_deg = 0.0;  // the accelerometers' roll angle: 0 in a balanced turn
  double flaps_deg = 0.0;
  bool airborne = false;
};

// Navigation to the active waypoint, as a panel GPS shows it.
struct navigation_state {
  std::string waypoint;
  double waypoint_distance_m = 0.0;
  double destination_distance_m = 0.0;  // along the route to the landing threshold
  double desired_track_deg = 0.0;
  double bearing_deg = 0.0;
  double cross_track_m = 0.0;  // left of the course positive
};

class flight_model {
 public:
  // total_seconds is the length of the whole LOG; long ones are flown as several sorties from
  // the same field with a ground stop and refuelling between them.
  flight_model(std::uint64_t seed, double total_seconds);

  void step(double dt);

  double time() const { return time_; }
  flight_phase phase() const { return phase_; }
  const aircraft_state& aircraft() const { return aircraft_; }
  const engine_state& engine() const { return engine_; }
  const sortie_plan& plan() const { return plan_; }
  int sortie() const { return sortie_; }
  double field_elevation_ft() const { return home_airfield().elevation_ft; }
  double outside_temp_c() const;
  vec2 wind_at(double altitude_ft) const;  // the velocity of the air, m/s
  double surface_wind_from_deg() const { return wind_from_deg_; }
  double surface_wind_kt() const { return wind_kt_; }
  double magnetic_heading_deg() const { return wrap360(aircraft_.heading_deg - home_airfield().variation_deg); }
  navigation_state navigation() const;
  std::size_t segment() const { return segment_; }
  double along() const { return along_; }
  // Path distance from the aircraft to the glidepath aiming point.
  double to_aim_m() const { return plan_.aim_along - along_; }

 private:
  void begin_sortie(int index);
  void update_progress();
  vec2 carrot(double lookahead) const;
  double target_altitude(double along) const;
  double taxi_speed_towards(double stop, double cap) const;
  void step_ground(double dt, double target_speed, double accel);
  void step_air(double dt);
  void step_engine(double dt, double rpm_target, bool lean);
  double sortie_start(int index) const;

  flight_random route_rng_;
  flight_random air_rng_;
  double total_seconds_;
  int sorties_ = 1;
  int sortie_ = 0;
  double time_ = 0.0;
  double phase_time_ = 0.0;
  double wait_until_ = 0.0;
  bool refuelled_ = false;
  flight_phase phase_ = flight_phase::parked;
  sortie_plan plan_;
  std::size_t segment_ = 0;
  double along_ = 0.0;
  aircraft_state aircraft_;
  engine_state engine_;
  double fuel_capacity_gal_ = 0.0;
  std::array<double, 4> cht_offset_ = {};
  std::array<double, 4> egt_offset_ = {};
  double wind_from_deg_ = 0.0;
  double wind_kt_ = 0.0;
  double surface_temp_c_ = 15.0;
  drifting_noise turbulence_roll_{2.0, 0.08};
  drifting_noise turbulence_pitch_{1.0, 0.08};
  drifting_noise turbulence_load_{0.12, 0.3};
  drifting_noise turbulence_vs_{120.0, 0.05};
  drifting_noise slip_{1.0, 0.05};
  drifting_noise rpm_wobble_{12.0, 0.1};
  double air_heading_deg_ = 0.0;  // where the nose points for the aerodynamics, true
  double decrab_deg_ = 0.0;
  double previous_ias_ = 0.0;
  double previous_gamma_ = 0.0;
};
