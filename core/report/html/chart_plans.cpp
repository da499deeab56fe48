// The charts of the HTML report as designs: which series each draws on which axis, the flight
// phases and exceedances as bands, the limits as lines; and the marks of the map.
#include <algorithm>

#include "report/html/html_report_parts.h"

namespace {

std::string temperature_unit_text(temperature_unit u) { return display_unit(unit_symbol(u)); }

// The engine running on the ground and the airborne time, shading the whole plot (a span across
// a break in the LOG is a band on each side of it); then the flight phases as strips at its foot.
std::vector<chart_band> phase_bands(const report_context& r) {
  std::vector<chart_band> bands;
  const auto add = [&](const log_instant& from, const log_instant& to, const char* kind, const std::string& title) {
    if (log_order(to) <= log_order(from)) return;
    for (const auto& [a, b] : r.axis.spans_of(from, to)) {
      if (b > a) bands.push_back({a, b, kind, title, ""});
    }
  };
  for (const std::vector<flight_record>* list : {&r.summary.flights, &r.summary.ground_runs}) {
    for (const flight_record& w : *list) {
      const log_instant start = start_of(w);
      const log_instant end = end_of(w);
      if (!w.is_flight()) {
        add(start, end, "engine",
            std::string("Ground run ") + r.moment(w.engine_start ? w.engine_start->when : start) + " to " +
                r.moment(w.engine_stop ? w.engine_stop->when : end));
        continue;
      }
      const log_instant up = w.takeoff ? w.takeoff->when : start;
      const log_instant down = w.landing && !w.airborne_at_end ? w.landing->when : end;
      add(start, up, "engine", "Engine running before the takeoff");
      add(up, down, "air", std::string("Airborne ") + r.moment(up) + " to " + r.moment(down));
      add(down, end, "engine", "Engine running after the landing");
    }
  }
  // Each flight's and ground run's phases, as strips at the foot (after the shading above).
  for (const std::vector<flight_record>* list : {&r.summary.flights, &r.summary.ground_runs}) {
    for (const flight_record& w : *list) {
      for (const phase_record& p : w.phases) {
        const std::string title =
            std::string(flight_phase_display(p.kind)) + " " + r.moment(p.start) + " to " + r.moment(p.end);
        for (const auto& [a, b] : r.axis.spans_of(p.start, p.end)) {
          chart_band band{a, std::max(a, b), std::string(flight_phase_name(p.kind)), title, ""};
          band.strip = true;
          bands.push_back(std::move(band));
        }
      }
    }
  }
  return bands;
}

void add_line(chart_design& c, const report_data& d, series_id id, std::string name, std::string unit, int decimals,
              int axis) {
  c.lines.push_back({&d[id], std::move(name), std::move(unit), decimals, axis, static_cast<int>(c.lines.size())});
}

struct chart_choice {
  chart_design design;
  bool optional = false;  // left out when the LOG holds none of its series
};

std::vector<chart_choice> chart_choices(const report_context& r, const report_data& d) {
  const engine_units& u = r.summary.units;
  const std::string cht_unit = temperature_unit_text(u.cht);
  const std::string temperature = temperature_unit_text(u.other_temperatures);
  const std::string flow(flow_unit_symbol(u.fuel));
  std::vector<chart_choice> plans(8);
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
  // The manifold pressure beside the engine speed, when the profile maps it.
  if (aux_input_of(r.summary.profile, aux_quantity::manifold_pressure_inhg)) {
    engine.title = "Engine speed, manifold pressure and fuel flow";
    engine.axis_label[1] = flow + ", inHg";
    add_line(engine, d, series_id::manifold_pressure, "Manifold pressure", "inHg", 1, 1);
  }
  chart_design& cht = plans[2].design;
  cht = {"cht", "Cylinder head temperatures", {cht_unit, ""}, {}, {}, {}, ""};
  chart_design& egt = plans[3].design;
  egt = {"egt", "Exhaust gas temperatures", {temperature, ""}, {}, {}, {}, ""};
  const auto reads_above_zero = [&d](std::size_t i) {
    const chart_series& c = d[cht_series(i)];
    const chart_series& e = d[egt_series(i)];
    return (!c.empty() && c.highest().value > 0) || (!e.empty() && e.highest().value > 0);
  };
  // Their axes span the data with a margin, so that a few degrees between cylinders show.
  cht.margin = egt.margin = true;
  const std::size_t cylinders = cylinders_shown(r.summary.cylinders, reads_above_zero);
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

chart_design* chart_of(std::vector<chart_choice>& plans, std::string_view id) {
  for (chart_choice& p : plans) {
    if (p.design.id == id) return &p.design;
  }
  return nullptr;
}

// Limits as lines on their charts (in the chart's unit).
void add_limit_lines(std::vector<chart_choice>& plans, const report_context& r) {
  const log_summary& s = r.summary;
  for (const aircraft_limit& limit : s.limits) {
    chart_design* c = chart_of(plans, limit_chart(limit.parameter));
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
}

// Exceedances as bands, each with the id the limits table links to.
void add_exceedance_bands(std::vector<chart_choice>& plans, const report_context& r) {
  const log_summary& s = r.summary;
  for (std::size_t i = 0; i < s.exceedances.size(); ++i) {
    const exceedance& x = s.exceedances[i];
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> spans = r.axis.spans_of(x.start, x.end);
    if (spans.empty()) continue;
    const aircraft_limit& limit = s.limits[x.limit_index];
    chart_design* c = chart_of(plans, limit_chart(limit.parameter));
    if (c == nullptr) continue;
    std::string title =
        std::string("Exceedance ") + std::to_string(i + 1) + ": " + std::string(limit_display_name(limit.parameter));
    if (x.cylinder > 0) title += std::string(" #") + std::to_string(x.cylinder);
    title += std::string(", peak ") + number_text(x.peak, 1) + " " + display_unit(limit_unit_symbol(limit, s.units)) +
             " at " + r.moment(x.peak_at);
    std::string id = "x";
    id += std::to_string(i + 1);
    for (const auto& [a, b] : spans) c->bands.push_back({a, b, "exceed", title, id});
  }
}

// Engine warnings as bands too, each with the id the warnings table links to.
void add_warning_bands(std::vector<chart_choice>& plans, const report_context& r) {
  const log_summary& s = r.summary;
  const std::vector<const engine_warning*> list = report_warnings(s);
  for (std::size_t i = 0; i < list.size(); ++i) {
    const engine_warning& x = *list[i];
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> spans = r.axis.spans_of(x.start, x.end);
    if (spans.empty()) continue;
    chart_design* c = chart_of(plans, warning_chart(x));
    if (c == nullptr) continue;
    const aircraft_limit& rule = s.warnings_checked[warning_index(x.parameter)].limit;
    std::string title = std::string(x.probe == probe_kind::none ? "Warning " : "Probe fault ") + std::to_string(i + 1) +
                        ": " + std::string(limit_display_name(x.parameter));
    if (x.cylinder > 0) title += std::string(" #") + std::to_string(x.cylinder);
    title += std::string(", peak ") + number_text(x.peak, 1) + " " + display_unit(limit_unit_symbol(rule, s.units)) +
             " at " + r.moment(x.peak_at);
    std::string id = "w";
    id += std::to_string(i + 1);
    for (const auto& [a, b] : spans) c->bands.push_back({a, b, "warn", title, id});
  }
}

// Only the lines that hold data are drawn; the text alternative names the others.
chart_plan plan_of(chart_design& c, const std::vector<chart_band>& phases) {
  chart_plan plan;
  plan.has_data = std::any_of(c.lines.begin(), c.lines.end(), [](const chart_line& l) { return !l.series->empty(); });
  if (plan.has_data) {
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
  }
  plan.design = std::move(c);
  return plan;
}

}  // namespace

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
    case limit_parameter::cht_high: return "CHT";
    case limit_parameter::cht_above_others: return "CHT above the others";
    case limit_parameter::egt_spread_cruise: return "EGT spread in cruise";
    case limit_parameter::oil_pressure_low: return "Oil pressure";
    case limit_parameter::cht_cooling: return "CHT cooling";
    case limit_parameter::probe_low: return "Probe reading low";
    case limit_parameter::cht_probe_high: return "CHT probe beyond its range";
    case limit_parameter::egt_probe_high: return "EGT probe beyond its range";
    case limit_parameter::probe_jump: return "Probe jump";
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
    case limit_parameter::cht_high:
    case limit_parameter::cht_above_others:
    case limit_parameter::cht_cooling:
    case limit_parameter::cht_probe_high:
    case limit_parameter::probe_low:  // a probe fault shows on its probe's chart
    case limit_parameter::probe_jump: return "cht";
    case limit_parameter::egt_spread_cruise:
    case limit_parameter::egt_probe_high: return "egt";
    case limit_parameter::oil_pressure_low: return "oil";
  }
  return "";
}

std::vector<chart_plan> chart_plans(const report_context& r, const report_data& d) {
  std::vector<chart_choice> choices = chart_choices(r, d);
  add_limit_lines(choices, r);
  add_exceedance_bands(choices, r);
  add_warning_bands(choices, r);
  const std::vector<chart_band> phases = phase_bands(r);
  std::vector<chart_plan> plans;
  for (chart_choice& choice : choices) {
    chart_plan plan = plan_of(choice.design, phases);
    if (!plan.has_data && choice.optional) continue;
    plans.push_back(std::move(plan));
  }
  return plans;
}

std::vector<map_mark> map_marks(const report_context& r) {
  std::vector<map_mark> marks;
  for (const flight_record& w : r.summary.flights) {
    if (w.takeoff && w.takeoff->has_position && r.overlaps(w.takeoff->when, w.takeoff->when)) {
      marks.push_back({w.takeoff->position.latitude_deg, w.takeoff->position.longitude_deg, true,
                       std::string("Takeoff ") + r.moment(w.takeoff->when)});
    }
    if (w.landing && !w.airborne_at_end && w.landing->has_position && r.overlaps(w.landing->when, w.landing->when)) {
      marks.push_back({w.landing->position.latitude_deg, w.landing->position.longitude_deg, false,
                       std::string("Landing ") + r.moment(w.landing->when)});
    }
  }
  add_airport_marks(r, marks);
  return marks;
}
