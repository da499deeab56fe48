// The summary path: the flight path sampled from the latest-value cache, which the KML and
// track exports write.
//
// Slot 0 of the array stays zero (the "previous point" of the first candidate); slots 1 to
// count - 1 hold the stored points in LOG order; slot count holds the latest candidate that
// was not stored, while count < capacity.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "decode/carried_sources.h"
#include "decode/decode_context.h"
#include "decode/record_effect.h"
#include "decoders/gps/position_rules.h"

// One flight-path sample.
struct path_point {
  float latitude;             // decimal degrees, south negative (GPS 1)
  float longitude;            // decimal degrees, west negative (GPS 1)
  std::int16_t gps_altitude;  // the aviation sentence's altitude item; 0 with NMEA
  std::int16_t track;         // whole degrees
  std::int16_t ground_speed;  // whole knots
  float roll_angle;           // degrees (AHRS high rate)
  float pitch_angle;          // degrees
  float yaw_angle;            // degrees, heading -180 to +180
  std::int16_t pressure_alt;  // feet
  std::int16_t asi;           // tenths of a foot per second, as logged
  std::uint32_t timestamp;    // timestamp of the cached AHRS high-rate record
  std::uint16_t tachometer;   // rpm (EIS)
};

// Slots of the array every export passes.
constexpr std::int32_t summary_path_capacity = 8192;

// The calling thread's own array of summary_path_capacity points, for the exports of the
// classic entry points (kept between calls like their context); null when memory is short.
path_point* own_summary_path();

// A candidate equals the last stored point when the position is exactly the same, the
// pressure altitudes differ by at most this many feet and each attitude angle by at most
// this many degrees.
constexpr int path_pressure_alt_threshold = 25;
constexpr float path_attitude_threshold = 5.0f;

// What a path pass gives beside its points: count, one more than the number of stored points
// (at most the capacity), and whether the points filled the array.
struct summary_path_result {
  std::int32_t count;
  bool point_limit_reached;
};

// Reads the whole LOG from the input's current position and fills points (capacity slots,
// cleared first). output becomes the context's output stream; nothing is written to it.
summary_path_result LOG_to_summary_path(decode_context& ctx, const analog_input_const* constants,
                                        const library_options* options, FILE* input, FILE* output, path_point* points,
                                        std::int32_t capacity);

// Fills point from the latest records: position, GPS altitude, track and ground speed from the
// last GPS 1 fix, attitude, pressure altitude, airspeed and timestamp from the AHRS high-rate
// record, engine speed from the EIS record (the path's carried sources). Inline, as the steps
// below are: the path pass runs them for every record.
inline void process_summary_to_summary_path(ahrs_hr_slot& ahrs_hr, eis_slot& eis, const gps_composite_state& gps_1,
                                            path_point* point) {
  // A port without a sentence format leaves the slot's position as it was.
  if (is_gps_format(gps_1.format)) {
    const gps_fix& gps = gps_1.fix;
    point->latitude = gps.latitude_deg;
    point->longitude = gps.longitude_deg;
    point->gps_altitude = gps.altitude_whole;
    point->track = gps.track_whole;
    point->ground_speed = gps.ground_speed_whole;
  }

  // Only the fields the point takes are read from the record, not its whole message.
  const ahrs_hr_attitude ahrs = decode_ahrs_hr_attitude(ahrs_hr.image());
  point->roll_angle = degrees_as_float(ahrs.roll);
  point->pitch_angle = degrees_as_float(ahrs.pitch);
  point->yaw_angle = degrees_as_float(ahrs.yaw);
  // Kept to the field's 16 bits (modular, as its width says).
  point->pressure_alt = static_cast<std::int16_t>(static_cast<std::uint16_t>(ahrs.pressure_alt_ft));
  point->asi = ahrs.asi_raw;
  point->timestamp = ahrs_hr.timestamp();

  point->tachometer = eis_rpm_of(eis.image());
}

// True when candidate counts as no change from the last stored point.
inline bool path_point_unchanged(const path_point& candidate, const path_point& last) {
  const auto within = [](float a, float b) { return std::fabs(a - b) <= path_attitude_threshold; };
  return candidate.latitude == last.latitude && candidate.longitude == last.longitude &&
         std::abs(int{candidate.pressure_alt} - int{last.pressure_alt}) <= path_pressure_alt_threshold &&
         within(candidate.pitch_angle, last.pitch_angle) && within(candidate.roll_angle, last.roll_angle) &&
         within(candidate.yaw_angle, last.yaw_angle);
}

// The path's steps around each record of the read loop: a candidate from the latest records
// before the record, then the record into the path's carried sources. They take nothing from
// the cache but GPS 1, so they run beside another pass's steps in one loop.
struct path_steps {
  path_steps(decode_context& ctx, path_point* points_, std::int32_t capacity_)
      : gps_1(ctx.summary.gps_1), points(points_), capacity(capacity_) {
    if (capacity > 0) std::memset(points, 0, sizeof(path_point) * static_cast<std::size_t>(capacity));
  }

  const gps_composite_state& gps_1;
  path_point* points;
  std::int32_t capacity;
  std::int32_t count = 1;
  carried_sources sources;
  // A new candidate is built only after a record changed the path's sources or GPS 1's fix.
  bool candidate_due = true;
  std::int32_t candidate_slot = 0;

  void before_dispatch(const efis_record& record) {
    // Once the array is full no candidate is built.
    if (count < capacity) {
      if (candidate_due) {
        path_point& candidate = points[count];
        process_summary_to_summary_path(sources.ahrs_hr(), sources.eis(), gps_1, &candidate);
        candidate_slot = count;
        candidate_due = false;
        if (!path_point_unchanged(candidate, points[count - 1]) && gps_1.sentences_accepted != 0 &&
            path_keeps_position(candidate.latitude, candidate.longitude)) {
          ++count;
        }
      } else if (candidate_slot != count) {
        // Nothing the candidate is made of has changed: it equals the point just stored, which
        // it cannot differ from, so it is only written into the next slot.
        points[count] = points[candidate_slot];
        candidate_slot = count;
      }
    }
    sources.copy(record);
  }
  void after_dispatch(const efis_record& record, const record_effect& effect) {
    if (sources.store(record) || effect.new_fix_port == 0) candidate_due = true;
  }
  // A full array takes no more points.
  bool only_health_left() const { return count >= capacity; }
};

// After the loop: straightens the path and tells its count and whether the array filled.
summary_path_result end_summary_path(const path_steps& steps);

// Spreads each run of stored points with one position (slots 1 to count - 1) along the
// straight line, in time, to the next point with another position.
void straighten_summary_path(path_point* points, std::int32_t count);
