// The engine of a scenario flight, four or six cylinders. Each cylinder's head and exhaust
// temperatures follow a first-order lag towards a target set by power, mixture and cooling
// airflow (CHT heats with a time constant of 90 s, cools with 200 s on the ground and faster
// the faster the aircraft flies; EGT follows in 8 s), each cylinder a few degrees from the
// others. The probes read with noise of about 1 degree F. The planted engine events add their
// offsets through a lag of 4 s, so that they begin and end within seconds of their times;
// a failed probe reads a fixed value or jumps.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "flight_model.h"
#include "flight_random.h"
#include "log_writer.h"
#include "scenario_file.h"

// The offsets a mixture event plants on every cylinder, and the factor on the fuel flow.
struct mixture_offsets {
  double cht_f;
  double egt_f;
  double fuel_flow_factor;
};
constexpr mixture_offsets rich_mixture = {-12.0, -150.0, 1.25};  // full rich in cruise
constexpr mixture_offsets lean_mixture = {-25.0, -40.0, 0.85};   // lean of peak

constexpr double event_onset_seconds = 4.0;

// What the flight asks of the engine in one step.
struct engine_demand {
  double rpm = 0.0;   // engine speed; the starter's some 180 rpm while cranking
  bool lean = false;  // leaned for cruise
  bool airborne = false;
  double ias_kt = 0.0;
  double altitude_ft = 0.0;
  double outside_temp_c = 15.0;
};

class scenario_engine {
 public:
  scenario_engine(const scenario& s, std::uint64_t seed);

  void set_running(bool running) { state_.running = running; }
  bool running() const { return state_.running; }
  void reset_timer() { state_.timer_seconds = 0.0; }

  // Advances by dt; t is the scenario time at the end of the step (seconds).
  void step(double dt, double t, const engine_demand& d);

  const engine_state& state() const { return state_; }
  int cylinders() const { return cylinders_; }

  // The engine monitor's snapshot at scenario time t: the readings with their noise, the
  // failed probes, the aux inputs as set up, the checksum.
  eis_fields reading(const aircraft_state& a, double outside_temp_c, double seconds_on, double t, flight_random& rng);

 private:
  struct probe_jumps {
    double next_s = 0.0;
    double size = 0.0;
  };

  std::vector<engine_event> events_;
  int cylinders_ = 4;
  std::array<aux_input, 6> aux_ = {};
  engine_state state_;
  std::array<double, 6> cht_base_ = {};
  std::array<double, 6> egt_base_ = {};
  std::array<double, 6> cht_event_ = {};  // the lagged offsets of the events
  std::array<double, 6> egt_event_ = {};
  std::array<double, 6> cht_spread_ = {};
  std::array<double, 6> egt_spread_ = {};
  double flow_factor_ = 1.0;
  flight_random fault_rng_;
  std::vector<probe_jumps> jumps_;  // one per event
  drifting_noise rpm_wobble_{12.0, 0.1};
  flight_random wobble_rng_;
};
