#include "report/html/report_axis.h"

#include <algorithm>

#include "text/readable_text.h"

namespace {

std::uint32_t clamped(std::int64_t ms) {
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(ms, 0, std::int64_t{UINT32_MAX}));
}

// The part of a segment the bounds keep, as a piece not yet placed; to <= from when none.
axis_piece piece_of(const log_segment& e, std::uint32_t segment, const row_window& b) {
  axis_piece p;
  p.segment = segment;
  std::uint64_t from = std::max(e.lowest_ms, b.from_ms);
  std::uint64_t to = std::min<std::uint64_t>(std::uint64_t{e.highest_ms} + 1, b.to_ms);
  const std::uint64_t first = log_order(segment, 0);
  const std::uint64_t last = log_order(segment, UINT32_MAX);
  if (b.to_order <= first || b.from_order > last) return p;
  if (b.from_order > first) from = std::max<std::uint64_t>(from, b.from_order - first);
  if (b.to_order <= last) to = std::min<std::uint64_t>(to, b.to_order - first);
  p.has_utc = e.first.has_utc;
  const auto log_ms_of = [&e](std::int64_t utc_ms) {
    return clamped(std::int64_t{e.first.log_ms} + utc_ms - e.first.utc_ms);
  };
  if (b.from_utc_ms || b.to_utc_ms) {
    if (!p.has_utc) return p;
    if (b.from_utc_ms) from = std::max<std::uint64_t>(from, log_ms_of(*b.from_utc_ms));
    if (b.to_utc_ms) to = std::min<std::uint64_t>(to, log_ms_of(*b.to_utc_ms));
  }
  if (to <= from) return p;
  p.from_ms = static_cast<std::uint32_t>(from);
  p.to_ms = static_cast<std::uint32_t>(to);
  if (p.has_utc) p.utc_ms = e.first.utc_ms + (std::int64_t{p.from_ms} - e.first.log_ms);
  return p;
}

}  // namespace

bool report_axis::has_utc() const {
  return std::any_of(pieces.begin(), pieces.end(), [](const axis_piece& p) { return p.has_utc; });
}

const axis_piece* report_axis::at(std::uint32_t axis_ms) const {
  const axis_piece* found = pieces.empty() ? nullptr : &pieces.front();
  for (const axis_piece& p : pieces) {
    if (p.axis_ms > axis_ms) break;
    found = &p;
  }
  return found;
}

std::optional<std::uint32_t> report_axis::position_of(std::uint32_t segment, std::uint32_t log_ms) const {
  for (const axis_piece& p : pieces) {
    if (p.segment == segment && log_ms >= p.from_ms && log_ms < p.to_ms) return p.axis_ms + (log_ms - p.from_ms);
  }
  return std::nullopt;
}

std::string report_axis::moment_text(std::uint32_t axis_ms) const {
  const axis_piece* p = at(axis_ms);
  if (p == nullptr) return "LOG " + duration_text(axis_ms / 1000.0);
  const std::int64_t into = std::int64_t{axis_ms} - p->axis_ms;
  if (p->has_utc) return utc_time_text(p->utc_ms + into);
  return "LOG " + duration_text(static_cast<double>(p->from_ms + into) / 1000.0);
}

std::vector<std::pair<std::uint32_t, std::uint32_t>> report_axis::spans_of(const log_instant& a,
                                                                           const log_instant& b) const {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans;
  for (const axis_piece& p : pieces) {
    if (p.segment < a.segment || p.segment > b.segment) continue;
    const std::uint32_t from = p.segment == a.segment ? std::max(p.from_ms, a.log_ms) : p.from_ms;
    const std::uint32_t to = p.segment == b.segment ? std::min(p.to_ms, b.log_ms) : p.to_ms;
    if (to < from || from >= p.to_ms) continue;
    spans.emplace_back(p.axis_ms + (from - p.from_ms), p.axis_ms + (to - p.from_ms));
  }
  return spans;
}

report_axis lay_report_axis(const log_summary& s, const row_window& bounds) {
  report_axis axis;
  std::vector<std::int64_t> keys;
  std::int64_t key = INT64_MIN;
  for (std::size_t k = 0; k < s.segments.size(); ++k) {
    const axis_piece p = piece_of(s.segments[k], static_cast<std::uint32_t>(k), bounds);
    if (p.to_ms <= p.from_ms) continue;
    // In UTC order; one without UTC after the piece before it.
    if (p.has_utc) key = p.utc_ms;
    axis.pieces.push_back(p);
    keys.push_back(key);
  }
  std::vector<std::size_t> order(axis.pieces.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
  std::uint64_t length = 0;
  for (const axis_piece& p : axis.pieces) length += p.to_ms - p.from_ms;
  axis.cut_ms = static_cast<std::uint32_t>(std::clamp<std::uint64_t>(length / 300, 1000, 3'600'000));
  std::vector<axis_piece> placed;
  std::uint64_t position = 0;
  for (const std::size_t i : order) {
    axis_piece p = axis.pieces[i];
    if (!placed.empty()) {
      const axis_piece& before = placed.back();
      std::optional<std::int64_t> off_ms;
      if (before.has_utc && p.has_utc) {
        off_ms = p.utc_ms - (before.utc_ms + (std::int64_t{before.to_ms} - before.from_ms));
      } else if (!before.has_utc && !p.has_utc && p.segment == before.segment + 1 &&
                 s.segments[p.segment].cause == segment_cause::gap) {
        off_ms = std::int64_t{p.from_ms} - before.to_ms;  // LOG time ran on between them
      }
      p.cut_before = !off_ms || *off_ms < 0 || *off_ms > longest_break_kept_ms;
      position += p.cut_before ? axis.cut_ms : static_cast<std::uint64_t>(*off_ms);
    }
    p.axis_ms = clamped(static_cast<std::int64_t>(std::min<std::uint64_t>(position, UINT32_MAX)));
    position += p.to_ms - p.from_ms;
    placed.push_back(p);
  }
  axis.pieces = std::move(placed);
  axis.span_ms = clamped(static_cast<std::int64_t>(std::min<std::uint64_t>(position, UINT32_MAX)));
  return axis;
}
