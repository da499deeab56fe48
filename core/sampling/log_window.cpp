#include "sampling/log_window.h"

#include "text/float_from_chars.h"

namespace {

// LOG time of a UTC instant through the clock's first anchor, kept within the timestamps.
std::uint32_t log_ms_of(std::int64_t utc_ms, const utc_anchor& anchor) {
  const std::int64_t t = std::int64_t{anchor.log_ms} + (utc_ms - anchor.utc_ms);
  if (t < 0) return 0;
  return t > std::int64_t{UINT32_MAX} ? UINT32_MAX : static_cast<std::uint32_t>(t);
}

}  // namespace

std::optional<time_point> parse_time_point(std::string_view text) {
  if (const std::optional<std::int64_t> utc = parse_utc_iso8601(text)) return time_point{true, *utc, 0};
  double seconds = 0.0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = float_from_chars(text.data(), end, seconds, std::chars_format::fixed);
  if (error != std::errc() || stop != end || !(seconds >= 0.0) || seconds * 1000.0 > UINT32_MAX) return std::nullopt;
  return time_point{false, 0, static_cast<std::uint32_t>(seconds * 1000.0 + 0.5)};
}

log_window resolve_window(const window_request& request, const log_summary& summary) {
  log_window w;
  if (request.flight) {
    const int n = *request.flight;
    if (n < 1 || static_cast<std::size_t>(n) > summary.flights.size()) {
      w.error = "the LOG holds " + std::to_string(summary.flights.size()) + " flight" +
                (summary.flights.size() == 1 ? "" : "s") + ", not flight " + std::to_string(n);
      return w;
    }
    w.flight = &summary.flights[static_cast<std::size_t>(n - 1)];
    w.from_ms = w.flight->start_ms;
    w.to_ms = w.flight->end_ms == UINT32_MAX ? UINT32_MAX : w.flight->end_ms + 1;  // its last sample included
  }
  const auto log_ms_at = [&](const time_point& p) -> std::optional<std::uint32_t> {
    if (!p.is_utc) return p.log_ms;
    if (summary.time.source == utc_source::none) return std::nullopt;
    return log_ms_of(p.utc_ms, summary.time.first_anchor);
  };
  if (request.from || request.to) {
    const std::optional<std::uint32_t> from = request.from ? log_ms_at(*request.from) : std::optional<std::uint32_t>(0);
    const std::optional<std::uint32_t> to =
        request.to ? log_ms_at(*request.to) : std::optional<std::uint32_t>(UINT32_MAX);
    if (!from || !to) {
      w.error = "the LOG has no GPS time to place a UTC time in (give LOG seconds, or --utc-start)";
      return w;
    }
    // Within a flight the window narrows it.
    if (*from > w.from_ms) w.from_ms = *from;
    if (*to < w.to_ms) w.to_ms = *to;
  }
  const bool outside = !summary.time.has_records || w.from_ms >= w.to_ms || w.from_ms > summary.time.last.log_ms ||
                       w.to_ms <= summary.time.first.log_ms;
  if (outside) w.warning = "the time window holds no record of the LOG";
  return w;
}
