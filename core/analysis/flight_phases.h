// The flight phases of a flight or ground run, found on the engine monitor's samples with the
// air data and ground speed as they stand at each, and the engine figures of each phase.
//
// The rules, with the thresholds of the aircraft profile (phase_thresholds, defaults here):
//   - the speed is the indicated airspeed, else (no AHRS message for 5 s) the GPS ground speed;
//     a value older than 5 s is not known;
//   - lift-off: on the ground, the first sample of 5 s at 55 kt or more; touchdown: in the air,
//     the first sample of 3 s below 55 kt;
//   - taxi out: on the ground before the first lift-off, from the first ground speed of 2 kt
//     (the stops in between included); taxi in: after the landing roll, up to the last sample
//     below 2 kt that lasts to the end (coming to rest);
//   - run-up: on the ground, standing still (below 2 kt) at 1,500 rpm or more, for 5 s or more;
//   - takeoff roll: the samples before lift-off at 1,600 rpm or more while moving (without an
//     engine speed: at 15 kt or more), back to the first of them and over the rise of the
//     engine speed to that power;
//   - climb, cruise and descent: in the air, from the vertical speed: climbing at +300 fpm or
//     more, descending at -300 fpm or less, level (cruise) between; a climb, cruise or descent
//     begins at the first sample of a run of 10, 15 or 10 s of its kind; after lift-off the
//     aircraft climbs until another kind has lasted;
//   - approach: settled at the touchdown, below 1,000 ft above the landing point (the altitude
//     at the touchdown): the samples since the last one at or above that height, or since the
//     last climb, whichever is later;
//   - landing roll: from touchdown to a ground speed below 15 kt, or to the takeoff roll of a
//     touch-and-go.
// A phase runs from its first sample to the first sample of the next (or its own last one).
//
// Memory stays flat: the samples wait in a ring of fixed size until their phase is settled
// (at a lift-off, a touchdown, a return to taxiing, the end of the window), and then go to
// the figures of their phase. When a phase is not settled within the ring's length (over half
// an hour of samples at three a second), its oldest samples go to the phase they are in then;
// no later decision moves a phase's start before them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/aircraft_profile.h"
#include "analysis/engine_warnings.h"
#include "analysis/phase_figures.h"
#include "decode/samples.h"
#include "decode/utc_clock.h"

enum class flight_phase_kind : std::uint8_t {
  taxi_out,
  runup,
  takeoff_roll,
  climb,
  cruise,
  descent,
  approach,
  landing_roll,
  taxi_in,
};
constexpr std::size_t flight_phase_kind_count = 9;

std::string_view flight_phase_name(flight_phase_kind k);     // "takeoff_roll"
std::string_view flight_phase_display(flight_phase_kind k);  // "Takeoff roll"

struct phase_record {
  flight_phase_kind kind = flight_phase_kind::taxi_out;
  log_instant start;  // its first sample
  log_instant end;    // the first sample of what follows, or its own last sample
  phase_figures figures;
};

constexpr std::size_t max_listed_phases = 2000;  // in a LOG; those past it are counted

// The latest value of one input and when it came.
struct latest_value {
  bool has = false;
  double value = 0.0;
  std::uint32_t at = 0;

  void note(std::uint32_t t, double v) {
    if (v != v) return;  // NaN: the record did not hold it
    has = true;
    value = v;
    at = t;
  }
};

// The phases and engine warnings of one flight or ground run.
struct window_phases {
  std::vector<phase_record> phases;
  std::vector<engine_warning> warnings;  // in the order they began
};

// One call of the phases, as it is handed to the thread that works them out.
struct phase_command;

class flight_phases {
 public:
  // clock gives the phases' instants UTC (as it stands at each call); profile the thresholds and
  // the aux inputs; rules the engine warnings, checked on the samples of the phases as they are
  // settled. on_thread: the phases are worked out on a thread of their own where one can be
  // started, the calls below handing their samples over; the results are the same.
  flight_phases(const aircraft_profile& profile, const utc_clock& clock, const warning_rules& rules,
                bool on_thread = false);
  ~flight_phases();
  flight_phases(const flight_phases&) = delete;
  flight_phases& operator=(const flight_phases&) = delete;

  // The ground speed as it stands, from every new fix of the position source.
  void note_ground_speed(std::uint32_t t, double kt) { ground_speed_.note(t, kt); }

  // Whether take_engine needs the aux inputs (the profile maps one).
  bool reads_aux() const { return reads_aux_; }

  // A flight or ground run begins: what came before is forgotten.
  void begin();
  // An EIS sample of the window at LOG time t in the LOG's segment, in the units given; fitted:
  // the cylinders fitted now; aux: its aux inputs, when reads_aux(); air: the latest AHRS
  // high-rate message, when one came in the last 5 s.
  void take_engine(std::uint32_t t, std::uint32_t segment, const engine_sample& s, const engine_units& units,
                   std::size_t fitted, const aux_inputs* aux, const air_data_sample* air);
  // The window ended at end_ms of end_segment. keep: its phases and warnings are wanted.
  void finish(std::uint32_t end_ms, std::uint32_t end_segment, bool keep);
  // The phases and warnings of each window finished with keep, in the order they were
  // finished. The last call: it waits for the phases' thread.
  std::vector<window_phases> results();

  // Once results() has returned.
  std::uint64_t not_listed() const { return not_listed_; }
  std::uint64_t warnings_not_listed() const;

 private:
  class machine;
  void run(const phase_command& c);
  phase_command& next_command();
  void commit_command();

  std::unique_ptr<machine> machine_;
  const utc_clock& clock_;
  latest_value ground_speed_;
  bool reads_aux_ = false;
  std::uint64_t not_listed_ = 0;
  std::vector<window_phases> results_;
  struct ahead;
  std::unique_ptr<ahead> ahead_;  // the thread, when the phases run on one
  std::unique_ptr<phase_command> command_;  // the command being made, when they do not
};
