// Test support for the flight-path tests: GPS fixes and LOG runs of the path pass.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "path/summary_path.h"
#include "support/capture.h"

// An aviation-format (format 1) GPS 1 sentence, framed by STX and ETX.
inline std::string aviation_fix(const std::string& latitude, const std::string& longitude,
                                const std::string& track = "123",
                                const std::string& ground_speed = "100",
                                const std::string& altitude = "01234") {
  return "\x02z" + altitude + "\r\nA" + latitude + "\r\nB" + longitude + "\r\nC" + track +
         "\r\nD" + ground_speed + "\r\n\x03";
}

// An RMC sentence with the given position fields (format 2).
inline std::string nmea_fix(const std::string& latitude, const std::string& ns,
                            const std::string& longitude, const std::string& ew,
                            const std::string& speed = "022.4", const std::string& track = "084.4") {
  return "$GPRMC,123519,A," + latitude + "," + ns + "," + longitude + "," + ew + "," + speed + "," +
         track + ",230394,003.1,W*6A\r\n";
}

// The result of one path pass over a LOG.
struct path_run {
  std::int32_t count = 0;
  std::vector<path_point> points;
  std::string output;  // what the pass wrote to its output stream (nothing, it must)

  const path_point& operator[](std::size_t i) const { return points.at(i); }
};

inline path_run run_path_pass(const std::string& log, std::int32_t capacity = summary_path_capacity) {
  const library_options options = default_options();
  path_run run;
  run.points.assign(static_cast<std::size_t>(capacity), path_point{});
  // Garbage in every slot proves the pass clears the array first.
  for (path_point& p : run.points) p.latitude = p.longitude = 99.0f;
  const analog_input_const c = default_constants();
  FILE* in = stream_with(log);
  FILE* out = std::tmpfile();
  const context_ptr ctx = make_context();
  run.count = LOG_to_summary_path(*ctx, &c, &options, in, out, run.points.data(), capacity).count;
  std::fclose(in);
  ctx->out.flush();
  run.output = drain_stream(out);
  return run;
}
