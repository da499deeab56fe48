// What an export is asked for and what became of it, for every format of the registry
// (export_formats.h) and its driver (export_run.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "decode/decode_context.h"
#include "sampling/log_window.h"

struct export_request {
  library_options decode;  // the GPS ports' sentence formats
  analog_input_const constants;
  window_request window;                     // a flight, or a window of time
  std::uint32_t every_ms = 1000;             // the row period (the GPX writes every fix)
  std::optional<std::int64_t> utc_start_ms;  // UTC of the first record, for a LOG without GPS time
  std::string tail;                          // the aircraft's registration, for headers and names; may be empty
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
