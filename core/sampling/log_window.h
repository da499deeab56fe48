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

struct log_window {
  std::uint32_t from_ms = 0;              // LOG time, start included
  std::uint32_t to_ms = UINT32_MAX;       // end excluded
  const flight_record* flight = nullptr;  // the flight asked for
  std::string error;    // the request cannot be met (a flight the LOG does not hold, UTC without a clock)
  std::string warning;  // the window holds no record of the LOG: the document will be empty
};

// Resolves the request against what the flight time line found. A flight's window runs from its
// first engine start or takeoff to its last engine stop or landing; UTC maps to LOG time through
// the LOG's clock.
log_window resolve_window(const window_request& request, const log_summary& summary);
