// The logbook table of the HTML report: one row per flight, as a pilot's logbook holds it.
#include "analysis/logbook_local.h"
#include "export/html_report_parts.h"
#include "export/html_text.h"
#include "text/local_time_text.h"

namespace {

constexpr const char* dash = "\xE2\x80\x94";

std::string cell(const char* column, const std::string& content) {
  return std::string("<td data-label=\"") + column + "\">" + content + "</td>";
}

// Local time above UTC, or UTC alone.
std::string time_cell(const report_context& r, const char* column, const std::optional<log_event>& e,
                      const std::optional<local_offset>& offset) {
  if (!e) return cell(column, dash);
  if (!offset) return cell(column, r.moment(e->when));
  return cell(column, html_escaped(local_time_text(e->when.utc_ms, offset->utc_offset_s, offset->abbreviation())) +
                          "<br><small>" + r.moment(e->when) + "</small>");
}

std::string count_text(const landing_count& c) {
  return std::to_string(c.day) + " day, " + std::to_string(c.night) + " night";
}

void logbook_row_html(std::string& out, const report_context& r, int number, const flight_record& w) {
  const logbook_row& row = w.logbook;
  const logbook_local& local = row.local;
  out += std::string("<tr><th scope=\"row\">Flight ") + std::to_string(number) + "</th>";
  const std::string date = logbook_date(row);
  std::string date_text = date.empty() ? std::string(dash) : date;
  if (!date.empty()) {
    date_text += local.source == zone_source::none
                     ? "<br><small>UTC: no local time</small>"
                     : "<br><small>" + html_escaped(local.departure_zone.empty() ? local.arrival_zone
                                                                                 : local.departure_zone) +
                           "</small>";
  }
  out += cell("Date", date_text);
  out += time_cell(r, "Out", row.out, local.out);
  out += time_cell(r, "Off", row.off, local.off);
  out += time_cell(r, "On", row.on, local.on);
  out += time_cell(r, "In", row.in, local.in);
  out += cell("Total", row.total_time_s ? duration_text(*row.total_time_s) : std::string(dash));
  out += cell("Night", row.night_time_s ? duration_text(*row.night_time_s) : std::string(dash));
  std::string landings = std::to_string(row.landing_total());
  if (row.full_stop.total() > 0) landings += "<br><small>full stop " + count_text(row.full_stop) + "</small>";
  if (row.touch_and_go.total() > 0) landings += "<br><small>touch-and-go " + count_text(row.touch_and_go) + "</small>";
  out += cell("Landings", landings);
  std::string cross = row.cross_country ? std::string("yes") : std::string("no");
  if (row.farthest_landing_nm) cross += "<br><small>" + fixed_text(*row.farthest_landing_nm, 1) + " nm</small>";
  out += cell("Cross-country", cross) + "</tr>";
}

}  // namespace

void append_logbook_table(std::string& out, const report_context& r) {
  const log_summary& s = r.summary;
  if (s.flights.empty()) return;
  out +=
      "<h3>Logbook</h3><div class=\"scroll\"><table class=\"flights logbook stack\"><thead><tr>"
      "<th scope=\"col\"></th><th scope=\"col\">Date</th><th scope=\"col\">Out</th><th scope=\"col\">Off</th>"
      "<th scope=\"col\">On</th><th scope=\"col\">In</th><th scope=\"col\">Total</th><th scope=\"col\">Night</th>"
      "<th scope=\"col\">Landings</th><th scope=\"col\">Cross-country</th></tr></thead><tbody>";
  int n = 0;
  for (const flight_record& w : s.flights) logbook_row_html(out, r, ++n, w);
  out += "</tbody></table></div>";
}
