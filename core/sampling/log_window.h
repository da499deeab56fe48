// The stretch of a LOG a user asks an export or a report for: one detected flight, or a window
// of time given in UTC or in LOG seconds (start included, end excluded).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/log_summary.h"

// An instant as the user gave it: UTC ("2026-03-11T22:22:46Z") or seconds of LOG time ("754.2").
struct time_point {
  bool is_utc = false;
  std::int64_t utc_ms = 0;
  std::uint32_t log_ms = 0;
};

// Nothing when the text is neither form (or a LOG time past the 32-bit timestamps).
std::optional<time_point> parse_time_point(std::string_view text);

struct window_request {
  std::optional<int> flight = {};  // 1 for the first detected flight
  std::optional<time_point> from = {};
  std::optional<time_point> to = {};
};

// Which moments a window keeps: those within every bound given (start included, end excluded).
struct row_window {
  std::uint64_t from_order = 0;  // the LOG's order (log_order: segment, then LOG time)
  std::uint64_t to_order = UINT64_MAX;
  std::uint32_t from_ms = 0;  // LOG time, in any segment
  std::uint32_t to_ms = UINT32_MAX;
  std::optional<std::int64_t> from_utc_ms;  // UTC (a moment without UTC is outside)
  std::optional<std::int64_t> to_utc_ms;

  bool holds(std::uint32_t segment, std::uint32_t log_ms, bool has_utc, std::int64_t utc_ms) const {
    const std::uint64_t order = log_order(segment, log_ms);
    if (order < from_order || order >= to_order || log_ms < from_ms || log_ms >= to_ms) return false;
    if (!from_utc_ms && !to_utc_ms) return true;
    return has_utc && (!from_utc_ms || utc_ms >= *from_utc_ms) && (!to_utc_ms || utc_ms < *to_utc_ms);
  }
  bool holds(const log_instant& at) const { return holds(at.segment, at.log_ms, at.has_utc, at.utc_ms); }
};

struct log_window {
  row_window bounds;
  const flight_record* flight = nullptr;  // the flight asked for
  std::string error;    // the request cannot be met (a flight the LOG does not hold, UTC without a clock)
  std::string warning;  // the window holds no record of the LOG: the document will be empty
};

// Resolves the request against what the flight time line found (or the short scan of an
// export). A flight's window runs from its first engine start or takeoff to its last engine stop
// or landing; a time in UTC bounds the moments by their UTC, one in LOG seconds by their LOG
// time in whichever segment they lie.
log_window resolve_window(const window_request& request, const log_summary& summary);
