// The aircraft of a scenario: it flies the scenario's steps one after the other, from the
// parking spot of the first departure to the end of the last step, stepped a few dozen times a
// second. It keeps the true state (position, air data, engine), the flight phase it is in and
// whether the EFIS is on; the scenario simulator logs what the EFIS sees of it.
//
// On the ground it follows taxi paths laid out from each runway point (a parking spot 200 m
// down the runway and 150 m to its right, a parallel taxiway 100 m to the right, the holding
// point 45 m to the right of the runway start). In the air each step is a leg: a fly-to leg
// climbs (at full power and 72 to 80 kt), cruises and descends (500 ft a minute, 1,500 with the
// power at idle) to its altitude while it flies to its point; a landing leg holds the altitude
// of the last fly-to (1,000 ft above the departure right after a takeoff) until a 3 degree path
// to the touchdown point lies below, joins the extended centreline at a final fix 0.75 to 2.7 nm
// out and lands with a flare near the point given.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "flight_geometry.h"
#include "flight_model.h"
#include "flight_sources.h"
#include "scenario_engine.h"
#include "scenario_file.h"
#include "scenario_truth.h"

// A line of points in a local frame, and where along it the aircraft is.
struct path_line {
  std::vector<vec2> points;
  std::vector<double> along;  // path distance to each point
  std::size_t segment = 0;
  double position = 0.0;  // path distance of the aircraft's place on the line

  void set(std::vector<vec2> p);
  double length() const { return along.empty() ? 0.0 : along.back(); }
  void update(vec2 p);                  // moves the place on towards p's nearest point
  vec2 carrot(double lookahead) const;  // the point `lookahead` metres further on
};

// A runway point of a step: the frame has its origin there.
struct runway_point {
  geo_position at;
  double elevation_ft = 0.0;
  double heading_deg = 0.0;
  local_frame frame;

  vec2 along() const { return heading_vector(heading_deg); }
  vec2 left() const { return {-along().y, along().x}; }
  vec2 point(double u, double v) const { return along() * u + left() * v; }  // in the frame
};

// The navigation of the leg in progress, as a panel GPS shows it.
struct leg_navigation {
  std::string waypoint;
  double waypoint_distance_m = 0.0;
  double destination_distance_m = 0.0;
  double desired_track_deg = 0.0;
  double bearing_deg = 0.0;
  double cross_track_m = 0.0;  // left of the course positive
};

class scenario_flight {
 public:
  explicit scenario_flight(const scenario& s);

  void step(double dt);
  bool finished() const { return finished_; }
  // Set when a step could not be flown (a leg still unfinished after hours).
  const std::optional<scenario_error>& failure() const { return failure_; }

  double time() const { return time_; }
  const aircraft_state& aircraft() const { return aircraft_; }
  geo_position position() const { return position_; }
  scenario_engine& engine() { return engine_; }
  const scenario_engine& engine() const { return engine_; }
  std::optional<flown_phase> phase() const { return phase_; }
  // The runway the ground paths are laid out from: after a touchdown, the landing's.
  const runway_point& ground_runway() const { return ground_; }
  // The step being flown, or none before the first and after the last.
  const scenario_step* current_step() const;

  bool efis_on() const { return efis_on_; }
  int power_ups() const { return power_ups_; }         // EFIS power-ups after the first
  bool timer_restarted() const { return restarted_; }  // at the last power-up

  double outside_temp_c() const;
  double magnetic_heading_deg() const;
  ils_view ils() const;
  leg_navigation navigation() const;

 private:
  enum class activity {
    parked,
    starting,
    idling,
    braking,
    taxiing,
    runup,
    holding,
    lineup,
    takeoff_roll,
    airborne,
    landing_roll,
    exiting,
    cooling_down,
    stopping,
  };

  struct leg {
    const scenario_step* step = nullptr;
    local_frame frame;  // origin at the step's point
    path_line path;
    bool landing = false;
    runway_point runway;
    std::size_t final_fix = 0;  // landing: the point of the path where the final begins
    double aim_along = 0.0;     // landing: path distance of the glidepath's aiming point
    double cap_ft = 0.0;        // landing: the altitude held until the descent
    double speed_kt = 0.0;
    double target_ft = 0.0;  // fly-to: the altitude to fly at
    vec2 start;              // in the frame
    std::string ident;
  };

  void begin_step();
  void finish_step();
  void enter(activity a);
  runway_point runway_of(std::size_t step) const;
  void plan_taxi_out();
  void plan_leg();
  void plan_exit();
  void step_activity(double dt);
  void step_ground(double dt, double target_speed, double accel);
  void step_air(double dt);
  double taxi_speed_towards(double stop, double cap) const;
  double landing_altitude_target(double along) const;
  void touch_down();
  void update_phase();

  const scenario* scenario_;
  scenario_engine engine_;
  flight_random air_rng_;
  std::vector<flown_phase> taxi_labels_;  // per step: what a taxi step counts as
  std::size_t index_ = 0;                 // the step being flown
  bool started_ = false;
  bool finished_ = false;
  std::optional<scenario_error> failure_;
  double time_ = 0.0;
  double step_time_ = 0.0;
  double activity_time_ = 0.0;
  activity activity_ = activity::parked;
  std::optional<flown_phase> phase_;

  aircraft_state aircraft_;
  geo_position position_;
  runway_point ground_;  // the runway the ground paths are laid out from
  path_line ground_path_;
  bool stop_at_path_end_ = true;
  runway_point departure_;
  bool first_departure_of_run_ = true;
  bool climbing_out_ = false;
  double departure_elevation_ft_ = 0.0;
  double last_cruise_ft_ = -1.0;  // the altitude of the last fly-to leg in this airborne period
  double last_speed_kt_ = 90.0;
  leg leg_;
  bool on_leg_ = false;
  bool approach_ = false;  // the landing leg has descended through 1,000 ft above its runway
  enum class vertical { climb, cruise, descent } vertical_ = vertical::climb;
  double hold_altitude_ft_ = 0.0;
  double hold_track_deg_ = 0.0;

  double air_heading_deg_ = 0.0;
  double decrab_deg_ = 0.0;
  double previous_ias_ = 0.0;
  double previous_gamma_ = 0.0;
  double rpm_target_ = 0.0;
  bool lean_ = false;
  vec2 wind_;  // the velocity of the air, m/s

  bool efis_on_ = true;
  int power_ups_ = 0;
  bool restarted_ = false;

  drifting_noise turbulence_roll_{2.0, 0.08};
  drifting_noise turbulence_pitch_{1.0, 0.08};
  drifting_noise turbulence_load_{0.12, 0.3};
  drifting_noise turbulence_vs_{120.0, 0.05};
  drifting_noise slip_{1.0, 0.05};
};
