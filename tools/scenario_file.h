// A scenario: what the simulated aircraft does, step by step, how its EFIS, engine monitor and
// GPS receivers are set up, and what goes wrong with the engine and when. It is read from a
// small text file, one command a line, `#` starting a comment:
//
//   start 2026-05-09T03:30:00Z
//   depart 47.4866 -122.2147 32 337      # latitude, longitude, elevation (ft), runway heading
//   fly-to 47.70 -122.25 3500 115        # latitude, longitude, altitude (ft), airspeed (kt)
//   land 47.9063 -122.2815 606 340
//   stop-engine
//   cylinder 3 cht +90 from 4:00 to 9:00
//
// The steps run one after the other; the engine events and the settings hold for the whole
// scenario wherever they stand in the file. Times of engine events count from `start`.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "flight_geometry.h"

enum class scenario_command {
  depart,        // engine start when it is off, taxi out, run-up, takeoff roll and lift-off
  fly_to,        // climb, cruise or descend to a point
  land,          // approach and full-stop landing, landing roll, turn off and stop
  touch_and_go,  // approach, touchdown, a short roll, power and lift-off again
  taxi,          // taxi straight on for some seconds, then stop
  stop_engine,   // come to rest, idle, cut the engine
  start_engine,
  wait,           // stand (or, in the air, hold heading, altitude and speed)
  power_off,      // as wait, with the EFIS off; its LOG timer carries on counting
  restart_clock,  // the EFIS is switched off (for `seconds`, maybe 0) and on: its LOG timer restarts
};

struct scenario_step {
  scenario_command command = scenario_command::wait;
  int line = 0;               // in the scenario file
  geo_position at;            // depart, fly-to, land, touch-and-go: the point
  double elevation_ft = 0.0;  // depart, land, touch-and-go: of the runway at the point
  double heading_deg = 0.0;   // depart, land, touch-and-go: runway heading, true
  bool heading_given = false;
  double altitude_ft = 0.0;  // fly-to
  double speed_kt = 0.0;     // fly-to: indicated airspeed
  bool idle = false;         // fly-to: with the power at idle from the start of the leg (a fast-cooling descent)
  double seconds = 0.0;      // taxi, wait, power-off, restart-clock
};

enum class engine_event_kind {
  cht_offset,      // a cylinder's CHT runs `value` degrees F above (below) its own
  egt_offset,      // the same for its EGT
  cht_probe_fail,  // the probe reads `value`, or jumps when `jumping`
  egt_probe_fail,
  mixture_rich,  // the whole engine: see the engine model for the offsets
  mixture_lean,
  oil_pressure,  // the oil pressure drops (or rises) to `value` psi
  fast_cooling,  // from a `fly-to ... idle` step: the power cut and the dive of that leg
};

struct engine_event {
  engine_event_kind kind = engine_event_kind::cht_offset;
  int line = 0;
  int cylinder = 0;                                        // 1 to 6; 0 for the whole engine
  double start_s = 0.0;                                    // seconds from the scenario start
  double end_s = std::numeric_limits<double>::infinity();  // infinity: to the end of the scenario
  double value = 0.0;
  bool jumping = false;
};

enum class gps_sentences { none, aviation, aviation_3, nmea };

// What an aux input of the engine monitor carries; its raw value is the quantity times 10.
enum class aux_input { none, manifold_pressure, fuel_pressure };

struct scenario_settings {
  std::int64_t start_utc_ms = 0;  // UTC of the scenario start (the EFIS powers up then)
  std::uint64_t seed = 1;
  int cylinders = 4;
  std::array<aux_input, 6> aux = {};
  std::array<gps_sentences, 2> gps = {gps_sentences::aviation, gps_sentences::nmea};  // GPS 1, GPS 2
  double gps_delay_min_s = 0.1;  // each sentence reaches the EFIS this long after its fix
  double gps_delay_max_s = 0.3;
  bool gps_fraction = false;    // RMC times with hundredths of seconds
  double gps_epoch_s = 0.0;     // where in the UTC second the fixes fall
  double gps_acquire_s = 10.0;  // from each power-up to the first fix
  double variation_deg = 0.0;   // magnetic, east positive
  double wind_from_deg = 0.0;
  double wind_kt = 0.0;
  double temperature_c = 15.0;  // at sea level; the standard lapse above
  double cht_spread_f = 8.0;    // each cylinder's own CHT lies within this of the engine's
  double egt_spread_f = 25.0;
  double fuel_gal = 40.0;          // on board at the start
  std::uint32_t first_log_ms = 0;  // LOG time of the first power-up; 0: chosen from the seed
};

struct scenario {
  scenario_settings settings;
  std::vector<scenario_step> steps;
  std::vector<engine_event> events;
};

struct scenario_error {
  int line = 0;  // 0: the file as a whole
  std::string message;
};

// Reads a scenario; false with the first error (its line and what is wrong) on a bad line, a
// step the aircraft cannot take where it is, or a file without `start` or `depart`.
bool read_scenario(std::string_view text, scenario& out, scenario_error& error);

// "line 7: ..." or the message alone for line 0.
std::string error_text(const scenario_error& error);

// The names used in the scenario file and in the truth: "fly-to", "cht_offset", "nmea", ...
const char* command_name(scenario_command c);
const char* event_kind_name(engine_event_kind k);
const char* gps_sentences_name(gps_sentences g);
const char* aux_input_name(aux_input a);
