// A moment of a LOG: its LOG time (the 1 ms timestamps of the records) and, once the LOG's
// clock is known, the UTC it maps to; an event adds where the aircraft was.
#pragma once

#include <cstdint>
#include <limits>

struct log_instant {
  std::uint32_t log_ms = 0;
  bool has_utc = false;
  std::int64_t utc_ms = 0;  // milliseconds since 1970-01-01 UTC
};

struct geo_point {
  double latitude_deg;   // south negative
  double longitude_deg;  // west negative
};

struct log_event {
  log_instant when;
  bool has_position = false;  // a valid fix at most a few seconds old
  geo_point position{};
  // How the aircraft went there, for the airport rules: the GPS true track (while moving) and
  // the pressure altitude, each at most a few seconds old; NaN when not known.
  double track_true_deg = std::numeric_limits<double>::quiet_NaN();
  double altitude_ft = std::numeric_limits<double>::quiet_NaN();
};

// Seconds of LOG time, from a timestamp.
constexpr double log_seconds(std::uint32_t log_ms) { return log_ms / 1000.0; }
