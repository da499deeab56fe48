// The logbook table of the HTML report: one row per flight, as a pilot's logbook holds it.
#include "analysis/logbook_local.h"
#include "report/html/html_report_parts.h"
#include "text/local_time_text.h"

namespace {

constexpr std::string_view dash = "\xE2\x80\x94";

void open_cell(output_writer& out, std::string_view column) { out.line(OUT_FORMAT("<td data-label=\"{}\">"), column); }

// Local time above UTC, or UTC alone.
void time_cell(output_writer& out, const report_context& r, std::string_view column, const std::optional<log_event>& e,
               const std::optional<local_offset>& offset) {
  open_cell(out, column);
  if (!e) {
    out.line(OUT_FORMAT("{}</td>"), dash);
  } else if (!offset) {
    out.line(OUT_FORMAT("{}</td>"), r.moment(e->when));
  } else {
    out.line(OUT_FORMAT("{}<br><small>{}</small></td>"),
             escaped_utf8(local_time_text(e->when.utc_ms, offset->utc_offset_s, offset->abbreviation())),
             r.moment(e->when));
  }
}

void duration_cell(output_writer& out, std::string_view column, const std::optional<double>& seconds) {
  open_cell(out, column);
  out.line(OUT_FORMAT("{}</td>"), seconds ? duration_text(*seconds) : std::string(dash));
}

void logbook_row_html(output_writer& out, const report_context& r, int number, const flight_record& w) {
  const logbook_row& row = w.logbook;
  const logbook_local& local = row.local;
  out.line(OUT_FORMAT("<tr><th scope=\"row\">Flight {}</th>"), number);
  open_cell(out, "Date");
  const std::string date = logbook_date(row);
  if (date.empty()) {
    out.text(dash);
  } else if (!logbook_date_is_local(row)) {
    out.line(OUT_FORMAT("{}<br><small>UTC: no local time at the departure</small>"), date);
  } else {
    out.line(OUT_FORMAT("{}<br><small>{}</small>"), date,
             escaped_utf8(local.departure_zone.empty() ? local.arrival_zone : local.departure_zone));
  }
  out.text("</td>");
  time_cell(out, r, "Out", row.out, local.out);
  time_cell(out, r, "Off", row.off, local.off);
  time_cell(out, r, "On", row.on, local.on);
  time_cell(out, r, "In", row.in, local.in);
  duration_cell(out, "Total", row.total_time_s);
  duration_cell(out, "Night", row.night_time_s);
  open_cell(out, "Landings");
  out.line(OUT_FORMAT("{}"), row.landing_total());
  const struct {
    std::string_view kind;
    const landing_count& count;
  } kinds[] = {{"full stop", row.full_stop}, {"touch-and-go", row.touch_and_go}};
  for (const auto& k : kinds) {
    if (k.count.total() > 0) {
      out.line(OUT_FORMAT("<br><small>{} {} day, {} night</small>"), k.kind, k.count.day, k.count.night);
    }
  }
  out.text("</td>");
  open_cell(out, "Cross-country");
  out.text(row.cross_country ? "yes" : "no");
  if (row.farthest_landing_nm) out.line(OUT_FORMAT("<br><small>{} nm</small>"), fixed(*row.farthest_landing_nm, 1));
  out.text("</td></tr>");
}

}  // namespace

void write_logbook_table(output_writer& out, const report_context& r) {
  const log_summary& s = r.summary;
  if (s.flights.empty()) return;
  out.text(
      "<h3>Logbook</h3><div class=\"scroll\"><table class=\"flights logbook stack\"><thead><tr>"
      "<th scope=\"col\"></th><th scope=\"col\">Date</th><th scope=\"col\">Out</th><th scope=\"col\">Off</th>"
      "<th scope=\"col\">On</th><th scope=\"col\">In</th><th scope=\"col\">Total</th><th scope=\"col\">Night</th>"
      "<th scope=\"col\">Landings</th><th scope=\"col\">Cross-country</th></tr></thead><tbody>");
  int n = 0;
  for (const flight_record& w : s.flights) logbook_row_html(out, r, ++n, w);
  out.text("</tbody></table></div>");
}
