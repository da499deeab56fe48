// The flight-path pass: after every record the latest-value cache is sampled into a
// candidate point, which is kept when position, pressure altitude or attitude changed.
#include "path/summary_path.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "decode/record_loop.h"
#include "decoders/gps/position_rules.h"

namespace {

// A number kept to the 16 bits of a path point field (modular, as the field's width says).
std::int16_t low_16_bits(int value) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(value)); }

void interpolate_run(path_point* points, std::int32_t first, std::int32_t last) {
  const path_point& a = points[first];
  const path_point& b = points[last + 1];
  const std::uint32_t dt = b.timestamp - a.timestamp;
  // Same time at both ends: there is no line to spread the run along.
  if (dt == 0) return;
  const double lat_step = (static_cast<double>(b.latitude) - static_cast<double>(a.latitude)) / dt;
  const double lon_step = (static_cast<double>(b.longitude) - static_cast<double>(a.longitude)) / dt;
  const std::uint32_t a_timestamp = a.timestamp;
  for (std::int32_t k = first; k <= last; ++k) {
    path_point& p = points[k];
    const std::uint32_t since_a = p.timestamp - a_timestamp;
    p.latitude = static_cast<float>(lat_step * since_a + p.latitude);
    p.longitude = static_cast<float>(lon_step * since_a + p.longitude);
  }
}

}  // namespace

namespace {

// The candidate of the latest records (see process_summary_to_summary_path), inline in the pass.
inline void fill_candidate(ahrs_hr_slot& ahrs_hr, eis_slot& eis, const gps_composite_state& gps_1, path_point* point) {
  // A port without a sentence format leaves the slot's position as it was.
  if (is_gps_format(gps_1.format)) {
    const gps_fix& gps = gps_1.fix;
    point->latitude = gps.latitude_deg;
    point->longitude = gps.longitude_deg;
    point->gps_altitude = gps.altitude_whole;
    point->track = gps.track_whole;
    point->ground_speed = gps.ground_speed_whole;
  }

  const ahrs_hr_values& ahrs = ahrs_hr.values().high_rate;
  point->roll_angle = static_cast<float>(ahrs.roll.value());
  point->pitch_angle = static_cast<float>(ahrs.pitch.value());
  point->yaw_angle = static_cast<float>(ahrs.yaw.value());
  point->pressure_alt = low_16_bits(ahrs.pressure_alt_ft);
  point->asi = ahrs.asi_raw;
  point->timestamp = ahrs_hr.timestamp();

  point->tachometer = eis.values().rpm;
}

}  // namespace

void process_summary_to_summary_path(ahrs_hr_slot& ahrs_hr, eis_slot& eis, const gps_composite_state& gps_1,
                                     path_point* point) {
  fill_candidate(ahrs_hr, eis, gps_1, point);
}

void path_steps::before_dispatch(const efis_record& record) {
  // Once the array is full no candidate is built; the rest is still read and dispatched.
  if (count < capacity) {
    if (candidate_due) {
      path_point& candidate = points[count];
      fill_candidate(sources.ahrs_hr(), sources.eis(), gps_1, &candidate);
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

bool path_point_unchanged(const path_point& candidate, const path_point& last) {
  const auto within = [](float a, float b) { return std::fabs(a - b) <= path_attitude_threshold; };
  return candidate.latitude == last.latitude && candidate.longitude == last.longitude &&
         std::abs(int{candidate.pressure_alt} - int{last.pressure_alt}) <= path_pressure_alt_threshold &&
         within(candidate.pitch_angle, last.pitch_angle) && within(candidate.roll_angle, last.roll_angle) &&
         within(candidate.yaw_angle, last.yaw_angle);
}

void straighten_summary_path(path_point* points, std::int32_t count) {
  bool run_open = false;
  std::int32_t first = 0;
  std::int32_t last = 0;
  for (std::int32_t i = 1; i < count - 1; ++i) {
    const path_point& here = points[i];
    const path_point& next = points[i + 1];
    if (here.latitude == next.latitude && here.longitude == next.longitude) {
      if (!run_open) {
        run_open = true;
        first = i;
      }
      last = i + 1;
    } else if (run_open) {
      interpolate_run(points, first, last);
      run_open = false;
    }
  }
  // A run that reaches the last stored point has nothing to aim at and stays as it is.
}

path_point* own_summary_path() {
  static thread_local const std::unique_ptr<path_point[]> points(new (std::nothrow) path_point[summary_path_capacity]);
  return points.get();
}

summary_path_result end_summary_path(const path_steps& steps) {
  straighten_summary_path(steps.points, steps.count);
  return {steps.count, steps.capacity > 0 && steps.count == steps.capacity};
}

summary_path_result LOG_to_summary_path(decode_context& ctx, const analog_input_const* constants,
                                        const library_options* options, FILE* input, FILE* output, path_point* points,
                                        std::int32_t capacity) {
  begin_pass(ctx, constants, options, input, output);
  path_steps steps(ctx, points, capacity);
  run_record_loop(ctx, steps);
  return end_summary_path(steps);
}
