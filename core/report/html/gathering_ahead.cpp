#include "report/html/gathering_ahead.h"

#include <algorithm>
#include <atomic>
#include <new>

#include "decode/record_loop.h"
#include "records/read_ahead.h"
#include "records/tail_records.h"
#include "report/html/flight_report.h"
#include "sampling/segment_clocks.h"

#if !defined(__wasi__)
#include <thread>
#endif

namespace {

// The gathering's own decode state.
struct ahead_context final : decode_context {};

bool same_clock(const clock_mapping& a, const clock_mapping& b) {
  return a.source == b.source && a.from_ms == b.from_ms && a.from_offset_ms == b.from_offset_ms &&
         a.target_offset_ms == b.target_offset_ms;
}

bool same_bounds(const row_window& a, const row_window& b) {
  return a.from_order == b.from_order && a.to_order == b.to_order && a.from_ms == b.from_ms && a.to_ms == b.to_ms &&
         a.from_utc_ms == b.from_utc_ms && a.to_utc_ms == b.to_utc_ms;
}

bool same_gathering(const report_gathering& a, const report_gathering& b) {
  return same_bounds(a.bounds, b.bounds) && a.buckets == b.buckets && a.min_bucket_ms == b.min_bucket_ms &&
         a.track_every_ms == b.track_every_ms && a.gap_ms == b.gap_ms;
}

// What the gathering reads of the axis: where each piece's LOG times lie on it.
bool same_placing(const report_axis& a, const report_axis& b) {
  if (a.span_ms != b.span_ms || a.pieces.size() != b.pieces.size()) return false;
  for (std::size_t i = 0; i < a.pieces.size(); ++i) {
    const axis_piece& p = a.pieces[i];
    const axis_piece& q = b.pieces[i];
    if (p.segment != q.segment || p.from_ms != q.from_ms || p.to_ms != q.to_ms || p.axis_ms != q.axis_ms) return false;
  }
  return true;
}

[[maybe_unused]] bool whole_log(const window_request& w) { return !w.flight && !w.from && !w.to; }

}  // namespace

struct gathering_ahead::state {
  ahead_context ctx;
  const flight_report_request* request = nullptr;
  report_gathering gathering;
  FILE* input = nullptr;  // a reading of the LOG of its own
  long start = 0;
  // What the time line is expected to find, and the data gathered with it.
  log_summary assumed;
  bool gathered = false;
  report_data data;
  std::atomic<bool> cancelled{false};  // the report ended before it needed the data
#if !defined(__wasi__)
  std::thread thread;
#endif

  ~state() {
    if (input != nullptr) std::fclose(input);
  }

  bool rewind() { return std::fseek(input, start, SEEK_SET) == 0; }

  // The LOG's extent as its two ends tell it, taken for a LOG of one segment: from its first
  // record's time to the latest time among its last records. The time line tells later whether
  // that was so: take() compares the axes. False for a LOG without records or without an end
  // that frames, or one that can't be read.
  bool guess_extent() {
    begin_pass(ctx, &request->analysis.constants, &request->analysis.decode, input, nullptr);
    ctx.reader.read_on_this_thread();  // one block, not worth a thread
    efis_record record;
    read_outcome outcome;
    do {
      outcome = ctx.reader.next(record);
    } while (outcome == read_outcome::dropped);
    ctx.reader.stop_reading();
    assumed.time.has_records = outcome == read_outcome::record;
    if (!assumed.time.has_records) return false;

    constexpr long tail_size = 4096;
    std::uint8_t tail[tail_size];
    if (std::fseek(input, 0, SEEK_END) != 0) return false;
    const long end = std::ftell(input);
    if (end < start) return false;
    const long from = std::max(start, end - tail_size);
    if (std::fseek(input, from, SEEK_SET) != 0) return false;
    const std::size_t size = std::fread(tail, 1, static_cast<std::size_t>(end - from), input);
    const std::optional<std::uint32_t> latest = latest_time_at_end(tail, size, from == start);
    if (!latest || std::ferror(input) != 0) return false;

    log_segment& segment = assumed.segments.emplace_back();
    segment.first.log_ms = record.timestamp;
    segment.lowest_ms = record.timestamp;
    segment.highest_ms = std::max(record.timestamp, *latest);
    return true;
  }

  // The segment's first anchor, as a short scan finds it.
  bool scan_clock() {
    if (!rewind()) return false;
    begin_pass(ctx, &request->analysis.constants, &request->analysis.decode, input, nullptr);
    chain_clock_scan scan(ctx);
    run_record_loop(ctx, scan);
    scan.end_of_log();
    clock_mapping first = scan.found;
    if (!first.known() && request->analysis.utc_start_ms) {
      first = clock_mapping::through(utc_source::user, {*request->analysis.utc_start_ms, assumed.segments[0].first.log_ms});
    }
    assumed.segments[0].start = first;
    return std::ferror(input) == 0;
  }

  void gather() {
    assumed.profile = request->analysis.profile;
    if (!guess_extent() || !scan_clock() || cancelled.load() || !rewind()) return;
    // A second segment, or the end of the report, ends the gathering: its data is then not used.
    const gathering_stop stop{true, &cancelled};
    data = gather_report_data(ctx, request->analysis.decode, request->analysis.constants, assumed, gathering, input,
                              stop);
    gathered = std::ferror(input) == 0 && ctx.follow.segments.index() == 0 && !cancelled.load();
  }

  void run() {
#if defined(__cpp_exceptions)
    try {
      gather();
    } catch (...) {
      gathered = false;  // no memory: the report gathers after the time line
    }
#else
    gather();  // a build without exceptions (WebAssembly) runs no thread, so never this
#endif
  }
};

gathering_ahead::gathering_ahead(const flight_report_request& request, const report_gathering& gathering, FILE* input,
                                 long start) {
#if !defined(__wasi__)
  if (!whole_log(request.window) || start < 0 || !read_ahead::suits(input)) return;
  std::unique_ptr<state> s(new (std::nothrow) state);
  if (s == nullptr) return;
  s->input = open_again(input);  // a reading of its own: the time line moves the input's position
  if (s->input == nullptr) return;
  s->request = &request;
  s->gathering = gathering;
  s->start = start;
  if (!s->rewind()) return;
  try {
    s->thread = std::thread([p = s.get()] { p->run(); });
  } catch (...) {
    return;
  }
  state_ = std::move(s);
#else
  (void)request;
  (void)gathering;
  (void)input;
  (void)start;
#endif
}

gathering_ahead::~gathering_ahead() {
#if !defined(__wasi__)
  if (state_ && state_->thread.joinable()) {
    state_->cancelled = true;
    state_->thread.join();
  }
#endif
}

std::optional<report_data> gathering_ahead::take(const log_summary& summary, const report_gathering& gathering) {
  if (!state_) return std::nullopt;
#if !defined(__wasi__)
  if (state_->thread.joinable()) state_->thread.join();
#endif
  state& s = *state_;
  if (!s.gathered || summary.segments.size() != 1 || !same_gathering(s.gathering, gathering) ||
      summary.time.has_records != s.assumed.time.has_records ||
      !same_clock(summary.segments[0].start, s.assumed.segments[0].start)) {
    return std::nullopt;
  }
  report_axis axis = lay_report_axis(summary, gathering.bounds);
  if (!same_placing(axis, s.data.axis)) return std::nullopt;
  s.data.axis = std::move(axis);  // with the time line's clock on its labels
  return std::move(s.data);
}
