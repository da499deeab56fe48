#include "report/html/html_report.h"

#include <algorithm>

#include "orvexdecode_version.h"
#include "report/html/chart_geometry.h"
#include "report/html/html_report_parts.h"

namespace {

std::string temperature_unit_text(temperature_unit u) { return display_unit(unit_symbol(u)); }

time_axis axis_of(const report_data& d) {
  time_axis axis;
  static_cast<report_axis&>(axis) = d.axis;
  axis.x_decimals = d.buckets.width_ms >= 200 ? 1 : d.buckets.width_ms >= 20 ? 2 : 3;
  return axis;
}

void write_page_head(output_writer& out, const report_context& r, const html_report_input& in) {
  out.line(OUT_FORMAT("<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                      "<meta name=\"generator\" content=\"OrvexDecode {}\">"
                      "<link rel=\"icon\" href=\"data:,\"><title>Flight report: {}"),
           std::string_view(ORVEXDECODE_VERSION), escaped_utf8(in.log_name));
  if (!r.moments.first_day().empty()) out.line(OUT_FORMAT(", {}"), r.moments.first_day());
  out.text("</title>\n<style>\n");
  out.text(report_page_css);
  out.text("</style></head>\n<body>\n");
}

// The LOG's date and span, the stretch shown and the aircraft's settings.
void write_header(output_writer& out, const report_context& r, const html_report_input& in) {
  const log_summary& s = r.summary;
  const log_time_span& t = s.time;
  out.line(OUT_FORMAT("<header><h1>Flight report <span class=\"file\">{}</span></h1><dl class=\"facts\">"
                      "<dt>Time</dt><dd>"),
           escaped_utf8(in.log_name));
  if (!t.has_records) {
    out.text("the LOG holds no records");
  } else {
    if (t.first.has_utc) out.line(OUT_FORMAT("{} "), r.moments.first_day());
    out.line(OUT_FORMAT("{} to {} ({})"), r.moment(t.first), r.moment(t.last), duration_text(t.span_s));
    out.text(t.source == utc_source::gps ? ", UTC from GPS"
             : t.source == utc_source::user
                 ? ", UTC from --utc-start"
                 : "; the LOG has no GPS time, so times are LOG times (--utc-start sets one)");
  }
  out.text("</dd><dt>Shown</dt><dd>");
  if (in.window_label.empty()) {
    out.text("the whole LOG");
  } else {
    out.line(OUT_FORMAT("{}"), escaped_utf8(in.window_label));
  }
  if (r.axis.span_ms > 0) {
    // The time shown: the axis without the room its cuts take.
    const auto cuts =
        std::count_if(r.axis.pieces.begin(), r.axis.pieces.end(), [](const axis_piece& p) { return p.cut_before; });
    out.line(OUT_FORMAT(", {} to {} ({})"), r.axis.moment_text(0), r.axis.moment_text(r.axis.span_ms),
             duration_text(r.axis.span_s() - static_cast<double>(cuts) * r.axis.cut_ms / 1000.0));
  } else {
    out.text(": no record of the LOG lies in it");
  }
  out.text("</dd><dt>Aircraft</dt><dd>");
  if (s.cylinders > 0) out.line(OUT_FORMAT("{} cylinders; "), s.cylinders);
  const engine_units& u = s.units;
  if (u.cht == u.other_temperatures) {
    out.line(OUT_FORMAT("temperatures {}"), temperature_unit_text(u.cht));
  } else {
    out.line(OUT_FORMAT("CHT {}, other temperatures {}"), temperature_unit_text(u.cht),
             temperature_unit_text(u.other_temperatures));
  }
  if (u.temperature_assumed) out.text(" (assumed: the LOG does not say)");
  out.text(u.fuel == fluid_unit::litres ? ", fuel in litres" : ", fuel in US gallons");
  if (u.fluid_assumed) out.text(" (assumed: the LOG does not say)");
  if (s.units_changed) out.text("; the LOG changes units: later values converted");
  out.line(OUT_FORMAT("</dd><dt>Decoder</dt><dd>OrvexDecode {}</dd></dl></header>\n"),
           std::string_view(ORVEXDECODE_VERSION));
}

// The charts on one time axis. The section carries what the script needs to read them: each
// piece of the time axis (where it begins on the axis and its clock there, in seconds; u for
// UTC, l for LOG time; c when the time before it is cut out), the room of a cut, the bucket
// width and the gap limit in seconds, and the charts' geometry.
void write_charts_section(output_writer& out, const report_context& r, const report_data& d) {
  const time_axis& axis = r.axis;
  out.text("<section id=\"charts\" data-axis=\"");
  for (const axis_piece& p : axis.pieces) {
    out.line(OUT_FORMAT("{}{},{},{}{}"), &p == &axis.pieces.front() ? "" : " ", shortest(p.axis_ms / 1000.0, 3),
             shortest(p.has_utc ? static_cast<double>(p.utc_ms) / 1000.0 : p.from_ms / 1000.0, 3),
             p.has_utc ? "u" : "l", p.cut_before ? "c" : "");
  }
  out.line(OUT_FORMAT("\" data-cut=\"{}\" data-bucket=\"{}\" data-gap=\"{}\""), shortest(axis.cut_ms / 1000.0, 3),
           shortest(d.buckets.width_ms / 1000.0, 3), shortest(r.summary.health.gap_limit_ms / 1000.0, 3));
  write_chart_geometry(out);
  out.text("><h2>Charts</h2>");
  const std::vector<chart_plan> plans = chart_plans(r, d);
  if (std::any_of(plans.begin(), plans.end(), [](const chart_plan& p) { return p.has_data; })) {
    out.text(
        "<p class=\"toolbar\">Drag across a chart to zoom every chart; double-click a chart or "
        "<button type=\"button\" id=\"show-all\">show all</button>. The values under the cursor show above "
        "each chart and on the map.</p>\n");
  }
  for (const chart_plan& plan : plans) {
    const chart_design& c = plan.design;
    if (plan.has_data) {
      write_svg_chart(out, c, axis);
      continue;
    }
    out.line(OUT_FORMAT("<figure class=\"chart empty\" id=\"chart-{}\"><figcaption><h3>{}</h3><p class=\"alt\">"
                        "The LOG holds no data for this chart in this stretch.</p></figcaption></figure>\n"),
             c.id, escaped_utf8(c.title));
  }
  std::uint64_t outside = 0;
  for (const chart_series& series : d.series) outside += series.values_outside();
  if (outside > 0) {
    out.line(OUT_FORMAT("<p class=\"note\">{} values are stamped outside the time axis (the LOG's time went back) and "
                        "are not drawn.</p>\n"),
             with_commas_of(outside));
  }
  out.text("</section>\n");
}

void write_footer(output_writer& out, const report_context& r, const report_data& d) {
  out.line(OUT_FORMAT("<footer><p>Written by OrvexDecode {} from the LOG alone: the page asks for nothing outside "
                      "this file. Times are UTC{}. Each chart keeps the lowest and highest value of every {} s, so no "
                      "peak is lost; a source silent for more than {} s leaves a gap in its line.</p>"),
           std::string_view(ORVEXDECODE_VERSION),
           r.axis.has_utc() ? "" : " where the LOG has GPS time (this one does not: LOG times)",
           shortest(d.buckets.width_ms / 1000.0, 3), shortest(r.summary.health.gap_limit_ms / 1000.0, 1));
  write_airport_attribution(out, r);
  out.text("</footer>\n");
}

}  // namespace

int write_html_report(output_writer& out, const html_report_input& in) {
  const log_summary& s = *in.summary;
  const report_data& d = *in.data;
  const time_axis axis = axis_of(d);
  const report_context r{s, axis, moment_reader(s)};
  write_page_head(out, r, in);
  write_header(out, r, in);
  out.text("<main>\n");
  write_flights_section(out, r);
  write_limits_section(out, r);
  write_warnings_section(out, r);
  write_phases_section(out, r);
  write_charts_section(out, r, d);
  out.text("<section id=\"track\"><h2>Track</h2>\n");
  write_svg_track_map(out, d.track, map_marks(r), axis);
  out.text("</section>\n</main>\n");
  write_footer(out, r, d);
  out.text("<script>\n");
  out.text(report_page_script);
  return out.text("</script>\n</body></html>\n");
}
