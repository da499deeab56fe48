// Gathers a flight's logbook row (logbook_row.h) as the flight time line reads the LOG: it is
// told the speed samples that detect flight and the fixes of the position source, and keeps a
// few values per flight (the landings listed are bounded), so memory stays flat.
#pragma once

#include <cstdint>
#include <optional>

#include "analysis/debounced_switch.h"
#include "analysis/logbook_row.h"
#include "analysis/sun.h"

class logbook_tracker {
 public:
  // takeoff_kt: the flight detection's takeoff speed; lift-off and touchdown are judged at 110 %
  // of it.
  logbook_tracker(double takeoff_kt, const logbook_options& options);

  // A flight or ground run begins: what came before is forgotten.
  void begin();
  // A sample of the speed that detects flight (AHRS airspeed, else GPS ground speed) at LOG time
  // t; event_here() gives the moment and place of the sample, asked for only when it may start
  // a lift-off or touchdown.
  template <typename EventHere>
  void take_speed(std::uint32_t t, double kt, EventHere&& event_here) {
    const switch_state before = air_.state();
    const switch_state after = air_.update(t, kt >= threshold_kt_, kt < threshold_kt_);
    if (before != after) switched(before, after, event_here());
  }
  // A fix of the position source with its ground speed and true track (NaN when it has none),
  // and whether the engine runs.
  void take_fix(const log_event& at, double ground_speed_kt, double track_true_deg, bool engine_running);
  // The flight ends; engine_stop is its last engine stop when it has one.
  logbook_row finish(const std::optional<log_event>& engine_stop);

 private:
  void switched(switch_state before, switch_state after, const log_event& at);
  void count_night_point(const log_event& at);
  void flush_night_point();
  void lifted_off(const log_event& at);
  void touched_down(const log_event& at);
  void settle_pending_landing(bool full_stop);

  double threshold_kt_;
  logbook_options options_;
  debounced_switch air_;
  logbook_row row_;
  // The night time is counted while the aircraft is (or may be) in the air; a lift-off or
  // touchdown is confirmed only after its run has lasted, so the count as it stood at the
  // start of the run is kept to go back to.
  night_time_splitter night_;
  night_time_splitter night_before_run_;
  bool counting_night_ = false;
  bool night_points_ = false;  // a point was counted
  // The track is taken a point every night_point_every_ms (the sun moves little meanwhile and
  // the splitter finds a crossing between two points); the latest fix waits here, to be taken
  // when a run starts or the flight ends.
  bool has_waiting_point_ = false;
  log_event waiting_point_;
  std::uint32_t last_point_ms_ = 0;
  log_event run_start_;        // the first sample of the lift-off or touchdown being decided
  double track_at_run_start_ = std::nan("");
  double last_track_ = std::nan("");
  bool landing_pending_ = false;  // the last landing's kind is not decided yet
  logbook_landing pending_;
  bool resting_ = false;  // the ground speed is 3 kt or less since rest_start_
  log_event rest_start_;
};
