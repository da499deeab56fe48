// The report's engine warnings: the rules checked and a table of the warnings and probe faults
// of the stretch shown, each linking to its band on the chart.
#include <algorithm>

#include "report/html/html_report_parts.h"

namespace {

void open_cell(output_writer& out, std::string_view column) { out.line(OUT_FORMAT("<td data-label=\"{}\">"), column); }

void write_warning_row(output_writer& out, const report_context& r, const engine_warning& x, std::size_t number) {
  const log_summary& s = r.summary;
  const aircraft_limit& rule = s.warnings_checked[warning_index(x.parameter)].limit;
  const std::string_view symbol = limit_unit_symbol(rule, s.units);
  const std::string unit = display_unit(symbol);
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> spans = r.axis.spans_of(x.start, x.end);
  out.line(OUT_FORMAT("<tr><th scope=\"row\" data-label=\"Warning\">{}</th>"), number);
  open_cell(out, "What");
  if (x.probe != probe_kind::none) out.text("Probe fault: ");
  out.line(OUT_FORMAT("{}</td>"), escaped_utf8(warning_rule_text(rule, unit)));
  open_cell(out, "Cylinder");
  if (x.probe != probe_kind::none) out.text(x.probe == probe_kind::cht ? "CHT " : "EGT ");
  if (x.cylinder > 0) out.line(OUT_FORMAT("#{}"), x.cylinder);
  if (x.parameter == limit_parameter::egt_spread_cruise && x.cylinder > 0) out.text(" hottest");
  out.text("</td>");
  open_cell(out, "Phase");
  if (x.phase < flight_phase_kind_count) out.text(flight_phase_display(static_cast<flight_phase_kind>(x.phase)));
  out.text("</td>");
  open_cell(out, "Start");
  out.line(OUT_FORMAT("{}</td>"), r.moment(x.start));
  open_cell(out, "End");
  out.line(OUT_FORMAT("{}</td>"), r.moment(x.end));
  open_cell(out, "Peak");
  out.line(OUT_FORMAT("{} {} at {}</td>"), shortest(x.peak, 1), unit, r.moment(x.peak_at));
  open_cell(out, "Place");
  if (spans.empty()) {
    out.text("</td></tr>");
    return;
  }
  out.line(OUT_FORMAT("<a class=\"exceed\" href=\"#chart-{}\" data-band=\"w{}\" data-from=\"{}\" data-to=\"{}\">"
                      "show on the chart</a></td></tr>"),
           warning_chart(x), number, shortest(r.axis.x_of(spans.front().first), 1),
           shortest(r.axis.x_of(spans.back().second), 1));
}

}  // namespace

std::vector<const engine_warning*> report_warnings(const log_summary& s) {
  std::vector<const engine_warning*> list;
  for (const std::vector<flight_record>* windows : {&s.flights, &s.ground_runs}) {
    for (const flight_record& w : *windows) {
      for (const engine_warning& x : w.warnings) list.push_back(&x);
    }
  }
  std::stable_sort(list.begin(), list.end(), [](const engine_warning* a, const engine_warning* b) {
    return log_order(a->start) < log_order(b->start);
  });
  return list;
}

std::string_view warning_chart(const engine_warning& w) {
  if (w.probe == probe_kind::cht) return "cht";
  if (w.probe == probe_kind::egt) return "egt";
  return limit_chart(w.parameter);
}

void write_warnings_section(output_writer& out, const report_context& r) {
  const log_summary& s = r.summary;
  out.text("<section id=\"warnings\"><h2>Engine warnings</h2><p>Checked: ");
  for (std::size_t i = 0; i < s.warnings_checked.size(); ++i) {
    const aircraft_limit& rule = s.warnings_checked[i].limit;
    if (i > 0) out.text("; ");
    out.line(OUT_FORMAT("{}"), escaped_utf8(warning_rule_text(rule, display_unit(limit_unit_symbol(rule, s.units)))));
  }
  out.text(" (<code>--limits FILE</code> changes them).</p>");
  const std::vector<const engine_warning*> list = report_warnings(s);
  const auto shown = std::count_if(list.begin(), list.end(),
                                   [&r](const engine_warning* x) { return r.overlaps(x->start, x->end); });
  if (shown == 0) {
    out.text("<p class=\"ok\">No engine warning in this stretch of the LOG.</p></section>\n");
    return;
  }
  out.text(
      "<div class=\"scroll\"><table class=\"limits stack\"><thead><tr><th scope=\"col\">#</th>"
      "<th scope=\"col\">What</th><th scope=\"col\">Cylinder</th><th scope=\"col\">Phase</th>"
      "<th scope=\"col\">Start</th><th scope=\"col\">End</th><th scope=\"col\">Peak</th>"
      "<th scope=\"col\">Place</th></tr></thead><tbody>");
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (r.overlaps(list[i]->start, list[i]->end)) write_warning_row(out, r, *list[i], i + 1);
  }
  out.text("</tbody></table></div>");
  if (s.warnings_not_listed > 0) {
    out.line(OUT_FORMAT("<p>{} more engine warnings are not listed.</p>"), with_commas_of(s.warnings_not_listed));
  }
  out.text("</section>\n");
}
