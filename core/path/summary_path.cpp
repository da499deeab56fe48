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

namespace {

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
