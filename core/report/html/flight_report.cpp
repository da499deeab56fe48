#include "report/html/flight_report.h"

#include <sys/types.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <optional>

#include "analysis/flight_places.h"
#include "analysis/flight_local_times.h"
#include "report/html/gathering_ahead.h"
#include "report/html/html_report.h"
#include "report/html/report_data.h"

namespace {

constexpr std::size_t default_buckets = 1500;
constexpr std::size_t most_buckets = 20000;  // with a time step: the finest a chart gets (about 12 MB of page)

// The charts' buckets and the track's instants over the stretch; a source silent longer than
// gap_ms leaves a gap.
report_gathering gathering_of(const flight_report_request& request, const row_window& bounds, std::uint32_t gap_ms) {
  report_gathering gathering;
  gathering.bounds = bounds;
  gathering.gap_ms = gap_ms;
  if (request.every_ms != 0) {
    gathering.buckets = most_buckets;
    gathering.min_bucket_ms = request.every_ms;
    gathering.track_every_ms = request.every_ms;
  } else {
    gathering.buckets = default_buckets;
  }
  return gathering;
}

// The gap limit the flight time line's health takes from the options.
std::uint32_t gap_limit_of(const analysis_options& options) {
  if (!(options.gap_s > 0.0)) return 0;
  return options.gap_s >= 4.0e6 ? 4'000'000'000u : static_cast<std::uint32_t>(std::llround(options.gap_s * 1000.0));
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
  // The charts' data is gathered beside the time line where what it needs can be known first.
  gathering_ahead ahead(request, gathering_of(request, row_window{}, gap_limit_of(request.analysis)), input,
                        start >= 0 && start <= LONG_MAX ? static_cast<long>(start) : -1);
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

  const report_gathering gathering = gathering_of(request, window.bounds, summary.health.gap_limit_ms);
  std::optional<report_data> gathered = ahead.take(summary, gathering);
  if (!gathered) {
    std::clearerr(input);
    if (start < 0 || fseeko(input, start, SEEK_SET) != 0) return read_failed(flight_report_status::rewind_failed);
    errno = 0;
    gathered = gather_report_data(ctx, request.analysis.decode, request.analysis.constants, summary, gathering, input);
    if (std::ferror(input)) return read_failed(flight_report_status::read_failed);
  }
  const report_data& data = *gathered;

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
