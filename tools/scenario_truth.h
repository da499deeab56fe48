// What a scenario planted, as the scenario simulator flew and logged it: the LOG's segments and
// their clocks, every GPS fix with the moment it reached the EFIS, each flight's events and
// phases, the engine events, and per phase the means of what the engine monitor wrote. Tests
// compare what a decoder finds with these values; nothing here re-derives a decoder's rule.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "flight_geometry.h"
#include "scenario_file.h"

// A moment of the scenario in every clock it has.
struct truth_moment {
  double scenario_s = 0.0;   // seconds since the scenario start
  std::int64_t utc_ms = 0;   // true UTC, milliseconds since 1970-01-01
  bool logged = false;       // the EFIS was on: the LOG has records around this moment
  std::uint32_t log_ms = 0;  // LOG time at this moment (valid when logged)
  int segment = -1;          // the segment it lies in (when logged)
};

// How a segment of the LOG began.
enum class segment_start {
  power_up,      // the first power-up of the scenario
  power_off,     // the EFIS was off for a while; its LOG timer counted on through it
  clock_restart  // the EFIS was switched off and on and its LOG timer restarted near zero
};

// A stretch of the LOG written without a break: its records' timestamps rise from first_log_ms
// to last_log_ms and UTC = utc_ms_at_log_zero + LOG time throughout.
struct truth_segment {
  segment_start start = segment_start::power_up;
  double off_seconds = 0.0;  // how long the EFIS was off before it
  std::uint32_t first_log_ms = 0;
  std::uint32_t last_log_ms = 0;
  std::int64_t utc_ms_at_log_zero = 0;
  std::int64_t first_utc_ms = 0;
  std::int64_t last_utc_ms = 0;
  std::size_t records = 0;
};

// One GPS fix with a position (status A): when the receiver fixed it, and when the sentence
// that reports it was whole in the LOG (the record carrying its last byte).
struct truth_fix {
  int port = 1;             // 1 or 2
  std::int64_t utc_ms = 0;  // true UTC of the fix
  std::uint32_t arrival_log_ms = 0;
  int segment = 0;
  geo_position position;  // true, without the receiver's noise
};

enum class flown_phase {
  taxi_out,      // from the first movement under power to the takeoff roll (the stop at the holding point included)
  runup,         // engine checks at the holding point
  takeoff_roll,  // full power on the runway to lift-off
  climb,         // from lift-off (or the start of a climb) to level-off
  cruise,        // level
  descent,       // from the start of a descent to the approach
  approach,      // on a landing's leg, from descending through 1,000 ft above its runway to touchdown
  landing_roll,  // touchdown to taxi speed (15 kt), or for a touch-and-go to the power coming in again
  taxi_in,       // from the landing roll to rest, and taxiing after the last landing
};
constexpr std::size_t flown_phase_count = 9;
const char* phase_name(flown_phase p);

// Count, sum, least and greatest of one measure.
struct truth_stat {
  std::size_t count = 0;
  double sum = 0.0;
  double min = 0.0;
  double max = 0.0;
  void add(double v);
  std::optional<double> mean() const;
};

// What the engine monitor wrote in a phase, per fitted cylinder and for the engine, over the EIS
// records the EFIS logged inside the phase's bounds; and the model's own noiseless CHT there.
struct truth_engine_figures {
  std::array<truth_stat, 6> cht;
  std::array<truth_stat, 6> egt;
  std::array<truth_stat, 6> model_cht;  // the temperatures before the probes' noise
  truth_stat rpm;
  truth_stat oil_temperature_f;
  truth_stat oil_pressure_psi;
  truth_stat fuel_flow_gph;
  truth_stat manifold_pressure_inhg;  // as the aux input carrying it wrote it; empty when none does
};

struct truth_phase {
  flown_phase phase = flown_phase::taxi_out;
  truth_moment start;
  truth_moment end;
  truth_engine_figures engine;
};

struct truth_takeoff {
  truth_moment when;  // lift-off
  geo_position position;
  int line = 0;  // of the depart or touch-and-go step
};

struct truth_landing {
  truth_moment when;          // touchdown
  geo_position position;      // where the wheels touched
  bool full_stop = true;      // false: a touch-and-go
  geo_position runway_point;  // as the step gave it
  double runway_elevation_ft = 0.0;
  double runway_heading_deg = 0.0;
  int line = 0;
};

// An engine run. A flight when it holds a takeoff; otherwise a ground run.
struct truth_flight {
  std::optional<truth_moment> engine_start;  // the engine fires; none only if it ran from the start
  std::optional<truth_moment> out;           // the first movement under power
  std::vector<truth_takeoff> takeoffs;
  std::vector<truth_landing> landings;
  std::optional<truth_moment> in;           // coming to rest after the last landing
  std::optional<truth_moment> engine_stop;  // none when the scenario ends with the engine running
  geo_position departure;                   // the first depart step's point
  std::vector<truth_phase> phases;          // in order, from out to in
  // What the engine monitor wrote in the first and the last EIS record of the run: the engine
  // timer (Hobbs) in hours and the fuel on board in gallons, both in tenths.
  std::optional<double> hobbs_start_h, hobbs_end_h;
  std::optional<double> fuel_start_gal, fuel_end_gal;
  bool is_flight() const { return !takeoffs.empty(); }
};

struct truth_engine_event {
  engine_event event;  // as planted; fast_cooling from a `fly-to ... idle` step
  truth_moment start;
  truth_moment end;  // the scenario's end when the event lasts to it
};

struct scenario_truth {
  std::int64_t start_utc_ms = 0;
  double seconds = 0.0;  // length of the scenario
  int cylinders = 4;
  std::array<aux_input, 6> aux = {};
  std::array<gps_sentences, 2> gps = {};
  std::vector<truth_segment> segments;
  std::vector<truth_fix> fixes;
  std::vector<truth_flight> flights;      // engine runs with a takeoff
  std::vector<truth_flight> ground_runs;  // engine runs without one
  std::vector<truth_engine_event> engine_events;

  // The segment, and UTC, of a LOG time in it (the first segment that holds it).
  std::optional<std::int64_t> utc_of(int segment, std::uint32_t log_ms) const;
};

// The truth as one JSON document (UTC times also as ISO 8601 text).
std::string truth_json(const scenario_truth& truth);

// "2026-05-09T03:30:00.250Z"
std::string utc_text(std::int64_t utc_ms);
