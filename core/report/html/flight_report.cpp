#include "report/html/flight_report.h"

#include <sys/types.h>

#include <cerrno>

#include "analysis/flight_places.h"
#include "analysis/flight_local_times.h"
#include "report/html/html_report.h"
#include "report/html/report_data.h"

namespace {

constexpr std::size_t default_buckets = 1500;
constexpr std::size_t most_buckets = 20000;  // with a time step: the finest a chart gets (about 12 MB of page)

// The charts' buckets and the track's instants over the stretch.
report_gathering gathering_of(const flight_report_request& request, const log_window& window,
                              const log_summary& summary) {
  report_gathering gathering;
  gathering.bounds = window.bounds;
  gathering.gap_ms = summary.health.gap_limit_ms;
  if (request.every_ms != 0) {
    gathering.buckets = most_buckets;
    gathering.min_bucket_ms = request.every_ms;
    gathering.track_every_ms = request.every_ms;
  } else {
    gathering.buckets = default_buckets;
  }
  return gathering;
}

}  // namespace

flight_report_result write_flight_report(decode_context& ctx, const flight_report_request& request, FILE* input,
                                         FILE* output) {
  flight_report_result result;
  const auto read_failed = [&result](flight_report_status status) {
    result.status = status;
    result.read_errno = errno;
    return result;
  };
  const off_t start = ftello(input);
  errno = 0;
  log_summary summary = analyse_log(ctx, request.analysis, input);
  if (std::ferror(input)) return read_failed(flight_report_status::read_failed);
  if (const char* reason = not_a_log_reason(summary.health)) {
    result.status = flight_report_status::not_a_log;
    result.not_a_log_reason = reason;
    return result;
  }
  result.error = place_flights(summary, request.airports, request.lookup_options, request.zone);
  if (!result.error.empty()) {
    result.status = flight_report_status::airports_failed;
    return result;
  }
  const log_window window = resolve_window(request.window, summary);
  if (!window.error.empty()) {
    result.status = flight_report_status::window_refused;
    result.error = window.error;
    return result;
  }
  result.warning = window.warning;

  std::clearerr(input);
  if (start < 0 || fseeko(input, start, SEEK_SET) != 0) return read_failed(flight_report_status::rewind_failed);
  errno = 0;
  const report_data data = gather_report_data(ctx, request.analysis.decode, request.analysis.constants, summary,
                                              gathering_of(request, window, summary), input);
  if (std::ferror(input)) return read_failed(flight_report_status::read_failed);

  html_report_input page;
  page.log_name = request.log_name;
  page.window_label = request.window_label;
  page.summary = &summary;
  page.data = &data;
  ctx.out.attach(output);
  if (write_html_report(ctx.out, page) < 0 || ctx.out.flush() < 0) result.status = flight_report_status::write_failed;
  ctx.out.attach(nullptr);
  return result;
}
