// A moment of a LOG: its LOG time (the 1 ms timestamps of the records) in its segment (the
// stretch the LOG was written in without a break) and, once the segment's clock is known, the
// UTC it maps to; an event adds where the aircraft was.
#pragma once

#include <cstdint>
#include <limits>

struct log_instant {
  std::uint32_t log_ms = 0;
  bool has_utc = false;
  std::int64_t utc_ms = 0;    // milliseconds since 1970-01-01 UTC
  std::uint32_t segment = 0;  // 0 for the LOG's first segment
};

// A place in the LOG's order: its segment, then its LOG time there.
constexpr std::uint64_t log_order(std::uint32_t segment, std::uint32_t log_ms) {
  return std::uint64_t{segment} << 32 | log_ms;
}
constexpr std::uint64_t log_order(const log_instant& at) { return log_order(at.segment, at.log_ms); }

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

// Seconds from a to b: by LOG time within a segment, else by UTC where both have it; 0 when b
// is not later or neither tells.
constexpr double seconds_from(const log_instant& a, const log_instant& b) {
  if (a.segment == b.segment) return b.log_ms > a.log_ms ? (b.log_ms - a.log_ms) / 1000.0 : 0.0;
  if (a.has_utc && b.has_utc && b.utc_ms > a.utc_ms) return static_cast<double>(b.utc_ms - a.utc_ms) / 1000.0;
  return 0.0;
}

// Seconds of LOG time, from a timestamp.
constexpr double log_seconds(std::uint32_t log_ms) { return log_ms / 1000.0; }
