// What every export does around its own pass: the first pass that finds what the rows need
// before the first row is written, the rewind, the window, the clock each segment of the LOG
// starts from, and the end of the document.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/log_summary.h"
#include "export/log_exports.h"
#include "export/sampled_rows.h"

// The clock each segment of the LOG starts from in an export's pass (see utc_clock.h): the first
// segment's from the first pass; after a restart, what the time line found, or else what a
// read ahead in the segment finds (on a context of its own, the pass's reader put back after).
class export_clock_hints final : public clock_hints {
 public:
  clock_mapping clock_at(const log_segments& segments, const efis_record& first_record) override;

  clock_mapping first;                  // the LOG's first segment
  std::vector<clock_mapping> segments;  // the time line's, by segment (those it listed)
  // For reading ahead: the input, the offset the passes start from, the decode options.
  decode_context* pass = nullptr;
  FILE* input = nullptr;
  long start = 0;
  library_options decode{};
  analog_input_const constants{};

 private:
  struct context_deleter {
    void operator()(decode_context* ctx) const;
  };
  std::unique_ptr<decode_context, context_deleter> ahead_;
};

struct export_plan {
  sampling_options sampling;  // the period and the window for row_sampler
  engine_units units;         // the units the engine values are reported in
  log_window window;
  bool window_asked = false;           // a flight or a time was given
  bool has_utc = false;                // the clock maps LOG time to UTC
  std::vector<flight_record> flights;  // only when the first pass ran the flight time line
  std::vector<log_segment> segments;   // likewise
  export_clock_hints hints;
};

// Runs the first pass from the input's current position and rewinds the input to it. With
// need_flights the pass is the whole flight time line; otherwise it is a short scan that stops
// as soon as the units and the first segment's clock are known (at the LOG's end when they never
// are). A flight asked for always runs the time line. Returns the error that ends the export
// ("" when the plan is ready).
std::string plan_export(decode_context& ctx, const export_request& request, FILE* input, bool need_flights,
                        export_plan& plan);

// Starts the export's own pass on ctx: the reader on input, the writer on output, the clock
// hints of the plan.
void begin_export_pass(decode_context& ctx, const export_request& request, FILE* input, FILE* output,
                       export_plan& plan);

// Flushes the writer and adds the warnings of a window that gave nothing.
void finish_export(decode_context& ctx, const export_plan& plan, export_result& result);

// The warning of a LOG without UTC, naming what stays empty in the document.
std::string no_utc_warning(const char* what);
