#include "export/html_report.h"

#include <algorithm>
#include <array>

#include "export/html_report_parts.h"
#include "export/html_text.h"
#include "export/svg_track_map.h"
#include "orvexdecode_version.h"

namespace {

std::string temperature_unit_text(temperature_unit u) { return display_unit(unit_symbol(u)); }

// The cylinders drawn: those the LOG says are fitted, else those that read above 0.
std::size_t cylinders_drawn(const log_summary& s, const report_data& d) {
  if (s.cylinders > 0) return std::min<std::size_t>(static_cast<std::size_t>(s.cylinders), 6);
  std::size_t shown = 0;
  for (std::size_t i = 0; i < 6; ++i) {
    const chart_series& c = d[cht_series(i)];
    const chart_series& e = d[egt_series(i)];
    if ((!c.empty() && c.highest().value > 0) || (!e.empty() && e.highest().value > 0)) shown = i + 1;
  }
  return shown;
}

// The engine running on the ground and the airborne time, shading the whole plot; then the
// flight phases as strips at its foot.
std::vector<chart_band> phase_bands(const report_context& r) {
  std::vector<chart_band> bands;
  const auto add = [&](std::uint32_t from, std::uint32_t to, const char* kind, const std::string& title) {
    if (to > from && r.overlaps(from, to)) bands.push_back({from, to, kind, title, ""});
  };
  for (const std::vector<flight_record>* list : {&r.summary.flights, &r.summary.ground_runs}) {
    for (const flight_record& w : *list) {
      if (!w.is_flight()) {
        add(w.start_ms, w.end_ms, "engine",
            std::string("Ground run ") + r.axis.moment_text(w.start_ms) + " to " + r.axis.moment_text(w.end_ms));
        continue;
      }
      const std::uint32_t up = w.takeoff ? w.takeoff->when.log_ms : w.start_ms;
      const std::uint32_t down = w.landing && !w.airborne_at_end ? w.landing->when.log_ms : w.end_ms;
      add(w.start_ms, up, "engine", "Engine running before the takeoff");
      add(up, down, "air", std::string("Airborne ") + r.axis.moment_text(up) + " to " + r.axis.moment_text(down));
      add(down, w.end_ms, "engine", "Engine running after the landing");
    }
  }
  // Each flight's and ground run's phases, as strips at the foot (after the shading above).
  for (const std::vector<flight_record>* list : {&r.summary.flights, &r.summary.ground_runs}) {
    for (const flight_record& w : *list) {
      for (const phase_record& p : w.phases) {
        const std::uint32_t from = p.start.log_ms;
        const std::uint32_t to = std::max(p.end.log_ms, from);
        if (!r.overlaps(from, to == from ? to + 1 : to)) continue;
        chart_band band{from, to, std::string(flight_phase_name(p.kind)),
                        std::string(flight_phase_display(p.kind)) + " " + r.axis.moment_text(from) + " to " +
                            r.axis.moment_text(to),
                        ""};
        band.strip = true;
        bands.push_back(std::move(band));
      }
    }
  }
  return bands;
}

struct chart_plan {
  chart_design design;
  bool optional = false;  // left out when the LOG holds none of its series
};

void add_line(chart_design& c, const report_data& d, series_id id, std::string name, std::string unit, int decimals,
              int axis) {
  c.lines.push_back({&d[id], std::move(name), std::move(unit), decimals, axis, static_cast<int>(c.lines.size())});
}

std::vector<chart_plan> chart_plans(const report_context& r, const report_data& d) {
  const engine_units& u = r.summary.units;
  const std::string cht_unit = temperature_unit_text(u.cht);
  const std::string temperature = temperature_unit_text(u.other_temperatures);
  const std::string flow(flow_unit_symbol(u.fuel));
  std::vector<chart_plan> plans(8);
  chart_design& flight = plans[0].design;
  flight = {"flight", "Altitude and speed", {"ft", "kt"}, {}, {}, {}, ""};
  add_line(flight, d, series_id::pressure_altitude, "Pressure altitude", "ft", 0, 0);
  add_line(flight, d, series_id::gps_altitude, "GPS altitude", "ft", 0, 0);
  add_line(flight, d, series_id::ias, "IAS", "kt", 1, 1);
  add_line(flight, d, series_id::ground_speed, "Ground speed", "kt", 1, 1);
  chart_design& engine = plans[1].design;
  engine = {"engine", "Engine speed and fuel flow", {"rpm", flow}, {}, {}, {}, ""};
  add_line(engine, d, series_id::rpm, "RPM", "rpm", 0, 0);
  add_line(engine, d, series_id::fuel_flow, "Fuel flow", flow, 1, 1);
  chart_design& cht = plans[2].design;
  cht = {"cht", "Cylinder head temperatures", {cht_unit, ""}, {}, {}, {}, ""};
  chart_design& egt = plans[3].design;
  egt = {"egt", "Exhaust gas temperatures", {temperature, ""}, {}, {}, {}, ""};
  const std::size_t cylinders = cylinders_drawn(r.summary, d);
  for (std::size_t i = 0; i < cylinders; ++i) {
    add_line(cht, d, cht_series(i), std::string("CHT ") + std::to_string(i + 1), cht_unit, 1, 0);
    add_line(egt, d, egt_series(i), std::string("EGT ") + std::to_string(i + 1), temperature, 1, 0);
  }
  chart_design& oil = plans[4].design;
  oil = {"oil", "Oil temperature and pressure", {temperature, "psi"}, {}, {}, {}, ""};
  add_line(oil, d, series_id::oil_temperature, "Oil temperature", temperature, 1, 0);
  add_line(oil, d, series_id::oil_pressure, "Oil pressure", "psi", 0, 1);
  chart_design& bus = plans[5].design;
  bus = {"bus", "Bus voltage", {"V", ""}, {}, {}, {}, ""};
  add_line(bus, d, series_id::bus_voltage, "Bus voltage", "V", 1, 0);
  chart_design& attitude = plans[6].design;
  attitude = {"attitude", "Pitch and roll", {"\xC2\xB0", ""}, {}, {}, {}, ""};
  add_line(attitude, d, series_id::pitch, "Pitch (nose up +)", "\xC2\xB0", 1, 0);
  add_line(attitude, d, series_id::roll, "Roll (right wing down +)", "\xC2\xB0", 1, 0);
  chart_design& approach = plans[7].design;
  // The deviations as the analog inputs give them: thousandths of full scale.
  const std::string per_mille = "\xE2\x80\xB0 of full scale";
  approach = {"approach", "Localiser and glideslope deviation", {per_mille, ""}, {}, {}, {}, ""};
  add_line(approach, d, series_id::localiser, "Localiser", per_mille, 2, 0);
  add_line(approach, d, series_id::glideslope, "Glideslope", per_mille, 2, 0);
  plans[7].optional = true;
  return plans;
}

// Limits as lines on their charts (in the chart's unit) and exceedances as bands.
void add_limits(std::vector<chart_plan>& plans, const report_context& r) {
  const log_summary& s = r.summary;
  const auto chart = [&plans](std::string_view id) -> chart_design* {
    for (chart_plan& p : plans) {
      if (p.design.id == id) return &p.design;
    }
    return nullptr;
  };
  for (const aircraft_limit& limit : s.limits) {
    chart_design* c = chart(limit_chart(limit.parameter));
    if (c == nullptr || limit.parameter == limit_parameter::egt_span_max) continue;
    double value = limit.value;
    if (limit.has_temperature_unit) {
      value = convert_temperature(
          value, limit.unit, limit.parameter == limit_parameter::cht_max ? s.units.cht : s.units.other_temperatures);
    }
    const bool right = limit.parameter == limit_parameter::oil_pressure_min ||
                       limit.parameter == limit_parameter::oil_pressure_max ||
                       limit.parameter == limit_parameter::ias_max;
    std::string title = std::string("Limit: ") + std::string(limit_display_name(limit.parameter)) +
                        (is_maximum(limit.parameter) ? " at most " : " at least ") + number_text(limit.value, 3) + " " +
                        display_unit(limit_unit_symbol(limit, s.units));
    const std::string condition = condition_text(limit.when);
    if (!condition.empty()) title += std::string(" when ") + condition;
    c->limits.push_back({value, right ? 1 : 0, title});
  }
  for (std::size_t i = 0; i < s.exceedances.size(); ++i) {
    const exceedance& x = s.exceedances[i];
    if (!r.overlaps(x.start.log_ms, x.end.log_ms)) continue;
    const aircraft_limit& limit = s.limits[x.limit_index];
    chart_design* c = chart(limit_chart(limit.parameter));
    if (c == nullptr) continue;
    std::string title =
        std::string("Exceedance ") + std::to_string(i + 1) + ": " + std::string(limit_display_name(limit.parameter));
    if (x.cylinder > 0) title += std::string(" #") + std::to_string(x.cylinder);
    title += std::string(", peak ") + number_text(x.peak, 1) + " " + display_unit(limit_unit_symbol(limit, s.units)) +
             " at " + r.moment(x.peak_at);
    c->bands.push_back({x.start.log_ms, x.end.log_ms, "exceed", title, std::string("x") + std::to_string(i + 1)});
  }
}

std::vector<map_mark> map_marks(const report_context& r) {
  std::vector<map_mark> marks;
  for (const flight_record& w : r.summary.flights) {
    if (w.takeoff && w.takeoff->has_position && r.overlaps(w.takeoff->when.log_ms, w.takeoff->when.log_ms)) {
      marks.push_back({w.takeoff->position.latitude_deg, w.takeoff->position.longitude_deg, true,
                       std::string("Takeoff ") + r.moment(w.takeoff->when)});
    }
    if (w.landing && !w.airborne_at_end && w.landing->has_position &&
        r.overlaps(w.landing->when.log_ms, w.landing->when.log_ms)) {
      marks.push_back({w.landing->position.latitude_deg, w.landing->position.longitude_deg, false,
                       std::string("Landing ") + r.moment(w.landing->when)});
    }
  }
  return marks;
}

void append_header(std::string& out, const report_context& r, const html_report_input& in) {
  const log_summary& s = r.summary;
  const log_time_span& t = s.time;
  out += std::string("<header><h1>Flight report <span class=\"file\">") + html_escaped(in.log_name) +
         "</span></h1><dl class=\"facts\">";
  out += "<dt>Time</dt><dd>";
  if (!t.has_records) {
    out += "the LOG holds no records";
  } else {
    const double span = t.last.log_ms > t.first.log_ms ? (t.last.log_ms - t.first.log_ms) / 1000.0 : 0.0;
    if (t.first.has_utc) out += r.first_day + " ";
    out += r.moment(t.first) + " to " + r.moment(t.last) + " (" + duration_text(span) + ")";
    out += t.source == utc_source::gps    ? ", UTC from GPS"
           : t.source == utc_source::user ? ", UTC from --utc-start"
                                          : "; the LOG has no GPS time, so times are LOG times (--utc-start sets one)";
  }
  out += "</dd><dt>Shown</dt><dd>";
  out += in.window_label.empty() ? std::string("the whole LOG") : html_escaped(in.window_label);
  if (r.axis.span_ms > 0) {
    out += std::string(", ") + r.axis.moment_text(r.axis.origin_ms) + " to " +
           r.axis.moment_text(r.axis.origin_ms + r.axis.span_ms) + " (" + duration_text(r.axis.span_s()) + ")";
  } else {
    out += ": no record of the LOG lies in it";
  }
  out += "</dd><dt>Aircraft</dt><dd>";
  if (s.cylinders > 0) out += std::to_string(s.cylinders) + " cylinders; ";
  const engine_units& u = s.units;
  if (u.cht == u.other_temperatures) {
    out += std::string("temperatures ") + temperature_unit_text(u.cht);
  } else {
    out += std::string("CHT ") + temperature_unit_text(u.cht) + ", other temperatures " +
           temperature_unit_text(u.other_temperatures);
  }
  out += u.temperature_assumed ? " (assumed: the LOG does not say)" : "";
  out += u.fuel == fluid_unit::litres ? ", fuel in litres" : ", fuel in US gallons";
  out += u.fluid_assumed ? " (assumed: the LOG does not say)" : "";
  if (s.units_changed) out += "; the LOG changes units: later values converted";
  out += "</dd><dt>Decoder</dt><dd>OrvexDecode " ORVEXDECODE_VERSION "</dd></dl></header>\n";
}

}  // namespace

std::string report_context::moment(const log_instant& at) const {
  if (!at.has_utc) return std::string("LOG ") + duration_text(at.log_ms / 1000.0);
  const std::string day = utc_date_text(at.utc_ms);
  return day == first_day ? utc_time_text(at.utc_ms) : day + " " + utc_time_text(at.utc_ms);
}

std::string display_unit(std::string_view unit) {
  if (unit == "F" || unit == "C") return std::string("\xC2\xB0") + std::string(unit);
  return std::string(unit);
}

std::string_view limit_display_name(limit_parameter p) {
  switch (p) {
    case limit_parameter::cht_max: return "CHT";
    case limit_parameter::egt_max: return "EGT";
    case limit_parameter::egt_span_max: return "EGT span";
    case limit_parameter::oil_temperature_max:
    case limit_parameter::oil_temperature_min: return "Oil temperature";
    case limit_parameter::oil_pressure_min:
    case limit_parameter::oil_pressure_max: return "Oil pressure";
    case limit_parameter::rpm_max: return "RPM";
    case limit_parameter::bus_voltage_min:
    case limit_parameter::bus_voltage_max: return "Bus voltage";
    case limit_parameter::ias_max: return "IAS";
  }
  return "";
}

std::string_view limit_chart(limit_parameter p) {
  switch (p) {
    case limit_parameter::cht_max: return "cht";
    case limit_parameter::egt_max:
    case limit_parameter::egt_span_max: return "egt";
    case limit_parameter::oil_temperature_max:
    case limit_parameter::oil_temperature_min:
    case limit_parameter::oil_pressure_min:
    case limit_parameter::oil_pressure_max: return "oil";
    case limit_parameter::rpm_max: return "engine";
    case limit_parameter::bus_voltage_min:
    case limit_parameter::bus_voltage_max: return "bus";
    case limit_parameter::ias_max: return "flight";
  }
  return "";
}

int write_html_report(output_writer& out, const html_report_input& in) {
  const log_summary& s = *in.summary;
  const report_data& d = *in.data;
  time_axis axis;
  axis.origin_ms = d.from_ms;
  axis.span_ms = d.to_ms - d.from_ms;
  axis.has_utc = s.time.source != utc_source::none;
  axis.utc_origin_ms = s.time.first_anchor.utc_ms + (std::int64_t{axis.origin_ms} - s.time.first_anchor.log_ms);
  axis.x_decimals = d.buckets.width_ms >= 200 ? 1 : d.buckets.width_ms >= 20 ? 2 : 3;
  report_context r{s, axis, axis.origin_ms, axis.origin_ms + axis.span_ms, ""};
  if (s.time.has_records && s.time.first.has_utc) r.first_day = utc_date_text(s.time.first.utc_ms);

  std::string page;
  page.reserve(1 << 20);
  page +=
      "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
      "<meta name=\"generator\" content=\"OrvexDecode " ORVEXDECODE_VERSION
      "\">"
      "<link rel=\"icon\" href=\"data:,\"><title>Flight report: " +
      html_escaped(in.log_name);
  if (!r.first_day.empty()) page += std::string(", ") + r.first_day;
  page += "</title>\n<style>\n";
  page += report_page_css;
  page += "</style></head>\n<body>\n";
  append_header(page, r, in);
  page += "<main>\n";
  append_flights_section(page, r);
  append_limits_section(page, r);
  append_phases_section(page, r);

  // What the script needs to read the charts: the clock at the time axis's origin, the bucket
  // width and the gap limit, in seconds.
  page += "<section id=\"charts\"";
  if (axis.has_utc) page += std::string(" data-utc=\"") + std::to_string(axis.utc_origin_ms) + "\"";
  page += std::string(" data-log=\"") + std::to_string(axis.origin_ms) + "\" data-bucket=\"" +
          number_text(d.buckets.width_ms / 1000.0, 3) + "\" data-gap=\"" +
          number_text(s.health.gap_limit_ms / 1000.0, 3) + "\">";
  std::string charts;
  bool any_chart = false;
  std::vector<chart_plan> plans = chart_plans(r, d);
  add_limits(plans, r);
  const std::vector<chart_band> phases = phase_bands(r);
  for (chart_plan& plan : plans) {
    chart_design& c = plan.design;
    const bool any =
        std::any_of(c.lines.begin(), c.lines.end(), [](const chart_line& l) { return !l.series->empty(); });
    if (!any && plan.optional) continue;
    if (!any) {
      charts +=
          std::string("<figure class=\"chart empty\" id=\"chart-") + c.id + "\"><figcaption><h3>" + c.title +
          "</h3><p class=\"alt\">The LOG holds no data for this chart in this stretch.</p></figcaption></figure>\n";
      continue;
    }
    std::vector<chart_line> lines;
    std::string missing;
    for (const chart_line& l : c.lines) {
      if (!l.series->empty()) {
        lines.push_back(l);
      } else {
        missing += (missing.empty() ? "No " : ", no ") + l.name;
      }
    }
    c.lines = lines;
    if (!missing.empty()) c.summary = missing + " in this stretch of the LOG";
    c.bands.insert(c.bands.begin(), phases.begin(), phases.end());
    render_svg_chart(charts, c, axis);
    any_chart = true;
  }
  page += "<h2>Charts</h2>";
  if (any_chart) {
    page +=
        "<p class=\"toolbar\">Drag across a chart to zoom every chart; double-click a chart or "
        "<button type=\"button\" id=\"show-all\">show all</button>. The values under the cursor show above "
        "each chart and on the map.</p>\n";
  }
  page += charts;
  std::uint64_t outside = 0;
  for (const chart_series& series : d.series) outside += series.values_outside();
  if (outside > 0) {
    page += std::string("<p class=\"note\">") + with_commas(outside) +
            " values are stamped outside the time axis (the LOG's time went back) and are not drawn.</p>\n";
  }
  page += "</section>\n<section id=\"track\"><h2>Track</h2>\n";
  render_svg_track_map(page, d.track, map_marks(r), axis);
  page += "</section>\n</main>\n<footer><p>Written by OrvexDecode " ORVEXDECODE_VERSION
          " from the LOG alone: the page asks for nothing outside this file. Times are UTC";
  page += axis.has_utc ? "" : " where the LOG has GPS time (this one does not: LOG times)";
  page += ". Each chart keeps the lowest and highest value of every ";
  page += number_text(d.buckets.width_ms / 1000.0, 3);
  page += " s, so no peak is lost; a source silent for more than ";
  page += number_text(s.health.gap_limit_ms / 1000.0, 1);
  page += " s leaves a gap in its line.</p></footer>\n<script>\n";
  page += report_page_script;
  page += "</script>\n</body></html>\n";
  return out.text(page);
}
