// A flight as a pilot's logbook holds it: the four times out, off, on and in, the time at night,
// and the landings.
//
//   out   the first movement under power: the first ground speed above 3 kt after engine start
//   off   the first lift-off
//   on    the last touchdown
//   in    coming to rest after the last landing: the first ground speed of 3 kt or less of the
//         stop that lasts to the engine stop (or to the end of the flight)
//   total time from out to in
//
// Lift-off and touchdown are found on the same speed the flight detection uses (the AHRS
// indicated airspeed, else the GPS ground speed), with tighter thresholds than that detection,
// so that a touch-and-go shows: airborne at the first sample of 5 s at 55 kt or more, on the
// ground at the first sample of 3 s below 55 kt (both follow --takeoff-speed: 110 % of it).
//
// A landing is a full stop when the ground speed falls below 5 kt, or the engine stops, before
// the next lift-off (or the flight ends first); otherwise a touch-and-go. Where the airports
// are looked up, a touch-and-go not at an airport, or not as low as it, was slow flight and is
// taken out again (flight_places.h); the flight's runway contacts follow the same touchdowns. A landing is at night
// from one hour after sunset to one hour before sunrise at the touchdown (sun.h). Night time is
// the time between lift-off and touchdown during which the sun's centre stood below -6° (the
// end of evening civil twilight to the start of morning civil twilight) at the aircraft.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/log_instant.h"
#include "analysis/tz_rule.h"

enum class landing_light : std::uint8_t {
  unknown,  // the touchdown has no UTC or no position
  day,
  night,
};

struct logbook_landing {
  log_event touchdown;
  double track_true_deg = std::nan("");  // the GPS track at touchdown; NaN when unknown
  bool full_stop = true;
  landing_light light = landing_light::unknown;
  std::optional<double> from_departure_nm;  // straight-line distance from the first lift-off
};

// Landings of one kind, by the light they were made in.
struct landing_count {
  std::uint32_t day = 0;
  std::uint32_t night = 0;
  std::uint32_t unknown = 0;  // no UTC or no position at the touchdown
  std::uint32_t total() const { return day + night + unknown; }
};

constexpr std::size_t max_listed_landings = 100;  // per flight; those past it are counted

// Where a flight's local times come from.
enum class zone_source : std::uint8_t {
  none,     // no local time: neither airport known and no --time-zone
  option,   // --time-zone, for both ends
  airport,  // the departure and arrival airports' zones
};

// A flight's local times: out and off in the departure's zone, on and in in the arrival's. They
// are given after the analysis (logbook_local.h), once the zones are known.
struct logbook_local {
  zone_source source = zone_source::none;
  std::string departure_zone;  // IANA names ("America/Los_Angeles"); empty without local time
  std::string arrival_zone;
  // What the zone's clocks read at each time that has UTC.
  std::optional<local_offset> out, off, on, in;
};

struct logbook_row {
  std::optional<log_event> out;
  std::optional<log_event> off;
  std::optional<log_event> on;
  std::optional<log_event> in;
  std::optional<double> total_time_s;  // out to in (set once the LOG's UTC is resolved)
  // Airborne time at night; none when the airborne time had no UTC or no position.
  std::optional<double> night_time_s;
  landing_count full_stop;
  landing_count touch_and_go;
  std::vector<logbook_landing> landings;  // in order, at most max_listed_landings
  std::uint32_t landings_not_listed = 0;
  // The farthest straight-line distance of a landing from the first lift-off; none without
  // positions. The flight is cross-country when it reaches the threshold (50 nm by default).
  std::optional<double> farthest_landing_nm;
  bool cross_country = false;
  double cross_country_nm = 50.0;  // the threshold it was judged by
  logbook_local local;

  std::uint32_t landing_total() const { return full_stop.total() + touch_and_go.total(); }
};

struct logbook_options {
  double cross_country_nm = 50.0;
};
