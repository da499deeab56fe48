// The HTML report's time axis: the stretch of the LOG drawn, its segments side by side on one
// line of UTC. Each segment (the part of it within the stretch) is a piece of the axis; the pieces
// follow their UTC, a piece without UTC the one before it in the LOG. A break of up to ten minutes
// between two pieces keeps its width on the axis; a longer one, one that UTC does not tell, or
// a piece whose UTC begins before the one before it ends, is cut out of the axis and marked (a
// narrow gap of a three-hundredth of the pieces' length), so no piece is drawn over another and
// each flight keeps its width. Positions on the axis are
// milliseconds from its start; the labels read each piece's own clock (true UTC, or LOG time).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/log_summary.h"
#include "sampling/log_window.h"

constexpr std::int64_t longest_break_kept_ms = 600'000;

struct axis_piece {
  std::uint32_t segment = 0;
  std::uint32_t from_ms = 0;  // the segment's LOG time drawn: [from, to)
  std::uint32_t to_ms = 0;
  std::uint32_t axis_ms = 0;  // where from_ms lies on the axis
  bool has_utc = false;
  std::int64_t utc_ms = 0;  // at from_ms
  bool cut_before = false;  // the time before it is cut out of the axis
};

struct report_axis {
  std::vector<axis_piece> pieces;  // in the axis's order
  std::uint32_t span_ms = 0;
  std::uint32_t cut_ms = 0;  // the room a cut takes on the axis (its mark in the middle)

  bool has_utc() const;
  // The piece an axis position lies in (the last that begins at or before it).
  const axis_piece* at(std::uint32_t axis_ms) const;
  // Where a moment of the LOG lies on the axis; nothing when outside every piece.
  std::optional<std::uint32_t> position_of(std::uint32_t segment, std::uint32_t log_ms) const;
  std::optional<std::uint32_t> position_of(const log_instant& at) const { return position_of(at.segment, at.log_ms); }
  // "15:04:56Z", or "LOG 0:04:56" in a piece without UTC.
  std::string moment_text(std::uint32_t axis_ms) const;
  // The stretches of the axis a stretch of the LOG (from a to b, in the LOG's order) lies on:
  // one per piece it meets, as [from, to] positions.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> spans_of(const log_instant& a, const log_instant& b) const;
};

// The axis of the stretch of the LOG the bounds keep, from the segments the flight time line
// found (a LOG whose segments it did not all list ends with the last it listed).
report_axis lay_report_axis(const log_summary& s, const row_window& bounds);
