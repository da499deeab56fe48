// Gathers a flight's logbook row (logbook_row.h) as the flight time line reads the LOG: it is
// told the speed samples that detect flight and the fixes of the position source, and keeps a
// few values per flight (the landings listed are bounded), so memory stays flat.
//
// Its touchdowns and lift-offs are the one rule of where a flight met the runway: the time line
// takes each landing the aircraft lifted off from again (a touch-and-go, or a full stop within
// one airborne period) and the place of the landing that ends an airborne period from here
// (runway_contacts.h). Their places are the samples below the takeoff speed between touchdown
// and lift-off: the slowest for a landing lifted off from, the first of the latest stretch for
// the landing that ends the period.
#pragma once

#include <cstdint>
#include <optional>

#include "analysis/debounced_switch.h"
#include "analysis/logbook_row.h"
#include "analysis/runway_contacts.h"
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
    // On the ground, or perhaps: the samples below the takeoff speed place the landing.
    if (after == switch_state::on) {
      below_takeoff_ = false;
      has_slowest_ = false;
    } else if (kt >= takeoff_kt_) {
      below_takeoff_ = false;
    } else if (!below_takeoff_ || kt < slowest_kt_) {
      const log_event here = event_here();
      if (!below_takeoff_) stretch_start_ = here;
      below_takeoff_ = true;
      if (!has_slowest_ || kt < slowest_kt_) {
        slowest_ = here;
        slowest_kt_ = kt;
        has_slowest_ = true;
      }
    }
  }
  // A fix of the position source with its ground speed and true track (NaN when it has none),
  // and whether the engine runs.
  void take_fix(const log_event& at, double ground_speed_kt, double track_true_deg, bool engine_running);
  // The flight ends; engine_stop is its last engine stop when it has one.
  logbook_row finish(const std::optional<log_event>& engine_stop);

  // The landing the aircraft has just lifted off from again, once, as a contact: a touch-and-go
  // or a full stop at the slowest sample of its ground roll; nothing when the last sample
  // decided no such lift-off.
  std::optional<runway_contact> take_landing_left();
  bool has_landing_left() const { return landing_left_.has_value(); }
  // Where the speed last fell below the takeoff speed, while it stays below: the place of a
  // landing that ends here.
  std::optional<log_event> landing_place() const;

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
  logbook_landing pending_;       // the last landing
  bool touched_down_ = false;     // ... made since the last lift-off
  std::optional<runway_contact> landing_left_;
  double takeoff_kt_;
  bool below_takeoff_ = false;  // the latest speed sample was below the takeoff speed
  log_event stretch_start_;     // ... since this one
  bool has_slowest_ = false;    // the slowest sample since the aircraft was last surely airborne
  double slowest_kt_ = 0.0;
  log_event slowest_;
  bool resting_ = false;  // the ground speed is 3 kt or less since rest_start_
  log_event rest_start_;
};
