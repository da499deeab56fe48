// What every export does around its own pass: the first pass that finds what the rows need
// before the first row is written, the rewind, the window, and the end of the document.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/log_summary.h"
#include "export/export_request.h"
#include "sampling/sampled_rows.h"

struct export_plan {
  sampling_options sampling;  // the period, the window and the clock for row_sampler
  engine_units units;         // the units the engine values are reported in
  log_window window;
  bool window_asked = false;           // a flight or a time was given
  bool has_utc = false;                // the clock maps LOG time to UTC
  std::vector<flight_record> flights;  // only when the first pass ran the flight time line
};

// Runs the first pass from the input's current position and rewinds the input to it. With
// need_flights the pass is the whole flight time line; otherwise it is a short scan that stops
// as soon as the units and the clock's first anchor are known (at the LOG's end when they never
// are). A flight asked for always runs the time line. Returns the error that ends the export
// ("" when the plan is ready).
std::string plan_export(decode_context& ctx, const export_request& request, FILE* input, bool need_flights,
                        export_plan& plan);

// Starts the export's own pass on ctx: the reader on input, the writer on output.
void begin_export_pass(decode_context& ctx, const export_request& request, FILE* input, FILE* output);

// Flushes the writer and adds the warnings of a window that gave nothing.
void finish_export(decode_context& ctx, const export_plan& plan, export_result& result);

// The warning of a LOG without UTC, naming what stays empty in the document.
std::string no_utc_warning(const char* what);
