// The flight report of a LOG in one call: the flight time line over the whole LOG (flights,
// figures, health, exceedances, the clock and the units), then the charts' series and the track
// over the stretch asked for, then the page (html_report.h). The LOG is read twice, rewound to
// where the first read began, so the input must be seekable (a front end copies a pipe to a
// temporary file first); the page is written only once both reads have succeeded.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "analysis/airport_lookup.h"
#include "analysis/flight_timeline.h"
#include "analysis/time_zone.h"
#include "decode/decode_context.h"
#include "sampling/log_window.h"

struct flight_report_request {
  analysis_options analysis = default_analysis_options();  // how the LOG is read, the detection, the limits
  window_request window;                                   // the stretch shown; none: the whole LOG
  std::string window_label;    // what the page calls the stretch ("flight 2"); empty for the whole LOG
  std::uint32_t every_ms = 0;  // the charts' and the track's time step; 0: the stretch in about 1500 steps
  std::string log_name;        // the LOG as the page names it
  const airport_lookup* airports = nullptr;  // where the flights' airports are looked up; none: not
  airport_options lookup_options;  // the capture radius, heliports
  const time_zone* zone = nullptr;  // the logbook's local times; nullptr: the airports' zones, where known
};

enum class flight_report_status : std::uint8_t {
  written,
  read_failed,     // a read of the LOG failed (read_errno)
  not_a_log,       // no record of a defined type could be read (not_a_log_reason)
  window_refused,  // the stretch asked for can't be shown (error)
  rewind_failed,   // the LOG could not be positioned for its second read (read_errno)
  airports_failed,  // the airports could not be read (error)
  write_failed,    // a write of the page failed
};

struct flight_report_result {
  flight_report_status status = flight_report_status::written;
  int read_errno = 0;                      // errno as the failed read or seek left it
  const char* not_a_log_reason = nullptr;  // "empty", "no record could be read"
  std::string error;                       // why the stretch can't be shown, or the airports' error
  std::string warning;                     // the stretch holds no record of the LOG (the page says so too)
};

// Reads the LOG from input's position on ctx and writes the page to output.
flight_report_result write_flight_report(decode_context& ctx, const flight_report_request& request, FILE* input,
                                         FILE* output);
