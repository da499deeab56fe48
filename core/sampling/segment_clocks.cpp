#include "sampling/segment_clocks.h"

#include <new>

#include "decode/record_loop.h"
#include "records/read_ahead.h"

void chain_clock_scan::end_of_log() {
  if (done) return;
  ctx.follow.clock.end_segment();
  conclude();
}

void chain_clock_scan::conclude() {
  done = true;
  const utc_clock& clock = ctx.follow.clock;
  if (clock.settled()) found = clock_mapping::through(utc_source::gps, clock.first());
}

// The read-ahead's own decode state.
struct segment_clock_hints::ahead_context final : decode_context {};

segment_clock_hints::segment_clock_hints() = default;
segment_clock_hints::~segment_clock_hints() = default;
segment_clock_hints::segment_clock_hints(segment_clock_hints&&) noexcept = default;
segment_clock_hints& segment_clock_hints::operator=(segment_clock_hints&&) noexcept = default;

clock_mapping segment_clock_hints::clock_at(const log_segments& s, const efis_record& first_record) {
  if (s.index() == 0) return first;
  if (s.index() < segments.size()) return segments[s.index()];
  if (s.cause() != segment_cause::restart || pass == nullptr || input == nullptr) return {};
  // Read the segment ahead on a context of its own: from a second stream on the file where
  // there is one (the pass's reading, and what its reading thread does, go on untouched), else
  // from the pass's input, its reader put back after the segment's first record.
  if (!ahead_) ahead_.reset(new (std::nothrow) ahead_context);
  const auto read_segment_ahead = [&](FILE* from) {
    clock_mapping found;
    if (ahead_ && std::fseek(from, start + static_cast<long>(first_record.offset), SEEK_SET) == 0) {
      begin_pass(*ahead_, &constants, &decode, from, nullptr);
      chain_clock_scan scan(*ahead_);
      run_record_loop(*ahead_, scan);
      scan.end_of_log();
      found = scan.found;
    }
    return found;
  };
  if (FILE* again = open_again(input)) {
    const clock_mapping found = read_segment_ahead(again);
    if (ahead_) ahead_->reader.reset(nullptr);  // no stream left behind that is closed
    std::fclose(again);
    return found;
  }
  const std::uint64_t resume = first_record.offset + record_header_size + first_record.length;
  if (!pass->reader.seek(resume)) return {};
  const clock_mapping found = read_segment_ahead(input);
  pass->reader.seek(resume);
  return found;
}
