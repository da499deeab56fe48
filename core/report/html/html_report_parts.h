// The parts of the HTML report page: the page and its header (html_report.cpp), the charts'
// designs (chart_plans.cpp) and the tables of flights, health, phases and limits
// (html_report_tables.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_summary.h"
#include "report/html/report_data.h"
#include "report/html/svg_chart.h"
#include "report/html/svg_track_map.h"
#include "report/summary/summary_rules.h"
#include "text/output_writer.h"

struct report_context {
  const log_summary& summary;
  time_axis axis;  // the stretch drawn
  moment_reader moments;

  // "15:04:56Z" (with the date on another day than the first), or "LOG 0:04:56".
  std::string moment(const log_instant& at) const { return moments.text(at); }
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

// A chart as the page draws it: its design with the lines that hold data, the flight phases,
// the limits and the exceedances; or, when none of its series holds data, a figure that says so.
struct chart_plan {
  chart_design design;
  bool has_data = false;
};

// The charts of the page, in order; an optional chart (the approach) without data is left out.
std::vector<chart_plan> chart_plans(const report_context& r, const report_data& d);
// The takeoffs and landings the map marks.
std::vector<map_mark> map_marks(const report_context& r);

void write_flights_section(output_writer& out, const report_context& r);

// Where the flights went (html_places.cpp): under a takeoff's or landing's place its airport
// and runway ("off airport" at none); a flight's route cell; the airports of the flights shown,
// as marks for the map; the line on where the airport data comes from, when the page shows any.
// Each writes nothing when the airports were not looked up.
void write_contact_place(output_writer& out, const report_context& r, const runway_contact* c);
void write_route_cell(output_writer& out, const report_context& r, const flight_record& w);
void add_airport_marks(const report_context& r, std::vector<map_mark>& marks);
void write_airport_attribution(output_writer& out, const report_context& r);
// The flights' logbook rows (html_logbook_table.cpp): date, out, off, on, in, total, night,
// landings, cross-country; nothing without a flight.
void write_logbook_table(output_writer& out, const report_context& r);
void write_limits_section(output_writer& out, const report_context& r);
// The engine warnings of every flight and ground run in the order of the page (the number of
// each, from 1, is its place here); the chart each shows on; the section that lists them with
// the rules checked (html_warnings.cpp).
std::vector<const engine_warning*> report_warnings(const log_summary& s);
std::string_view warning_chart(const engine_warning& w);
void write_warnings_section(output_writer& out, const report_context& r);
// The engine figures of each flight phase; nothing when no flight or ground run has phases.
void write_phases_section(output_writer& out, const report_context& r);
