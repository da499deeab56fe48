#include "sampling/log_window.h"

#include "text/float_from_chars.h"

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
  row_window& b = w.bounds;
  if (request.flight) {
    const int n = *request.flight;
    if (n < 1 || static_cast<std::size_t>(n) > summary.flights.size()) {
      w.error = "the LOG holds " + std::to_string(summary.flights.size()) + " flight" +
                (summary.flights.size() == 1 ? "" : "s") + ", not flight " + std::to_string(n);
      return w;
    }
    w.flight = &summary.flights[static_cast<std::size_t>(n - 1)];
    b.from_order = w.flight->start_order();
    b.to_order = w.flight->end_order() + 1;  // its last sample included
  }
  for (const auto& [point, from] : {std::pair{&request.from, true}, std::pair{&request.to, false}}) {
    if (!*point) continue;
    const time_point& p = **point;
    if (p.is_utc && summary.time.source == utc_source::none) {
      w.error = "the LOG has no GPS time to place a UTC time in (give LOG seconds, or --utc-start)";
      return w;
    }
    if (p.is_utc) {
      (from ? b.from_utc_ms : b.to_utc_ms) = p.utc_ms;
    } else {
      (from ? b.from_ms : b.to_ms) = p.log_ms;
    }
  }
  const log_time_span& t = summary.time;
  bool outside = !t.has_records || b.from_order >= b.to_order || b.from_ms >= b.to_ms ||
                 (b.from_utc_ms && b.to_utc_ms && *b.from_utc_ms >= *b.to_utc_ms);
  if (!outside && summary.segments.size() <= 1) {
    outside = b.from_ms > t.last.log_ms || b.to_ms <= t.first.log_ms;
  }
  if (!outside && t.first.has_utc && t.last.has_utc) {
    outside = (b.from_utc_ms && *b.from_utc_ms > t.last.utc_ms) || (b.to_utc_ms && *b.to_utc_ms <= t.first.utc_ms);
  }
  if (outside) w.warning = "the time window holds no record of the LOG";
  return w;
}
