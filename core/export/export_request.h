// What an export is asked for and what became of it, for every format of the registry
// (export_formats.h) and its driver (export_run.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/airport_lookup.h"
#include "analysis/time_zone.h"
#include "decode/decode_context.h"
#include "sampling/log_window.h"

// An aux input of the engine monitor (0-5 for aux1-aux6) and the scale to its quantity.
struct aux_reading {
  std::size_t input;
  double scale;
};

// The layouts of the logbook's import file (logbook_export.cpp).
enum class logbook_layout : std::uint8_t { none, myflightbook, foreflight };

struct export_request {
  library_options decode;  // the GPS ports' sentence formats
  analog_input_const constants;
  window_request window;                     // a flight, or a window of time
  std::uint32_t every_ms = 1000;             // the row period (the GPX writes every fix)
  std::optional<std::int64_t> utc_start_ms;  // UTC of the first record, for a LOG without GPS time
  std::string tail;                          // the aircraft's registration, for headers and names; may be empty
  // The avionics CSV's date and time in local time (with its offset) instead of UTC: in
  // local_time_zone when given, else in the departure airport's zone where one is known. The
  // logbook's dates are local dates: in local_time_zone when given, else the departure airport's.
  bool local_time = false;
  std::optional<time_zone> local_time_zone;
  logbook_layout layout = logbook_layout::none;  // the logbook's layout
  std::optional<aux_reading> manifold_pressure;  // the input carrying it in inHg (avionics CSV E1 MAP)
  // Where the flights' airports are looked up (nullptr: they are not), for the places the GPX
  // and the KML name, the logbook's route and the zone of the avionics CSV's local time; the
  // caller keeps it open.
  const airport_lookup* airports = nullptr;
  airport_options lookup_options;  // the capture radius, heliports
  // The GPS ports' sentences put together on the thread that reads the LOG ahead, where it is a
  // regular file (decode/gps_ahead.h); the document is the same. For a processor that would
  // otherwise be idle.
  bool gps_on_thread = false;
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
