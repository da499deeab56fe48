// The tables of the HTML report: the flights and ground runs, the LOG's health, the engine
// figures of the flight phases, the exceedances of the aircraft limits.
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "analysis/flight_places.h"
#include "decode/source_table.h"
#include "report/html/html_report_parts.h"

namespace {

constexpr std::string_view dash = "\xE2\x80\x94";

// A number with one decimal, as "%.1f"; 0 for a value that is not finite.
fixed_value one_decimal(double value) { return fixed(std::isfinite(value) ? value : 0.0, 1); }

// A cell of a table that a narrow screen shows as one block per row: the cell carries its
// column's name, which the style sheet writes before it there.
void open_cell(output_writer& out, std::string_view column) { out.line(OUT_FORMAT("<td data-label=\"{}\">"), column); }

void event_cell(output_writer& out, const report_context& r, std::string_view column, const std::optional<log_event>& e,
                std::string_view missing, const runway_contact* place = nullptr) {
  open_cell(out, column);
  if (!e) {
    out.line(OUT_FORMAT("{}</td>"), missing);
    return;
  }
  out.line(OUT_FORMAT("{}"), r.moment(e->when));
  if (e->has_position) out.line(OUT_FORMAT("<br><small>{}</small>"), place_text(e->position));
  write_contact_place(out, r, place);
  out.text("</td>");
}

std::string_view fuel_unit(const report_context& r) {
  return r.summary.units.fuel == fluid_unit::litres ? " L" : " gal";
}

// A value at the start and the end of a flight ("2321.1 to 2321.3"), in tenths.
void from_to_cell(output_writer& out, std::string_view column, const first_last& x, std::string_view unit) {
  open_cell(out, column);
  if (x.has) {
    out.line(OUT_FORMAT("{} to {}{}</td>"), one_decimal(x.first), one_decimal(x.last), unit);
  } else {
    out.line(OUT_FORMAT("{}</td>"), dash);
  }
}

void fuel_cell(output_writer& out, const report_context& r, const flight_record& w) {
  const std::string_view unit = fuel_unit(r);
  open_cell(out, "Fuel used");
  if (w.fuel_used_from_flow) out.line(OUT_FORMAT("{}{} by flow"), one_decimal(*w.fuel_used_from_flow), unit);
  if (w.fuel_used_from_quantity) {
    out.line(OUT_FORMAT("{}{}{} by quantity"), w.fuel_used_from_flow ? "<br>" : "",
             one_decimal(*w.fuel_used_from_quantity), unit);
  }
  if (!w.fuel_used_from_flow && !w.fuel_used_from_quantity) out.text(dash);
  out.text("</td>");
}

void flight_row(output_writer& out, const report_context& r, std::string_view kind, int number,
                const flight_record& w) {
  out.line(OUT_FORMAT("{}<th scope=\"row\">{} {}</th>"),
           r.overlaps(start_of(w), end_of(w)) ? "<tr>" : "<tr class=\"outside\">", kind, number);
  event_cell(out, r, "Engine start", w.engine_start, "no engine data");
  event_cell(out, r, "Takeoff", w.takeoff, dash, departure_contact(w));
  event_cell(out, r, "Landing", w.landing, w.is_flight() ? "end of LOG (airborne)" : dash, arrival_contact(w));
  event_cell(out, r, "Engine stop", w.engine_stop, w.engine_running_at_end ? "end of LOG (running)" : dash);
  // Block (engine start to engine stop) and engine (the engine running): one cell when they agree.
  const std::string engine = w.engine_start ? duration_text(w.engine_time_s) : std::string(dash);
  const std::string block = w.block_time_s ? duration_text(*w.block_time_s) : std::string(dash);
  if (block == engine) {
    out.line(OUT_FORMAT("<td data-label=\"Block, engine\" colspan=\"2\">{}"), block);
  } else {
    open_cell(out, "Block");
    out.line(OUT_FORMAT("{}</td>"), block);
    open_cell(out, "Engine");
    out.line(OUT_FORMAT("{}"), engine);
  }
  if (w.engine_runs > 1) out.line(OUT_FORMAT("<br><small>{} engine runs</small>"), w.engine_runs);
  out.text("</td>");
  open_cell(out, "Airborne");
  out.line(OUT_FORMAT("{}"), w.is_flight() ? duration_text(w.flight_time_s) : std::string(dash));
  if (w.airborne_periods > 1) out.line(OUT_FORMAT("<br><small>{} takeoffs</small>"), w.airborne_periods);
  if (w.restarts_in_flight > 0) {
    out.line(OUT_FORMAT("<br><small>the EFIS restarted in flight ({} without records)</small>"),
             duration_text(w.restart_gap_s));
  }
  out.text("</td>");
  from_to_cell(out, "Hobbs", w.figures.engine_hours, "");
  from_to_cell(out, "Fuel on board", w.figures.fuel_quantity, fuel_unit(r));
  fuel_cell(out, r, w);
  open_cell(out, "Distance");
  if (w.distance_nm) {
    out.line(OUT_FORMAT("{} nm</td>"), one_decimal(*w.distance_nm));
  } else {
    out.line(OUT_FORMAT("{}</td>"), dash);
  }
  if (r.summary.airports) write_route_cell(out, r, w);
  out.text("</tr>");
}

// The health in one line, as orvexdecode-info tells it.
void write_health_line(output_writer& out, const log_health& h) {
  const reader_stats& r = h.reader;
  const std::uint64_t dropped = dropped_records(r);
  out.line(OUT_FORMAT("{} records, "), with_commas_of(r.records));
  if (dropped == 0) {
    out.text("none dropped");
  } else {
    out.line(OUT_FORMAT("{} dropped"), with_commas_of(dropped));
  }
  if (h.unknown_source_records) out.line(OUT_FORMAT(", {} of unknown types"), with_commas_of(h.unknown_source_records));
  if (const std::uint64_t in_part = records_read_in_part(h)) {
    out.line(OUT_FORMAT(", {} read in part"), with_commas_of(in_part));
  }
  out.line(OUT_FORMAT("{}"), time_backwards_text(h.time_backwards));
  if (r.input_error) out.text(", reading stopped on a read error");
  if (r.largest_skip > 1'000'000) {
    out.line(OUT_FORMAT(", {} bytes skipped after a damaged length"), with_commas_of(r.largest_skip));
  }
  const std::uint64_t gaps = gaps_over_limit(h);
  const general_value limit = general(h.gap_limit_ms / 1000.0);
  if (gaps == 0) {
    out.line(OUT_FORMAT("; no gaps over {} s"), limit);
  } else {
    out.line(OUT_FORMAT("; {} gap{} over {} s"), with_commas_of(gaps), gaps == 1 ? "" : "s", limit);
  }
  for (std::size_t p = 0; p < 2; ++p) {
    const gps_port_health& g = h.gps[p];
    if (g.format == 0) continue;
    out.line(OUT_FORMAT("; GPS {} {} {} accepted, {} rejected"), p + 1, gps_format_text(g),
             with_commas_of(g.sentences_accepted), with_commas_of(g.sentences_rejected));
    if (gps_maybe_other_format(g)) out.text(" (another format?)");
    if (g.buffer_full) out.text(" (its sentence buffer filled: nothing more of it was read)");
  }
}

void write_records_by_source(output_writer& out, const reader_stats& rs) {
  out.text("<table class=\"health\"><caption>Records by source</caption><tbody>");
  for (const source_row& row : source_table) {
    if (rs.by_type[row.type] == 0) continue;
    out.line(OUT_FORMAT("<tr><th scope=\"row\">{}</th><td>{}</td></tr>"), escaped_utf8(row.name),
             with_commas_of(rs.by_type[row.type]));
  }
  out.text("</tbody></table>");
}

void write_health_details(output_writer& out, const report_context& r) {
  const log_health& h = r.summary.health;
  const reader_stats& rs = h.reader;
  write_records_by_source(out, rs);
  out.line(OUT_FORMAT("<ul class=\"health\"><li>{} bytes read</li>"), with_commas_of(h.bytes));
  if (dropped_records(rs) > 0) {
    out.line(OUT_FORMAT("<li>Dropped: {} cut short, {} of length 0, {} oversized; the first at byte"),
             with_commas_of(rs.truncated), with_commas_of(rs.zero_length), with_commas_of(rs.oversized));
    for (std::uint32_t i = 0; i < rs.drops_noted; ++i) {
      out.line(OUT_FORMAT("{}{}"), i == 0 ? " " : ", ", rs.first_drop_offsets[i]);
    }
    out.text("</li>");
  }
  if (rs.largest_skip > 0) {
    out.line(OUT_FORMAT("<li>The longest damaged record length made the reader skip {} bytes at byte {}</li>"),
             with_commas_of(rs.largest_skip), rs.largest_skip_offset);
  }
  if (records_read_in_part(h)) {
    out.line(OUT_FORMAT("<li>Shorter than their layout (read as far as they go): {} EIS records, {} AHRS high-rate "
                        "messages</li>"),
             with_commas_of(h.short_eis_records), with_commas_of(h.short_ahrs_records));
  }
  if (h.time_backwards == 1) {
    out.line(OUT_FORMAT("<li>Time went back once, by up to {} s</li>"), shortest(h.largest_step_back_ms / 1000.0, 3));
  } else if (h.time_backwards > 1) {
    out.line(OUT_FORMAT("<li>Time went back {} times, by up to {} s</li>"), with_commas_of(h.time_backwards),
             shortest(h.largest_step_back_ms / 1000.0, 3));
  }
  for (std::size_t i = 0; i < periodic_source_count; ++i) {
    const source_gaps& g = h.gaps[i];
    if (g.count == 0) continue;
    out.line(OUT_FORMAT("<li>{}: {} gap{}, the longest {} s after {}</li>"),
             escaped_utf8(periodic_source_name(static_cast<periodic_source>(i))), with_commas_of(g.count),
             g.count == 1 ? "" : "s", shortest(g.longest_ms / 1000.0, 1), r.moment(r.moments.at(g.longest_at_ms, g.longest_at_segment)));
  }
  const std::uint64_t segments = r.summary.segments.size() + r.summary.segments_not_listed;
  if (segments > 1) {
    out.line(OUT_FORMAT("<li>{} segments: the EFIS was off between them (the charts show them side by side in "
                        "UTC, a break of more than 10 minutes cut out of the time axis and marked)</li>"),
             with_commas_of(segments));
  }
  if (const std::uint64_t jumps = r.summary.time.new_anchors) {
    out.line(OUT_FORMAT("<li>The GPS time jumped {} {}; the clock started again from it</li>"), with_commas_of(jumps),
             jumps == 1 ? "time" : "times");
  }
  if (r.summary.time.day_corrections) {
    out.line(OUT_FORMAT("<li>{} GPS dates a day off the time, corrected</li>"),
             with_commas_of(r.summary.time.day_corrections));
  }
  out.text("</ul>");
}

void write_flights_table(output_writer& out, const report_context& r) {
  const log_summary& s = r.summary;
  out.text(
      "<div class=\"scroll\"><table class=\"flights stack\"><thead><tr><th scope=\"col\"></th>"
      "<th scope=\"col\">Engine start</th><th scope=\"col\">Takeoff</th><th scope=\"col\">Landing</th>"
      "<th scope=\"col\">Engine stop</th><th scope=\"col\">Block</th><th scope=\"col\">Engine</th>"
      "<th scope=\"col\">Airborne</th><th scope=\"col\">Hobbs</th><th scope=\"col\">Fuel on board</th>"
      "<th scope=\"col\">Fuel used</th><th scope=\"col\">Distance</th>");
  if (s.airports) out.text("<th scope=\"col\">Route</th>");
  out.text("</tr></thead><tbody>");
  int n = 0;
  for (const flight_record& w : s.flights) flight_row(out, r, "Flight", ++n, w);
  n = 0;
  for (const flight_record& w : s.ground_runs) flight_row(out, r, "Ground run", ++n, w);
  out.text("</tbody></table></div>");
  write_logbook_table(out, r);
  if (s.windows_not_listed > 0) {
    out.line(OUT_FORMAT("<p>{} more flights and ground runs are not listed.</p>"),
             with_commas_of(s.windows_not_listed));
  }
}

// The limit an exceedance broke, in words: "CHT #3 above 400 °F when airborne".
std::string exceeded_limit_text(const aircraft_limit& limit, const exceedance& x, const std::string& unit) {
  std::string what(limit_display_name(limit.parameter));
  if (x.cylinder > 0) what += std::string(" #") + std::to_string(x.cylinder);
  what += is_maximum(limit.parameter) ? " above " : " below ";
  what += number_text(limit.value, 3) + " " + unit;
  const std::string condition = condition_text(limit.when);
  if (!condition.empty()) what += std::string(" when ") + condition;
  return what;
}

void write_exceedance_row(output_writer& out, const report_context& r, std::size_t i) {
  const log_summary& s = r.summary;
  const exceedance& x = s.exceedances[i];
  const aircraft_limit& limit = s.limits[x.limit_index];
  const std::string unit = display_unit(limit_unit_symbol(limit, s.units));
  const double seconds = seconds_from(x.start, x.end);
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> spans = r.axis.spans_of(x.start, x.end);
  out.line(OUT_FORMAT("<tr><th scope=\"row\" data-label=\"Exceedance\">{}</th>"), i + 1);
  open_cell(out, "Limit");
  out.line(OUT_FORMAT("{}</td>"), escaped_utf8(exceeded_limit_text(limit, x, unit)));
  open_cell(out, "Start");
  out.line(OUT_FORMAT("{}</td>"), r.moment(x.start));
  open_cell(out, "Duration");
  out.line(OUT_FORMAT("{}</td>"), duration_text(seconds));
  open_cell(out, "Peak");
  out.line(OUT_FORMAT("{} {} at {}</td>"), shortest(x.peak, 1), unit, r.moment(x.peak_at));
  open_cell(out, "Place");
  out.line(OUT_FORMAT("<a class=\"exceed\" href=\"#chart-{}\" data-band=\"x{}\" data-from=\"{}\" data-to=\"{}\">"
                      "show on the chart</a></td></tr>"),
           limit_chart(limit.parameter), i + 1, shortest(r.axis.x_of(spans.front().first), 1),
           shortest(r.axis.x_of(spans.back().second), 1));
}

void write_limits_checked(output_writer& out, const log_summary& s) {
  out.line(OUT_FORMAT("<p>{} limit{} checked: "), s.limits.size(), s.limits.size() == 1 ? "" : "s");
  for (std::size_t i = 0; i < s.limits.size(); ++i) {
    const aircraft_limit& limit = s.limits[i];
    out.line(OUT_FORMAT("{}<code>{} = {}"), i == 0 ? "" : ", ", limit_name(limit.parameter), shortest(limit.value, 3));
    if (limit.has_temperature_unit) out.line(OUT_FORMAT(" {}"), unit_symbol(limit.unit));
    const std::string condition = condition_text(limit.when);
    if (!condition.empty()) out.line(OUT_FORMAT(" when {}"), escaped_utf8(condition));
    out.text("</code>");
  }
  out.text(".</p>");
}

// The means (or greatest values) of the fitted cylinders, one after another.
void cylinders_cell(output_writer& out, std::string_view column, const measure_figures (&m)[cylinder_count],
                    bool greatest) {
  open_cell(out, column);
  bool any = false;
  for (const measure_figures& c : m) {
    if (c.count == 0) continue;
    out.line(OUT_FORMAT("{}{}"), any ? " " : "", fixed(greatest ? c.max : c.mean, 0));
    any = true;
  }
  out.line(OUT_FORMAT("{}</td>"), any ? "" : dash);
}

void spread_cell(output_writer& out, std::string_view column, const spread_figures& x) {
  open_cell(out, column);
  if (x.count == 0) {
    out.line(OUT_FORMAT("{}</td>"), dash);
  } else {
    out.line(OUT_FORMAT("{} / {}</td>"), fixed(x.mean, 0), fixed(x.max, 0));
  }
}

void mean_text(output_writer& out, const measure_figures& m, int decimals) {
  if (m.count == 0) {
    out.text(dash);
  } else {
    out.line(OUT_FORMAT("{}"), fixed(m.mean, decimals));
  }
}

void mean_cell(output_writer& out, std::string_view column, const measure_figures& m, int decimals) {
  open_cell(out, column);
  mean_text(out, m, decimals);
  out.text("</td>");
}

void phase_row(output_writer& out, const report_context& r, const phase_record& p) {
  const phase_figures& f = p.figures;
  const bool shown = r.overlaps(p.start, p.end);
  out.line(OUT_FORMAT("{}<th scope=\"row\">{}</th>"), shown ? "<tr>" : "<tr class=\"outside\">",
           flight_phase_display(p.kind));
  open_cell(out, "From");
  out.line(OUT_FORMAT("{}</td>"), r.moment(p.start));
  open_cell(out, "Time");
  out.line(OUT_FORMAT("{}</td>"),
           duration_text(seconds_from(p.start, p.end)));
  cylinders_cell(out, "CHT mean", f.cht, false);
  cylinders_cell(out, "CHT max", f.cht, true);
  spread_cell(out, "CHT spread", f.cht_spread);
  cylinders_cell(out, "EGT mean", f.egt, false);
  spread_cell(out, "EGT spread", f.egt_spread);
  open_cell(out, "Oil");
  mean_text(out, f.oil_temperature, 0);
  out.text(" / ");
  mean_text(out, f.oil_pressure_psi, 0);
  out.text("</td>");
  mean_cell(out, "Fuel flow", f.fuel_flow, 1);
  mean_cell(out, "RPM", f.rpm, 0);
  mean_cell(out, "MAP", f.manifold_pressure_inhg, 1);
  const cooling_figure* steepest = nullptr;
  for (const cooling_figure& c : f.cht_cooling) {
    if (c.has && (steepest == nullptr || c.per_minute > steepest->per_minute)) steepest = &c;
  }
  open_cell(out, "Cooling");
  if (steepest == nullptr) {
    out.line(OUT_FORMAT("{}</td></tr>"), dash);
  } else {
    out.line(OUT_FORMAT("{}</td></tr>"), fixed(steepest->per_minute, 0));
  }
}

}  // namespace

void write_phases_section(output_writer& out, const report_context& r) {
  const log_summary& s = r.summary;
  bool any = false;
  for (const std::vector<flight_record>* list : {&s.flights, &s.ground_runs}) {
    for (const flight_record& w : *list) any = any || !w.phases.empty();
  }
  if (!any) return;
  const std::string cht = display_unit(unit_symbol(s.units.cht));
  const std::string other = display_unit(unit_symbol(s.units.other_temperatures));
  out.text(
      "<section id=\"phases\"><h2>Flight phases</h2><p>The engine in each phase: means (and the greatest CHT) per "
      "fitted cylinder, the spread between the cylinders (mean / greatest), the steepest cooling of a head over "
      "60 s (negative: it warmed).</p>");
  out.line(OUT_FORMAT("<div class=\"scroll\"><table class=\"phases stack\"><thead><tr><th scope=\"col\">Phase</th>"
                      "<th scope=\"col\">From</th><th scope=\"col\">Time</th><th scope=\"col\">CHT mean ({})</th>"
                      "<th scope=\"col\">CHT max</th><th scope=\"col\">CHT spread</th><th scope=\"col\">EGT mean "
                      "({})</th><th scope=\"col\">EGT spread</th><th scope=\"col\">Oil ({} / psi)</th>"
                      "<th scope=\"col\">Fuel flow ({})</th><th scope=\"col\">RPM</th><th scope=\"col\">MAP (inHg)</th>"
                      "<th scope=\"col\">Cooling ({}/min)</th></tr></thead>"),
           cht, other, other, flow_unit_symbol(s.units.fuel), cht);
  const auto group = [&](std::string_view kind, const std::vector<flight_record>& list) {
    int n = 0;
    for (const flight_record& w : list) {
      ++n;
      if (w.phases.empty()) continue;
      out.line(OUT_FORMAT("<tbody><tr><th colspan=\"13\" scope=\"rowgroup\">{} {}</th></tr>"), kind, n);
      for (const phase_record& p : w.phases) phase_row(out, r, p);
      out.text("</tbody>");
    }
  };
  group("Flight", s.flights);
  group("Ground run", s.ground_runs);
  out.text("</table></div></section>\n");
}

void write_flights_section(output_writer& out, const report_context& r) {
  const log_summary& s = r.summary;
  out.text("<section id=\"flights\"><h2>Flights</h2>");
  if (s.flights.empty() && s.ground_runs.empty()) {
    out.text(s.log.figures.cht[0].has || s.log.figures.ias_kt.has || s.log.figures.ground_speed_kt.has
                 ? "<p>None: the engine never ran and the aircraft never flew.</p>"
                 : "<p>None: the LOG holds no engine or speed data.</p>");
  } else {
    write_flights_table(out, r);
  }
  out.text("<details class=\"health\"><summary><b>LOG health:</b> ");
  write_health_line(out, s.health);
  out.text("</summary>");
  write_health_details(out, r);
  out.text("</details></section>\n");
}

void write_limits_section(output_writer& out, const report_context& r) {
  const log_summary& s = r.summary;
  out.text("<section id=\"limits\"><h2>Limits</h2>");
  if (s.limits.empty()) {
    out.text(
        "<p>No limits file was given (<code>--limits FILE</code> checks the flights against the aircraft's "
        "limits).</p></section>\n");
    return;
  }
  write_limits_checked(out, s);
  std::size_t shown = 0;
  for (const exceedance& x : s.exceedances) shown += r.overlaps(x.start, x.end) ? 1 : 0;
  if (shown == 0) {
    out.text("<p class=\"ok\">No exceedance in this stretch of the LOG.</p></section>\n");
    return;
  }
  out.text(
      "<div class=\"scroll\"><table class=\"limits stack\"><thead><tr><th scope=\"col\">#</th><th scope=\"col\">Limit</th>"
      "<th scope=\"col\">Start</th><th scope=\"col\">Duration</th><th scope=\"col\">Peak</th>"
      "<th scope=\"col\">Place</th></tr></thead><tbody>");
  for (std::size_t i = 0; i < s.exceedances.size(); ++i) {
    if (r.overlaps(s.exceedances[i].start, s.exceedances[i].end)) write_exceedance_row(out, r, i);
  }
  out.text("</tbody></table></div>");
  if (s.exceedances_not_listed > 0) {
    out.line(OUT_FORMAT("<p>{} more exceedances are not listed.</p>"), with_commas_of(s.exceedances_not_listed));
  }
  out.text("</section>\n");
}
