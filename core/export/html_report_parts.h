// The parts of the HTML report page, each appended to a text: shared by html_report.cpp (the
// page, the charts and the map) and html_report_tables.cpp (flights, health, limits).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/log_summary.h"
#include "export/svg_chart.h"

struct report_context {
  const log_summary& summary;
  time_axis axis;
  std::uint32_t from_ms;  // the stretch drawn: [from, to)
  std::uint32_t to_ms;
  std::string first_day;  // the LOG's first UTC date, left out of the times on that day

  // "15:04:56Z" (with the date on another day than the first), or "LOG 0:04:56".
  std::string moment(const log_instant& at) const;
  bool overlaps(std::uint32_t start_ms, std::uint32_t end_ms) const { return start_ms < to_ms && end_ms >= from_ms; }
};

// "°F" for a temperature unit letter, the unit itself otherwise.
std::string display_unit(std::string_view unit);

// The name a pilot reads for a limit parameter ("CHT", "Oil pressure").
std::string_view limit_display_name(limit_parameter p);
// The chart an exceedance of the parameter shows on ("cht").
std::string_view limit_chart(limit_parameter p);

void append_flights_section(std::string& out, const report_context& r);
// The flights' logbook rows (html_logbook_table.cpp): date, out, off, on, in, total, night,
// landings, cross-country; nothing without a flight.
void append_logbook_table(std::string& out, const report_context& r);
void append_limits_section(std::string& out, const report_context& r);
