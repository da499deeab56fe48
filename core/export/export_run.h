// The driver of the exports: the passes, the window and the warnings that every format of the
// registry (export_formats.h) shares.
//
// A document per LOG takes two passes over the LOG: a first one that finds what the rows need
// before the first row is written (the units the header names, the clock's first anchor, the
// flights when the document follows them or a flight is asked for), then the format's own pass.
// The input is rewound between them to the position it had, so it must be seekable (a front end
// copies a pipe to a temporary file first). Where the request gives an airport lookup, the first
// pass of a document that names places (or of the avionics CSV's local time without a zone) is
// the flight time line, and the flights' takeoffs and landings are looked up after it. Memory does not grow with the LOG. Each segment of the
// LOG starts the format's pass from the clock the plan's hints give it (sampling/segment_clocks.h).
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_summary.h"
#include "analysis/logbook_local.h"
#include "decode/gps_ahead.h"
#include "decode/record_loop.h"
#include "export/export_formats.h"
#include "export/export_request.h"
#include "sampling/sampled_rows.h"
#include "sampling/segment_clocks.h"

struct export_plan {
  sampling_options sampling;  // the period and the window for row_sampler
  engine_units units;         // the units the engine values are reported in
  log_window window;
  // The cylinders the rows take (cylinders_taken): the CHT and EGT cells of the others are empty.
  std::size_t cylinders = cylinder_count;
  bool window_asked = false;           // a flight or a time was given
  bool has_utc = false;                // the clock maps LOG time to UTC
  std::vector<flight_record> flights;  // only when the first pass ran the flight time line
  std::vector<log_segment> segments;   // likewise
  segment_clock_hints hints;  // the clock each segment of the LOG starts from
  // The flights' airports were looked up: each contact of the flights has its airport, if any.
  bool places_known = false;
  // The avionics CSV's local time without a zone given: from each flight's first moment on (the
  // first flight's from the LOG's start), the zone of its departure airport, nullptr where none is
  // known; in LOG order, empty when no flight has one.
  std::vector<std::pair<std::uint64_t, const time_zone*>> departure_zones;
  time_zone_cache zones;  // the zones those point to
};

// A format's pass over one LOG, as the driver has begun it: the reader on the LOG, the writer
// on the output.
struct export_pass {
  decode_context& ctx;
  output_writer& out;
  const export_request& request;
  const export_plan& plan;
  export_result& result;  // the format counts its items
};

// Writes the document of one LOG in the format (per_log), reading the LOG from the input's
// position on ctx.
export_result export_log(const export_format& format, decode_context& ctx, const export_request& request, FILE* input,
                         FILE* output);

// One LOG of an export of flights across LOGs.
struct export_input {
  FILE* input;                // read once, from its position; nullptr: the file at path
  std::string_view log_name;  // as the document names it and the errors tell it
  // A file opened only while it is read, so that a card's hundreds of LOGs never hold as many
  // open files at once.
  const char* path = nullptr;
};

// Writes one document of the flights of every LOG in the format (per_flight), in UTC order of
// takeoff (flights without UTC last, in the LOGs' order). A LOG whose bytes repeat an earlier
// one is told in a warning and left out. A LOG that can't be read, or airports that can't be,
// end the export with an error. Each input is read from its position to its end.
export_result export_flights(const export_format& format, decode_context& ctx, const export_request& request,
                             std::span<const export_input> logs, FILE* output);

// Runs the format's pass with emit(const sampled_row&) taking each row, in LOG order. When the
// request asks for it, the GPS ports' sentences are put together on the reading thread where the
// LOG is read on one (the rows read only the ports' fixes and counts); the rows are the same.
template <typename Emit>
void for_each_row(export_pass& pass, Emit emit) {
  row_sampler sampler(pass.ctx, pass.plan.sampling, emit);
  gps_ahead gps;
  if (pass.request.gps_on_thread) gps.follow(pass.ctx);
  run_record_loop(pass.ctx, sampler);
}

// Runs the first pass from the input's current position and rewinds the input to it. With
// need_flights the pass is the whole flight time line; otherwise it is a short scan that stops
// as soon as the units, the number of cylinders and the first segment's clock are known (at the
// LOG's end when they never are). A flight asked for always runs the time line, and a time line
// looks up the flights' airports when the request gives a lookup. Returns the error that ends
// the export ("" when the plan is ready).
std::string plan_export(decode_context& ctx, const export_request& request, FILE* input, bool need_flights,
                        export_plan& plan);
