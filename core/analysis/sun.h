// The sun seen from a place on the earth: its elevation at an instant, the times it crosses the
// altitudes that bound day and night, and how much of a flown track lay in the night.
//
// Two altitudes of the sun's centre, geometric (without refraction), mark the day:
//   sunrise, sunset        -0.833°  the upper limb on the horizon through standard refraction
//                                   (34' of refraction plus 16' of semidiameter)
//   civil twilight         -6°      morning civil twilight starts and evening civil twilight
//                                   ends where the centre crosses it
// Night (for flight time) is the sun's centre below -6°: from the end of evening civil twilight
// to the start of morning civil twilight. A night landing lies between one hour after sunset and
// one hour before sunrise.
//
// Instants are milliseconds since 1970-01-01 UTC; positions are degrees, south and west negative,
// at sea level.
#pragma once

#include <cstdint>
#include <optional>

#include "analysis/log_instant.h"

constexpr double sunrise_altitude_deg = -0.833;
constexpr double civil_twilight_altitude_deg = -6.0;

enum class sun_refraction : std::uint8_t {
  none,      // geometric: the direction of the sun's centre
  standard,  // as seen through a standard atmosphere near sea level
};

// The elevation of the sun's centre above the horizon in degrees.
double solar_elevation_deg(std::int64_t utc_ms, const geo_point& where, sun_refraction refraction);

// The sun's crossings of one altitude during one solar day. A rise or set that does not happen
// that day is absent; with neither, the sun stayed on one side of the altitude all day.
struct sun_crossings {
  std::optional<std::int64_t> rise_ms;  // the centre climbs through the altitude
  std::optional<std::int64_t> set_ms;   // the centre sinks through it
  bool above_all_day = false;           // never below it: polar day
  bool below_all_day = false;           // never above it: polar night
};

// One solar day at a place: from the sun's lower culmination (solar midnight) to the next one,
// so that a day's sunrise comes before its sunset wherever the place is.
struct sun_day {
  std::int64_t start_ms = 0;  // solar midnight
  std::int64_t noon_ms = 0;   // the sun's upper culmination (solar noon)
  std::int64_t end_ms = 0;    // the next solar midnight
  sun_crossings sun;          // sunrise and sunset
  sun_crossings civil;        // start of morning and end of evening civil twilight
};

// The solar day at `where` that holds utc_ms (start_ms <= utc_ms < end_ms).
sun_day solar_day_at(std::int64_t utc_ms, const geo_point& where);

// Whether utc_ms lies between one hour after sunset and one hour before sunrise at `where`:
// the sun stays below the sunrise altitude from an hour before to an hour after. A polar night
// counts; a polar day does not.
bool is_night_landing_time(std::int64_t utc_ms, const geo_point& where);

// Splits the time along a track into night (the sun's centre below the civil twilight altitude
// at the aircraft) and day. The caller gives the track's points in time order; between two
// points the aircraft is taken to move straight (in latitude and longitude) at an even pace.
// Each point costs one solar position; a crossing of the altitude is found within 0.1 s.
class night_time_splitter {
 public:
  // The track's next point. A point earlier than the one before it starts the track afresh
  // (the time between them is not counted).
  void add(std::int64_t utc_ms, const geo_point& where);
  // The track pauses (the aircraft landed): the time from the last point to the next is not
  // counted.
  void pause() { has_last_ = false; }

  std::int64_t night_ms() const { return night_ms_; }
  std::int64_t day_ms() const { return day_ms_; }

 private:
  void add_stretch(std::int64_t from_ms, const geo_point& from, double from_elevation, std::int64_t to_ms,
                   const geo_point& to, double to_elevation);

  bool has_last_ = false;
  std::int64_t last_ms_ = 0;
  geo_point last_{};
  double last_elevation_deg_ = 0.0;
  std::int64_t night_ms_ = 0;
  std::int64_t day_ms_ = 0;
};
