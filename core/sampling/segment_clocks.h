// The clock each segment of the LOG starts from in a pass that writes its rows as it reads
// (utc_clock.h): until a segment's own clock settles, its LOG times map through what an earlier
// pass found. The first pass of an export or a report finds the first segment's clock (a short
// scan) or every listed segment's (the flight time line); a segment after a restart that neither
// found is read ahead on a context of its own, the pass's reader put back after.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "decode/decode_context.h"
#include "decode/followers.h"

// Reads on until the clock of the segments that begin where the pass began is known: it settles
// in one of them (or at the end of one), or a restart ends them first (none is known then). Give
// it to run_record_loop, alone or beside other steps.
struct chain_clock_scan {
  explicit chain_clock_scan(decode_context& c) : ctx(c) {}

  decode_context& ctx;
  bool done = false;
  bool saw_gps_time = false;  // a fix with a date and time came
  clock_mapping found;

  void before_dispatch(const efis_record&) {
    const log_segments& s = ctx.follow.segments;
    if (!done && s.began() && s.index() > 0 && (s.cause() == segment_cause::restart || ctx.follow.clock.settled())) {
      conclude();
    }
  }
  void after_dispatch(const efis_record&, const record_effect& effect) {
    if (effect.new_fix_port >= 0 && ctx.follow.clock.estimate_ms()) saw_gps_time = true;
    if (!done && ctx.follow.clock.settled()) conclude();
  }
  bool finished() const { return done; }

  // The LOG ended first: a clock that has fixes settles on them.
  void end_of_log();

 private:
  void conclude();
};

class segment_clock_hints final : public clock_hints {
 public:
  segment_clock_hints();
  ~segment_clock_hints();
  segment_clock_hints(segment_clock_hints&&) noexcept;
  segment_clock_hints& operator=(segment_clock_hints&&) noexcept;

  clock_mapping clock_at(const log_segments& segments, const efis_record& first_record) override;

  clock_mapping first;                  // the LOG's first segment
  std::vector<clock_mapping> segments;  // the time line's, by segment (those it listed)
  // For reading ahead: the pass, its input, the offset the passes start from, the decode options.
  decode_context* pass = nullptr;
  FILE* input = nullptr;
  long start = 0;
  library_options decode{};
  analog_input_const constants{};

 private:
  struct ahead_context;
  std::unique_ptr<ahead_context> ahead_;
};
