// The aircraft profile: a small text file that says what the LOG cannot, one setting a line.
//
//   # A four-cylinder carbureted trainer               ('#' starts a comment)
//   tail = N172AB
//   cylinders = 4
//   horsepower = 180
//   induction = carbureted
//   fuel_capacity = 53 gal
//   aux1 = manifold_pressure_inhg / 10
//   liftoff_speed = 55 kt
//   cht_max = 500 F
//
// A line is `name = value`: the aircraft (tail, cylinders 1 to 6, horsepower, induction
// carbureted or injected, fuel_capacity in gal or L), what an aux input of the engine monitor
// carries (`auxN = QUANTITY [/ number | * number]`, the quantity being the input's value divided
// or multiplied by the number; QUANTITY is manifold_pressure_inhg, fuel_pressure_psi or none),
// the thresholds of the flight phases (phase_settings in aircraft_profile.cpp), or a limit as
// the limits file writes it (limits.h). Each setting may be given once. A unit after a number
// may be written for clarity and must then be the setting's. Numbers are written without an
// exponent and lie in each setting's range. Lines may end in CR LF and the text may begin with
// a UTF-8 byte-order mark. Any other line is refused with its line number.
//
// Without a profile, every setting keeps its default (the shipped default.profile says them):
// the cylinders the LOG's settings give, no aux input mapped, no limit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/limits.h"
#include "decode/engine_units.h"

enum class induction_kind : std::uint8_t { not_said, carbureted, injected };

// What an aux input carries.
enum class aux_quantity : std::uint8_t { none, manifold_pressure_inhg, fuel_pressure_psi };

struct aux_channel {
  aux_quantity quantity = aux_quantity::none;
  double scale = 1.0;  // the quantity is the input's value times scale
};

constexpr std::size_t aux_channel_count = 6;

// The thresholds the flight phases are found with (flight_phases.h tells the rules). Speeds in
// knots, engine speeds in rpm, vertical speed in feet per minute, times in seconds.
struct phase_thresholds {
  double liftoff_kt = 55.0;     // airborne at this speed or more ...
  double liftoff_s = 5.0;       // ... once it has lasted this long
  double touchdown_s = 3.0;     // on the ground again after this long below liftoff_kt
  double taxi_kt = 15.0;        // the landing roll ends below this ground speed
  double moving_kt = 2.0;       // standing still below this ground speed
  double runup_rpm = 1500.0;    // standing still at this engine speed or more: the run-up ...
  double runup_s = 5.0;         // ... once it has lasted this long
  double takeoff_rpm = 1600.0;  // the takeoff roll: this engine speed or more, rolling, up to lift-off
  double climb_fpm = 300.0;     // climbing at this vertical speed or more, descending at its negative or less
  double climb_s = 10.0;        // a climb, a level stretch (cruise) and a descent begin once they have
  double cruise_s = 15.0;       // lasted this long
  double descent_s = 10.0;
  double approach_ft = 1000.0;  // the approach: below this height above the landing point

  bool operator==(const phase_thresholds&) const = default;
};

struct aircraft_profile {
  std::string tail;                                // empty: not said
  int cylinders = 0;                               // 0: the LOG's setting, else 6
  std::optional<double> horsepower;                // rated
  induction_kind induction = induction_kind::not_said;
  std::optional<double> fuel_capacity;             // usable fuel
  std::optional<fluid_unit> fuel_capacity_unit;    // none: the LOG's fluid unit
  std::array<aux_channel, aux_channel_count> aux;  // aux1..aux6
  phase_thresholds phases;
  std::vector<aircraft_limit> limits;
};

struct profile_parse_result {
  int error_line = 0;  // 0 when the text was read whole
  std::string error;
  bool ok() const { return error_line == 0; }
};

// Reads the settings of text into profile, over what it holds (so that a command line's
// settings may follow a file's). A setting given twice in the same text is refused; on an error
// the profile is left as it was.
profile_parse_result read_aircraft_profile(std::string_view text, aircraft_profile& profile);

// The cylinders whose values are data: the profile's, else the LOG's setting (1 to 6), else 6.
std::size_t fitted_cylinders(const aircraft_profile& profile, std::int32_t log_setting);

// The aux input (0-5) carrying the quantity, if one does.
std::optional<std::size_t> aux_input_of(const aircraft_profile& profile, aux_quantity q);

// The limits a run checks: the profile's, but those a limits file gives for the same parameter
// and condition, then the file's in its order.
std::vector<aircraft_limit> limits_to_check(const aircraft_profile& profile, std::vector<aircraft_limit> file);

std::string_view aux_quantity_name(aux_quantity q);  // "manifold_pressure_inhg"
std::string_view induction_name(induction_kind i);   // "carbureted", "injected", ""

// The phase settings as a profile names them, with their units and values, in the order the
// manual lists them: for the JSON summary and the manual.
struct phase_setting_view {
  std::string_view name;  // "liftoff_speed"
  std::string_view unit;  // "kt"
  double value;
};
std::vector<phase_setting_view> phase_settings_of(const phase_thresholds& t);
