// The summary path: the flight path sampled from the latest-value cache, which the KML and
// track exports write.
//
// Slot 0 of the array stays zero (the "previous point" of the first candidate); slots 1 to
// count - 1 hold the stored points in LOG order; slot count holds the latest candidate that
// was not stored, while count < capacity.
#pragma once

#include <cstdint>
#include <cstdio>

#include "decode/decode_context.h"

// One flight-path sample.
struct path_point {
  float latitude;              // decimal degrees, south negative (GPS 1)
  float longitude;             // decimal degrees, west negative (GPS 1)
  std::int16_t gps_altitude;   // the aviation sentence's altitude item; 0 with NMEA
  std::int16_t track;          // whole degrees
  std::int16_t ground_speed;   // whole knots
  float roll_angle;            // degrees (AHRS high rate)
  float pitch_angle;           // degrees
  float yaw_angle;             // degrees, heading -180 to +180
  std::int16_t pressure_alt;   // feet
  std::int16_t asi;            // tenths of a foot per second, as logged
  std::uint32_t timestamp;     // timestamp of the cached AHRS high-rate record
  std::uint16_t tachometer;    // rpm (EIS)
};

// Slots of the array every export passes.
constexpr std::int32_t summary_path_capacity = 8192;

// A candidate equals the last stored point when the position is exactly the same, the
// pressure altitudes differ by at most this many feet and each attitude angle by at most
// this many degrees.
constexpr int path_pressure_alt_threshold = 25;
constexpr float path_attitude_threshold = 5.0f;

// Reads the whole LOG from the input's current position and fills points (capacity slots,
// cleared first). output becomes the context's output stream; nothing is written to it.
// Returns count: one more than the number of stored points, at most capacity.
std::int32_t LOG_to_summary_path(decode_context& ctx, const analog_input_const* constants,
                                 const library_options* options, FILE* input, FILE* output, FILE* debug,
                                 path_point* points, std::int32_t capacity);

// Fills point from the cache: position, GPS altitude, track and ground speed from the last
// GPS 1 fix, attitude, pressure altitude, airspeed and timestamp from the AHRS high-rate
// record, engine speed from the EIS record.
void process_summary_to_summary_path(summary_record& summary, path_point* point);

// True when candidate counts as no change from the last stored point.
bool path_point_unchanged(const path_point& candidate, const path_point& last);

// Spreads each run of stored points with one position (slots 1 to count - 1) along the
// straight line, in time, to the next point with another position.
void straighten_summary_path(path_point* points, std::int32_t count);
