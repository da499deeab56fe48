// The tables of the HTML report: the flights and ground runs, the LOG's health, the
// exceedances of the aircraft limits.
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "decode/source_table.h"
#include "export/html_report_parts.h"
#include "export/html_text.h"

namespace {

std::string place(const log_event& e) {
  if (!e.has_position) return "";
  char text[64];
  std::snprintf(text, sizeof text, "%.5f %c %.5f %c", std::fabs(e.position.latitude_deg),
                e.position.latitude_deg < 0 ? 'S' : 'N', std::fabs(e.position.longitude_deg),
                e.position.longitude_deg < 0 ? 'W' : 'E');
  return text;
}

// A cell of a table that a narrow screen shows as one block per row: the cell carries its
// column's name, which the style sheet writes before it there.
std::string open_cell(const char* column) { return std::string("<td data-label=\"") + column + "\">"; }

std::string event_cell(const report_context& r, const char* column, const std::optional<log_event>& e,
                       const char* missing) {
  if (!e) return open_cell(column) + missing + "</td>";
  std::string cell = open_cell(column) + r.moment(e->when);
  const std::string where = place(*e);
  if (!where.empty()) cell += std::string("<br><small>") + where + "</small>";
  return cell + "</td>";
}

std::string fuel_text(const report_context& r, const flight_record& w) {
  const std::string unit = r.summary.units.fuel == fluid_unit::litres ? " L" : " gal";
  std::string text;
  if (w.fuel_used_from_flow) text += fixed_text(*w.fuel_used_from_flow, 1) + unit + " by flow";
  if (w.fuel_used_from_quantity) {
    text += (text.empty() ? "" : "<br>") + fixed_text(*w.fuel_used_from_quantity, 1) + unit + " by quantity";
  }
  return text.empty() ? "\xE2\x80\x94" : text;
}

void flight_row(std::string& out, const report_context& r, const std::string& title, const flight_record& w) {
  const bool shown = r.overlaps(w.start_ms, w.end_ms);
  out += shown ? "<tr>" : "<tr class=\"outside\">";
  out += std::string("<th scope=\"row\">") + title + "</th>";
  out += event_cell(r, "Engine start", w.engine_start, "no engine data");
  out += event_cell(r, "Takeoff", w.takeoff, "\xE2\x80\x94");
  out += event_cell(r, "Landing", w.landing, w.is_flight() ? "end of LOG (airborne)" : "\xE2\x80\x94");
  out += event_cell(r, "Engine stop", w.engine_stop, w.engine_running_at_end ? "end of LOG (running)" : "\xE2\x80\x94");
  out += open_cell("Block") + (w.block_time_s ? duration_text(*w.block_time_s) : std::string("\xE2\x80\x94")) + "</td>";
  out += open_cell("Flight") + (w.is_flight() ? duration_text(w.flight_time_s) : std::string("\xE2\x80\x94"));
  if (w.airborne_periods > 1)
    out += std::string("<br><small>") + std::to_string(w.airborne_periods) + " takeoffs</small>";
  out +=
      "</td>" + open_cell("Engine") + (w.engine_start ? duration_text(w.engine_time_s) : std::string("\xE2\x80\x94"));
  if (w.engine_runs > 1) out += std::string("<br><small>") + std::to_string(w.engine_runs) + " engine runs</small>";
  out += "</td>" + open_cell("Fuel used") + fuel_text(r, w) + "</td>";
  out += open_cell("Distance") + (w.distance_nm ? fixed_text(*w.distance_nm, 1) + " nm" : std::string("\xE2\x80\x94")) +
         "</td></tr>";
}

// The health in one line, as orvexdecode-info tells it.
std::string health_line(const log_health& h) {
  const reader_stats& r = h.reader;
  const std::uint64_t dropped = r.truncated + r.zero_length + r.oversized;
  std::string text =
      with_commas(r.records) + " records, " + (dropped == 0 ? std::string("none") : with_commas(dropped)) + " dropped";
  if (h.unknown_source_records) text += std::string(", ") + with_commas(h.unknown_source_records) + " of unknown types";
  if (h.short_eis_records + h.short_ahrs_records) {
    text += std::string(", ") + with_commas(h.short_eis_records + h.short_ahrs_records) + " read in part";
  }
  text += h.time_backwards == 0   ? std::string(", time never went back")
          : h.time_backwards == 1 ? std::string(", time went back once")
                                  : std::string(", time went back ").append(with_commas(h.time_backwards)) + " times";
  if (r.input_error) text += ", reading stopped on a read error";
  if (r.largest_skip > 1'000'000) text += ", " + with_commas(r.largest_skip) + " bytes skipped after a damaged length";
  std::uint64_t gaps = 0;
  for (const source_gaps& g : h.gaps) gaps += g.count;
  char limit[32];
  std::snprintf(limit, sizeof limit, "%g", h.gap_limit_ms / 1000.0);
  text += gaps == 0 ? std::string("; no gaps over ") + limit + " s"
                    : std::string("; ") + with_commas(gaps) + " gap" + (gaps == 1 ? "" : "s") + " over " + limit + " s";
  for (std::size_t p = 0; p < 2; ++p) {
    const gps_port_health& g = h.gps[p];
    if (g.format == 0) continue;
    text += std::string("; GPS ") + std::to_string(p + 1) +
            (g.format == ORVEX_GPS_FORMAT_NMEA ? " NMEA " : " aviation ") + with_commas(g.sentences_accepted) +
            " accepted, " + with_commas(g.sentences_rejected) + " rejected";
    if (g.sentences_accepted == 0 && g.sentences_rejected > 0) text += " (another format?)";
    if (g.buffer_full) text += " (its sentence buffer filled: nothing more of it was read)";
  }
  return text;
}

void health_details(std::string& out, const report_context& r) {
  const log_health& h = r.summary.health;
  const reader_stats& rs = h.reader;
  out += "<table class=\"health\"><caption>Records by source</caption><tbody>";
  for (const source_row& row : source_table) {
    if (rs.by_type[row.type] == 0) continue;
    out += std::string("<tr><th scope=\"row\">") + html_escaped(row.name) + "</th><td>" +
           with_commas(rs.by_type[row.type]) + "</td></tr>";
  }
  out += "</tbody></table><ul class=\"health\">";
  out += std::string("<li>") + with_commas(h.bytes) + " bytes read</li>";
  const std::uint64_t dropped = rs.truncated + rs.zero_length + rs.oversized;
  if (dropped > 0) {
    out += std::string("<li>Dropped: ") + with_commas(rs.truncated) + " cut short, " + with_commas(rs.zero_length) +
           " of length 0, " + with_commas(rs.oversized) + " oversized; the first at byte";
    for (std::uint32_t i = 0; i < rs.drops_noted; ++i)
      out += (i == 0 ? " " : ", ") + std::to_string(rs.first_drop_offsets[i]);
    out += "</li>";
  }
  if (rs.largest_skip > 0) {
    out += std::string("<li>The longest damaged record length made the reader skip ") + with_commas(rs.largest_skip) +
           " bytes at byte " + std::to_string(rs.largest_skip_offset) + "</li>";
  }
  if (h.short_eis_records + h.short_ahrs_records) {
    out += std::string("<li>Shorter than their layout (read as far as they go): ") + with_commas(h.short_eis_records) +
           " EIS records, " + with_commas(h.short_ahrs_records) + " AHRS high-rate messages</li>";
  }
  if (h.time_backwards) {
    out += "<li>Time went back " +
           (h.time_backwards == 1 ? std::string("once") : with_commas(h.time_backwards).append(" times")) +
           ", by up to " + number_text(h.largest_step_back_ms / 1000.0, 3) + " s</li>";
  }
  for (std::size_t i = 0; i < periodic_source_count; ++i) {
    const source_gaps& g = h.gaps[i];
    if (g.count == 0) continue;
    log_instant at{g.longest_at_ms, false, 0};
    if (r.summary.time.first.has_utc) {
      at.has_utc = true;
      at.utc_ms = r.summary.time.first.utc_ms + (std::int64_t{g.longest_at_ms} - r.summary.time.first.log_ms);
    }
    out += std::string("<li>") + html_escaped(periodic_source_name(static_cast<periodic_source>(i))) + ": " +
           with_commas(g.count) + " gap" + (g.count == 1 ? "" : "s") + ", the longest " +
           number_text(g.longest_ms / 1000.0, 1) + " s after " + r.moment(at) + "</li>";
  }
  if (r.summary.time.day_corrections) {
    out += std::string("<li>") + with_commas(r.summary.time.day_corrections) +
           " GPS dates a day off the time, corrected</li>";
  }
  out += "</ul>";
}

}  // namespace

void append_flights_section(std::string& out, const report_context& r) {
  const log_summary& s = r.summary;
  out += "<section id=\"flights\"><h2>Flights</h2>";
  if (s.flights.empty() && s.ground_runs.empty()) {
    out += s.log.figures.cht[0].has || s.log.figures.ias_kt.has || s.log.figures.ground_speed_kt.has
               ? "<p>None: the engine never ran and the aircraft never flew.</p>"
               : "<p>None: the LOG holds no engine or speed data.</p>";
  } else {
    out +=
        "<div class=\"scroll\"><table class=\"flights stack\"><thead><tr><th scope=\"col\"></th>"
        "<th scope=\"col\">Engine start</th><th scope=\"col\">Takeoff</th><th scope=\"col\">Landing</th>"
        "<th scope=\"col\">Engine stop</th><th scope=\"col\">Block</th><th scope=\"col\">Flight</th>"
        "<th scope=\"col\">Engine</th><th scope=\"col\">Fuel used</th><th "
        "scope=\"col\">Distance</th></tr></thead><tbody>";
    int n = 0;
    for (const flight_record& w : s.flights) flight_row(out, r, std::string("Flight ") + std::to_string(++n), w);
    n = 0;
    for (const flight_record& w : s.ground_runs)
      flight_row(out, r, std::string("Ground run ") + std::to_string(++n), w);
    out += "</tbody></table></div>";
    append_logbook_table(out, r);
    if (s.windows_not_listed > 0) {
      out +=
          std::string("<p>") + with_commas(s.windows_not_listed) + " more flights and ground runs are not listed.</p>";
    }
  }
  out += std::string("<details class=\"health\"><summary><b>LOG health:</b> ") + health_line(s.health) + "</summary>";
  health_details(out, r);
  out += "</details></section>\n";
}

void append_limits_section(std::string& out, const report_context& r) {
  const log_summary& s = r.summary;
  out += "<section id=\"limits\"><h2>Limits</h2>";
  if (s.limits.empty()) {
    out +=
        "<p>No limits file was given (<code>--limits FILE</code> checks the flights against the aircraft's "
        "limits).</p></section>\n";
    return;
  }
  std::string rows;
  std::size_t shown = 0;
  for (std::size_t i = 0; i < s.exceedances.size(); ++i) {
    const exceedance& x = s.exceedances[i];
    if (!r.overlaps(x.start.log_ms, x.end.log_ms)) continue;
    ++shown;
    const aircraft_limit& limit = s.limits[x.limit_index];
    const std::string unit = display_unit(limit_unit_symbol(limit, s.units));
    std::string what(limit_display_name(limit.parameter));
    if (x.cylinder > 0) what += std::string(" #") + std::to_string(x.cylinder);
    what += is_maximum(limit.parameter) ? " above " : " below ";
    what += number_text(limit.value, 3) + " " + unit;
    const std::string condition = condition_text(limit.when);
    if (!condition.empty()) what += std::string(" when ") + condition;
    const double seconds = x.end.log_ms > x.start.log_ms ? (x.end.log_ms - x.start.log_ms) / 1000.0 : 0.0;
    const std::string id = std::string("x") + std::to_string(i + 1);
    rows += std::string("<tr><th scope=\"row\" data-label=\"Exceedance\">") + std::to_string(i + 1) + "</th>" +
            open_cell("Limit") + html_escaped(what) + "</td>" + open_cell("Start") + r.moment(x.start) + "</td>" +
            open_cell("Duration") + duration_text(seconds) + "</td>" + open_cell("Peak") + number_text(x.peak, 1) +
            " " + unit + " at " + r.moment(x.peak_at) + "</td>" + open_cell("Place") +
            "<a class=\"exceed\" href=\"#chart-" + std::string(limit_chart(limit.parameter)) + "\" data-band=\"" + id +
            "\" data-from=\"";
    append_number(rows, r.axis.x_of(x.start.log_ms), 1);
    rows += "\" data-to=\"";
    append_number(rows, r.axis.x_of(x.end.log_ms), 1);
    rows += "\">show on the chart</a></td></tr>";
  }
  out += std::string("<p>") + std::to_string(s.limits.size()) + " limit" + (s.limits.size() == 1 ? "" : "s") +
         " checked: ";
  for (std::size_t i = 0; i < s.limits.size(); ++i) {
    const aircraft_limit& limit = s.limits[i];
    out += (i == 0 ? "<code>" : ", <code>") + std::string(limit_name(limit.parameter)) + " = " +
           number_text(limit.value, 3);
    if (limit.has_temperature_unit) out += std::string(" ") + std::string(unit_symbol(limit.unit));
    const std::string condition = condition_text(limit.when);
    if (!condition.empty()) out += std::string(" when ") + html_escaped(condition);
    out += "</code>";
  }
  out += ".</p>";
  if (shown == 0) {
    out += "<p class=\"ok\">No exceedance in this stretch of the LOG.</p></section>\n";
    return;
  }
  out +=
      "<div class=\"scroll\"><table class=\"limits stack\"><thead><tr><th scope=\"col\">#</th><th scope=\"col\">Limit</th>"
      "<th scope=\"col\">Start</th><th scope=\"col\">Duration</th><th scope=\"col\">Peak</th>"
      "<th scope=\"col\">Place</th></tr></thead><tbody>" +
      rows + "</tbody></table></div>";
  if (s.exceedances_not_listed > 0) {
    out += std::string("<p>") + with_commas(s.exceedances_not_listed) + " more exceedances are not listed.</p>";
  }
  out += "</section>\n";
}
