// The exports flight-analysis services, logbooks and globe viewers import, written from the
// value layer with the one buffered writer:
//   export_csv           one row per period of every decoded value (RFC 4180)
//   export_avionics_csv  the avionics datalog layout that engine-trend services and GPSBabel read
//   export_gpx           GPX 1.1: one track per flight, one point per accepted GPS 1 fix
//   export_kml_time      KML 2.2 with a time-stamped gx:Track and wingtip segments
//
// Each runs two passes over the LOG: a first one that finds what the rows need before the first
// row is written (the units the header names, the clock's first anchor, the flights when a flight
// is asked for), then the export's own pass. The input is rewound between them to the position
// it had, so it must be seekable (a front end copies a pipe to a temporary file first). Memory
// does not grow with the LOG.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "analysis/time_zone.h"
#include "decode/decode_context.h"
#include "export/log_window.h"

struct export_request {
  library_options decode;  // the GPS ports' sentence formats
  analog_input_const constants;
  window_request window;                     // a flight, or a window of time
  std::uint32_t every_ms = 1000;             // the row period (the GPX writes every fix)
  std::optional<std::int64_t> utc_start_ms;  // UTC of the first record, for a LOG without GPS time
  std::string tail;                          // the aircraft's registration, for headers and names; may be empty
  // The avionics CSV's date and time in local time (with its offset) instead of UTC: in
  // local_time_zone when given, else in the departure airport's zone where one is known.
  bool local_time = false;
  std::optional<time_zone> local_time_zone;
};

// GPS 1 as orvexdecode reads it (aviation unless said), GPS 2 as NMEA: the port that usually
// carries the date and time.
export_request default_export_request();

struct export_result {
  bool write_failed = false;  // a write to the output failed
  std::string error;          // the request cannot be met (nothing useful was written)
  std::vector<std::string> warnings;
  std::uint64_t items = 0;  // rows, track points or samples written
};

export_result export_csv(decode_context& ctx, const export_request& request, FILE* input, FILE* output);
export_result export_avionics_csv(decode_context& ctx, const export_request& request, FILE* input, FILE* output);
export_result export_gpx(decode_context& ctx, const export_request& request, FILE* input, FILE* output);
export_result export_kml_time(decode_context& ctx, const export_request& request, FILE* input, FILE* output);
