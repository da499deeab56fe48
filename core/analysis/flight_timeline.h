// The flight time line: one streaming pass over a LOG that feeds every decoded value into a
// small set of accumulators and finds the flights.
//
// Detection, with the defaults of detection_options:
//   - the engine runs from the first EIS sample at 500 rpm or more, and stops at the first
//     sample below 500 rpm of a stretch of 30 s below it;
//   - the aircraft is airborne from the first sample of 10 s at 50 kt or more, and lands at the
//     first sample of 30 s below 35 kt. The speed is the AHRS indicated airspeed; while no AHRS
//     high-rate message has come for 5 s (or none ever has) it is the GPS ground speed.
// A flight runs from its first engine start or takeoff to its last engine stop or landing and
// holds one or more takeoffs; an engine run without a takeoff is a ground run.
//
// Values: pressure altitude, airspeed, vertical speed, bank and pitch from the AHRS high-rate
// messages; engine values, bus voltage (the EIS primary voltage), fuel on board and fuel flow
// from the EIS; position and ground speed from GPS 1 (GPS 2 while GPS 1 has given no valid
// fix for 5 s); distance flown from GPS 1 alone. The fuel flow is integrated between EIS
// samples up to the gap limit apart. UTC from the NMEA fixes of either port (utc_clock.h).
// The flight phases of each flight and ground run and their engine figures (flight_phases.h).
// Memory does not grow with the LOG: nothing is allocated per record, and at most
// max_listed_windows flights and ground runs and max_listed_exceedances exceedances are listed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "analysis/aircraft_profile.h"
#include "analysis/limits.h"
#include "analysis/log_summary.h"
#include "analysis/logbook_row.h"
#include "decode/decode_context.h"

struct detection_options {
  double engine_rpm = 500.0;    // the engine runs at this speed or more
  double engine_stop_s = 30.0;  // ... and stops after this long below it
  double takeoff_kt = 50.0;     // airborne after takeoff_s at this speed or more
  double takeoff_s = 10.0;
  double landing_kt = 35.0;  // landed after landing_s below this speed
  double landing_s = 30.0;
};

struct analysis_options {
  library_options decode;  // the GPS ports' sentence formats
  analog_input_const constants;
  detection_options detection;
  double gap_s = 5.0;                        // longer gaps in a periodic source are told
  std::optional<std::int64_t> utc_start_ms;  // UTC of the first record, for a LOG without NMEA time
  std::vector<aircraft_limit> limits;
  logbook_options logbook;  // the cross-country distance
  aircraft_profile profile;  // the fitted cylinders, the aux inputs and the phases' thresholds
  // Only the windows: their events, landings and runway contacts, without the figures, phases,
  // engine warnings and limits of the engine and air data (for a pass that draws on no more).
  bool windows_only = false;
  // The flight phases and engine warnings worked out on a thread of their own, beside the pass
  // (where a thread can be started); the summary is the same.
  bool phases_on_thread = false;
  // The GPS ports' sentences put together on the thread that reads the input ahead, when it is
  // a regular file (decode/gps_ahead.h); the summary is the same.
  bool gps_on_thread = false;
  // The input read on the pass's own thread, never ahead: for a pass with no processor to spare,
  // where a reading thread would only take turns with the other passes (ignored with the GPS
  // on the reading thread).
  bool read_on_this_thread = false;
};

constexpr std::size_t max_listed_windows = 1000;

// An EFIS restart in flight: the flight goes on across a break in the LOG shorter than this.
constexpr std::int64_t restart_in_flight_ms = 300'000;
// How long into a segment the flight time line waits for what decides whether the flight went on
// across the break before it (the first speed, and after a restart the first fix).
constexpr std::uint32_t restart_decision_ms = 60'000;
constexpr std::size_t max_listed_exceedances = 1000;

// The library's default decode options, except that GPS 2 is read as NMEA (the port that
// usually carries the RMC sentences with the date and time).
analysis_options default_analysis_options();

// Reads the LOG from the input's current position to its end on ctx and returns what it holds.
log_summary analyse_log(decode_context& ctx, const analysis_options& options, FILE* input);
