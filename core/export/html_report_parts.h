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
  time_axis axis;         // the stretch drawn
  std::string first_day;  // the LOG's first UTC date, left out of the times on that day

  // "15:04:56Z" (with the date on another day than the first), or "LOG 0:04:56".
  std::string moment(const log_instant& at) const;
  // Whether a stretch of the LOG (from a to b) is drawn, in part at least.
  bool overlaps(const log_instant& a, const log_instant& b) const { return !axis.spans_of(a, b).empty(); }
};

// The first and last moments of a flight or ground run.
inline log_instant start_of(const flight_record& w) { return log_instant{w.start_ms, false, 0, w.start_segment}; }
inline log_instant end_of(const flight_record& w) { return log_instant{w.end_ms, false, 0, w.end_segment}; }

// "°F" for a temperature unit letter, the unit itself otherwise.
std::string display_unit(std::string_view unit);

// The name a pilot reads for a limit parameter ("CHT", "Oil pressure").
std::string_view limit_display_name(limit_parameter p);
// The chart an exceedance of the parameter shows on ("cht").
std::string_view limit_chart(limit_parameter p);

void append_flights_section(std::string& out, const report_context& r);
void append_limits_section(std::string& out, const report_context& r);
