#include "report/summary/summary_text.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <cmath>
#include <vector>

#include "report/summary/summary_places.h"
#include "report/summary/logbook_text.h"
#include "report/summary/summary_rules.h"
#include "text/readable_text.h"

namespace {

constexpr int label_width = 14;

// Pieces of a line with a separator between them.
class separated {
 public:
  separated(output_writer& out, std::string_view separator) : out_(out), separator_(separator) {}
  // Writes the separator before every piece but the first.
  output_writer& next() {
    if (!first_) out_.text(separator_);
    first_ = false;
    return out_;
  }
  bool any() const { return !first_; }

 private:
  output_writer& out_;
  std::string_view separator_;
  bool first_ = true;
};

class summary_text {
 public:
  summary_text(output_writer& out, const log_summary& s) : out_(out), s_(s), moments_(s) {}

  void log(std::string_view file);

 private:
  // A line's label, padded to the width of the labels (a longer one is followed by one blank).
  void label(std::string_view label) { out_.line(OUT_FORMAT("{} "), left_aligned(label, label_width - 1)); }
  void line(std::string_view label, std::string_view text) {
    this->label(label);
    out_.line(OUT_FORMAT("{}\n"), text);
  }
  std::string when(const log_instant& at) const { return moments_.text(at); }
  void place(const log_event& e) {
    if (e.has_position) out_.line(OUT_FORMAT("   {}"), place_text(e.position));
  }
  void header(std::string_view file);
  void units();
  void window(std::string_view kind, int number, const flight_record& w);
  void engine(const flight_record& w);
  void airborne(const flight_record& w);
  void highest_figures(const flight_record& w);
  void engine_figures(const flight_record& w);
  void limits(const flight_record& w);
  void warnings(const flight_record& w);
  void phases(const flight_record& w);
  void cylinders(std::string_view label, const highest (&x)[cylinder_count], std::string_view unit);
  void health();
  void gps_ports();
  void gaps();
  void segments();

  output_writer& out_;
  const log_summary& s_;
  moment_reader moments_;
};

void summary_text::log(std::string_view file) {
  header(file);
  units();
  int number = 0;
  for (const flight_record& w : s_.flights) window("Flight", ++number, w);
  number = 0;
  for (const flight_record& w : s_.ground_runs) window("Ground run", ++number, w);
  if (s_.flights.empty() && s_.ground_runs.empty()) {
    line("Flights", s_.log.figures.cht[0].has || s_.log.figures.ias_kt.has || s_.log.figures.ground_speed_kt.has
                        ? "none: the engine never ran and the aircraft never flew"
                        : "none: the LOG holds no engine or speed data");
  }
  if (s_.windows_not_listed > 0) {
    label("");
    out_.line(OUT_FORMAT("{} more flights and ground runs not listed\n"), with_commas_of(s_.windows_not_listed));
  }
  health();
}

void summary_text::header(std::string_view file) {
  const log_time_span& t = s_.time;
  out_.line(OUT_FORMAT("{}   {} bytes\n"), file, with_commas_of(s_.health.bytes));
  if (!t.has_records) {
    line("Time", "no records");
    return;
  }
  label("Time");
  if (t.first.has_utc) out_.line(OUT_FORMAT("{} "), moments_.first_day());
  out_.line(OUT_FORMAT("{} to {}  ({})"), when(t.first), when(t.last), duration_text(t.span_s));
  switch (t.source) {
    case utc_source::gps: out_.text(", UTC from GPS\n"); break;
    case utc_source::user: out_.text(", UTC from --utc-start\n"); break;
    case utc_source::none: out_.text(", LOG times: no GPS time in this LOG (--utc-start sets one)\n"); break;
  }
}

void summary_text::units() {
  const engine_units& u = s_.units;
  label("Units");
  if (u.cht == u.other_temperatures) {
    out_.line(OUT_FORMAT("temperatures {}"), unit_symbol(u.cht));
  } else {
    out_.line(OUT_FORMAT("CHT {}, other temperatures {}"), unit_symbol(u.cht), unit_symbol(u.other_temperatures));
  }
  if (u.temperature_assumed) out_.text(" (assumed)");
  out_.line(OUT_FORMAT(", fuel {}"), u.fuel == fluid_unit::litres ? "litres" : "US gallons");
  if (u.fluid_assumed) out_.text(" (assumed)");
  if (s_.cylinders > 0) out_.line(OUT_FORMAT(", {} cylinders"), s_.cylinders);
  if (s_.units_changed) out_.text("; the LOG changes units: later values converted");
  out_.text("\n");
}

void summary_text::window(std::string_view kind, int number, const flight_record& w) {
  out_.line(OUT_FORMAT("{} {}\n"), kind, number);
  engine(w);
  airborne(w);
  for (const auto& [label, text] : place_lines(s_, w)) line(label, text);
  if (w.is_flight()) {
    const auto utc = [this](const log_instant& at) { return when(at); };
    for (const auto& [text_label, text] : logbook_text_lines(w.logbook, w.flight_time_s, utc)) line(text_label, text);
  }
  const first_last& hobbs = w.figures.engine_hours;
  if (hobbs.has) {
    label("  Hobbs");
    out_.line(OUT_FORMAT("{} to {}\n"), fixed(hobbs.first, 1), fixed(hobbs.last, 1));
  }
  highest_figures(w);
  cylinders("  CHT max", w.figures.cht, unit_symbol(s_.units.cht));
  cylinders("  EGT max", w.figures.egt, unit_symbol(s_.units.other_temperatures));
  engine_figures(w);
  if (!s_.limits.empty()) limits(w);
  if (!w.phases.empty() || !w.warnings.empty()) warnings(w);
  if (!w.phases.empty()) phases(w);
}

// One line per engine warning and probe fault: what, where, when, the peak.
void summary_text::warnings(const flight_record& w) {
  if (w.warnings.empty()) {
    line("  Warnings", "none");
    return;
  }
  for (const engine_warning& x : w.warnings) {
    const aircraft_limit& rule = s_.warnings_checked[warning_index(x.parameter)].limit;
    const std::string_view unit = limit_unit_symbol(rule, s_.units);
    label(x.probe == probe_kind::none ? "  Warning" : "  Probe fault");
    if (x.probe != probe_kind::none) {
      out_.line(OUT_FORMAT("{} #{}: "), x.probe == probe_kind::cht ? "CHT" : "EGT", x.cylinder);
    } else if (x.cylinder > 0 && x.parameter != limit_parameter::egt_spread_cruise) {
      out_.line(OUT_FORMAT("cylinder {}: "), x.cylinder);
    }
    out_.line(OUT_FORMAT("{}: {} to {} ({}"), warning_rule_text(rule, unit), when(x.start), when(x.end),
              duration_text(seconds_from(x.start, x.end)));
    if (x.phase < flight_phase_kind_count) {
      out_.line(OUT_FORMAT(", {}"), flight_phase_name(static_cast<flight_phase_kind>(x.phase)));
    }
    out_.line(OUT_FORMAT("), peak {} {}"), shortest(x.peak, 1), unit);
    if (x.parameter == limit_parameter::egt_spread_cruise && x.cylinder > 0) {
      out_.line(OUT_FORMAT(" (hottest #{})"), x.cylinder);
    }
    out_.text("\n");
  }
}

void summary_text::engine(const flight_record& w) {
  if (!w.engine_start) {
    line("  Engine", "no engine data");
    return;
  }
  label("  Engine");
  out_.line(OUT_FORMAT("{} to {}   "), when(w.engine_start->when),
            w.engine_stop ? when(w.engine_stop->when) : std::string("end of LOG (running)"));
  // Block: engine start to engine stop; engine: the engine running. Once when they agree.
  const std::string engine = duration_text(w.engine_time_s);
  const std::string block = w.block_time_s ? duration_text(*w.block_time_s) : std::string();
  if (block == engine) {
    out_.line(OUT_FORMAT("block and engine {}"), engine);
  } else if (block.empty()) {
    out_.line(OUT_FORMAT("engine {}"), engine);
  } else {
    out_.line(OUT_FORMAT("block {}, engine {}"), block, engine);
  }
  if (w.engine_runs > 1) out_.line(OUT_FORMAT(" ({} engine runs)"), w.engine_runs);
  out_.text("\n");
}

void summary_text::airborne(const flight_record& w) {
  if (w.takeoff) {
    label("  Takeoff");
    out_.line(OUT_FORMAT("{}"), when(w.takeoff->when));
    place(*w.takeoff);
    out_.text("\n");
  }
  if (!w.is_flight()) return;
  label("  Landing");
  if (w.landing) {
    out_.line(OUT_FORMAT("{}"), when(w.landing->when));
    place(*w.landing);
  } else {
    out_.text("end of LOG (airborne)");
  }
  out_.line(OUT_FORMAT("   airborne {}"), duration_text(w.flight_time_s));
  if (w.distance_nm) out_.line(OUT_FORMAT(", {} nm"), fixed(*w.distance_nm, 1));
  if (w.airborne_periods > 1) out_.line(OUT_FORMAT(" ({} takeoffs)"), w.airborne_periods);
  out_.text("\n");
  if (w.restarts_in_flight > 0) {
    label("  Restart");
    out_.text("the EFIS restarted in flight");
    if (w.restarts_in_flight > 1) out_.line(OUT_FORMAT(" {} times"), w.restarts_in_flight);
    out_.line(OUT_FORMAT(", {} without records; the flight went on\n"), duration_text(w.restart_gap_s));
  }
}

// The highest figures of a flight on one line, three blanks apart.
void summary_text::highest_figures(const flight_record& w) {
  const flight_figures& f = w.figures;
  const bool any =
      f.pressure_altitude_ft.has || f.ias_kt.has || f.ground_speed_kt.has || f.vertical_speed_fpm.has || f.bank_deg.has;
  if (!any || !w.is_flight()) return;
  label("  Highest");
  separated figure(out_, "   ");
  if (f.pressure_altitude_ft.has) {
    const auto feet = static_cast<std::uint64_t>(std::max(0.0, f.pressure_altitude_ft.value));
    figure.next().line(OUT_FORMAT("{} ft"), with_commas_of(feet));
  }
  if (f.ias_kt.has) figure.next().line(OUT_FORMAT("{} kt IAS"), fixed(f.ias_kt.value, 0));
  if (f.ground_speed_kt.has) figure.next().line(OUT_FORMAT("{} kt GS"), fixed(f.ground_speed_kt.value, 0));
  if (f.vertical_speed_fpm.has) {
    figure.next().line(OUT_FORMAT("{} / {} fpm"), signed_fixed(f.vertical_speed_fpm.value, 0),
                       signed_fixed(f.lowest_vertical_speed_fpm.value, 0));
  }
  if (f.bank_deg.has) {
    figure.next().line(OUT_FORMAT("bank {} deg, pitch {} / {} deg"), fixed(f.bank_deg.value, 0),
                       signed_fixed(f.pitch_deg.value, 0), signed_fixed(f.lowest_pitch_deg.value, 0));
  }
  out_.text("\n");
}

// Oil, bus voltage, fuel on board and fuel used.
void summary_text::engine_figures(const flight_record& w) {
  const flight_figures& f = w.figures;
  if (f.oil_temperature.has || w.airborne.oil_pressure_psi.has) {
    label("  Oil");
    separated part(out_, ", ");
    if (f.oil_temperature.has) {
      part.next().line(OUT_FORMAT("max {} {}"), fixed(f.oil_temperature.value, 0),
                       unit_symbol(s_.units.other_temperatures));
    }
    if (w.airborne.oil_pressure_psi.has) {
      part.next().line(OUT_FORMAT("min {} psi airborne"), fixed(w.airborne.oil_pressure_psi.value, 0));
    }
    out_.text("\n");
  }
  if (f.bus_voltage_low.has) {
    label("  Bus");
    out_.line(OUT_FORMAT("{} to {} V\n"), fixed(f.bus_voltage_low.value, 1), fixed(f.bus_voltage_high.value, 1));
  }
  const std::string_view unit = s_.units.fuel == fluid_unit::litres ? "L" : "gal";
  if (f.fuel_quantity.has) {
    label("  Fuel");
    out_.line(OUT_FORMAT("{} to {} {} on board\n"), fixed(f.fuel_quantity.first, 1), fixed(f.fuel_quantity.last, 1),
              unit);
  }
  if (w.fuel_used_from_quantity || w.fuel_used_from_flow) {
    label("  Fuel used");
    separated part(out_, ", ");
    if (w.fuel_used_from_quantity) {
      part.next().line(OUT_FORMAT("{} {} by quantity"), fixed(*w.fuel_used_from_quantity, 1), unit);
    }
    if (w.fuel_used_from_flow) part.next().line(OUT_FORMAT("{} {} by flow"), fixed(*w.fuel_used_from_flow, 1), unit);
    out_.text("\n");
  }
}

// One line per limit (and cylinder) exceeded: how often, for how long, and the worst.
void summary_text::limits(const flight_record& w) {
  if (w.exceedances.empty()) {
    line("  Limits", "no exceedance");
    return;
  }
  std::vector<bool> told(w.exceedances.size(), false);
  for (std::size_t i = 0; i < w.exceedances.size(); ++i) {
    if (told[i]) continue;
    const exceedance& first = w.exceedances[i];
    const aircraft_limit& limit = s_.limits[first.limit_index];
    const bool maximum = is_maximum(limit.parameter);
    const exceedance* worst = &first;
    std::size_t times = 0;
    double seconds = 0.0;
    for (std::size_t j = i; j < w.exceedances.size(); ++j) {
      const exceedance& x = w.exceedances[j];
      if (x.limit_index != first.limit_index || x.cylinder != first.cylinder) continue;
      told[j] = true;
      ++times;
      seconds += x.end.log_ms > x.start.log_ms ? (x.end.log_ms - x.start.log_ms) / 1000.0 : 0.0;
      if (maximum ? x.peak > worst->peak : x.peak < worst->peak) worst = &x;
    }
    label("  Exceedance");
    out_.line(OUT_FORMAT("{}"), limit_name(limit.parameter));
    if (first.cylinder > 0) out_.line(OUT_FORMAT(" #{}"), first.cylinder);
    out_.line(OUT_FORMAT(" {} {} {}"), maximum ? ">" : "<", shortest(limit.value, 3),
              limit_unit_symbol(limit, s_.units));
    const std::string condition = condition_text(limit.when);
    if (!condition.empty()) out_.line(OUT_FORMAT(" when {}"), condition);
    out_.text(": ");
    if (times == 1) {
      out_.text("once");
    } else {
      out_.line(OUT_FORMAT("{} times"), times);
    }
    out_.line(OUT_FORMAT(", {} in all, {} {} at {}\n"), duration_text(seconds), maximum ? "peak" : "lowest",
              shortest(worst->peak, 1), when(worst->peak_at));
  }
}

void summary_text::cylinders(std::string_view label, const highest (&x)[cylinder_count], std::string_view unit) {
  const std::size_t shown = cylinders_shown(s_.cylinders, [&x](std::size_t i) { return x[i].has && x[i].value > 0.0; });
  if (shown == 0) return;
  this->label(label);
  std::size_t hottest = 0;
  for (std::size_t i = 0; i < shown; ++i) {
    // Each value left-aligned in six places, as "%-6.0f".
    std::string text(1, '-');
    if (x[i].has) {
      text.resize(fixed_format_max);
      text.resize(static_cast<std::size_t>(format_fixed(text.data(), x[i].value, 0) - text.data()));
    }
    out_.line(OUT_FORMAT("#{} {}"), i + 1, left_aligned(text, 6));
    if (x[i].has && (!x[hottest].has || x[i].value > x[hottest].value)) hottest = i;
  }
  if (x[hottest].has) out_.line(OUT_FORMAT(" {}, hottest #{} at {}"), unit, hottest + 1, when(x[hottest].when));
  out_.text("\n");
}

void summary_text::health() {
  const log_health& h = s_.health;
  const reader_stats& r = h.reader;
  label("Health");
  out_.line(OUT_FORMAT("{} records"), with_commas_of(r.records));
  const std::uint64_t dropped = dropped_records(r);
  if (dropped == 0) {
    out_.text(", none dropped");
  } else {
    out_.line(OUT_FORMAT(", {} dropped ("), with_commas_of(dropped));
    separated cause(out_, ", ");
    if (r.truncated) cause.next().line(OUT_FORMAT("{} cut short"), r.truncated);
    if (r.zero_length) cause.next().line(OUT_FORMAT("{} of length 0"), r.zero_length);
    if (r.oversized) cause.next().line(OUT_FORMAT("{} oversized"), r.oversized);
    out_.text("; at byte");
    for (std::uint32_t i = 0; i < r.drops_noted; ++i) {
      out_.line(OUT_FORMAT("{} {}"), i == 0 ? "" : ",", r.first_drop_offsets[i]);
    }
    if (dropped > r.drops_noted) out_.text(", ...");
    out_.text(")");
  }
  if (h.unknown_source_records) {
    out_.line(OUT_FORMAT(", {} of unknown types"), with_commas_of(h.unknown_source_records));
  }
  if (const std::uint64_t in_part = records_read_in_part(h)) {
    out_.line(OUT_FORMAT(", {} read in part (short)"), with_commas_of(in_part));
  }
  out_.line(OUT_FORMAT("{}"), time_backwards_text(h.time_backwards));
  if (r.input_error) out_.text(", reading stopped on a read error");
  out_.text("\n");
  gps_ports();
  gaps();
  segments();
}

void summary_text::gps_ports() {
  label("");
  for (std::size_t p = 0; p < 2; ++p) {
    const gps_port_health& g = s_.health.gps[p];
    out_.line(OUT_FORMAT("{}GPS {} "), p == 0 ? "" : "; ", p + 1);
    if (g.format == 0) {
      out_.text("not read");
      continue;
    }
    out_.line(OUT_FORMAT("{} {} accepted, {} rejected"), gps_format_text(g), with_commas_of(g.sentences_accepted),
              with_commas_of(g.sentences_rejected));
    if (gps_maybe_other_format(g)) out_.text(" (another format?)");
    if (g.buffer_full) out_.text(" (sentence buffer filled)");
  }
  if (const std::uint64_t jumps = s_.time.new_anchors) {
    out_.text("; the GPS time jumped ");
    if (jumps == 1) {
      out_.text("once");
    } else {
      out_.line(OUT_FORMAT("{} times"), with_commas_of(jumps));
    }
    out_.text(" (the clock started again from it)");
  }
  out_.text("\n");
}

void summary_text::gaps() {
  const log_health& h = s_.health;
  label("");
  out_.line(OUT_FORMAT("gaps over {} s: "), general(log_seconds(h.gap_limit_ms)));
  separated gap(out_, "; ");
  for (std::size_t i = 0; i < periodic_source_count; ++i) {
    const source_gaps& g = h.gaps[i];
    if (g.count == 0) continue;
    gap.next().line(OUT_FORMAT("{} {} (longest {} s at {})"), periodic_source_name(static_cast<periodic_source>(i)),
                    with_commas_of(g.count), fixed(log_seconds(g.longest_ms), 1), when(moments_.at(g.longest_at_ms, g.longest_at_segment)));
  }
  if (!gap.any()) out_.text("none");
  out_.text("\n");
}

// The segments of the LOG, when it has more than one: where each lies, how it began and where
// its UTC comes from.
void summary_text::segments() {
  const std::uint64_t total = s_.segments.size() + s_.segments_not_listed;
  if (total <= 1) return;
  label("");
  out_.line(OUT_FORMAT("{} segments (the EFIS was off between them):\n"), with_commas_of(total));
  constexpr std::size_t most_shown = 20;
  std::size_t number = 0;
  for (const log_segment& e : s_.segments) {
    if (number == most_shown) break;
    label("");
    out_.line(OUT_FORMAT("  {}  {} to {}, {} records"), ++number, when(e.first), when(e.last), with_commas_of(e.records));
    const std::string off = e.off_before_s ? duration_text(*e.off_before_s) + " without records" : "";
    if (e.cause == segment_cause::gap) out_.line(OUT_FORMAT("; after {}"), off);
    if (e.cause == segment_cause::restart) {
      out_.text("; LOG time started again");
      if (!off.empty()) out_.line(OUT_FORMAT(" ({})"), off);
    }
    switch (e.clock) {
      case segment_clock::own: out_.text("; UTC from its GPS fixes\n"); break;
      case segment_clock::previous: out_.text("; no GPS time of its own: UTC from the segment before\n"); break;
      case segment_clock::following: out_.text("; no GPS time of its own: UTC from the next that has it\n"); break;
      case segment_clock::user: out_.text("; UTC from --utc-start\n"); break;
      case segment_clock::none: out_.text("; no UTC\n"); break;
    }
  }
  if (total > number) {
    label("");
    out_.line(OUT_FORMAT("  and {} more\n"), with_commas_of(total - number));
  }
}

// The phases of a kind taken together: their time, and the means and greatest values of their
// figures (means weighted by their samples).
struct phase_card {
  double seconds = 0.0;
  double cht_sum[cylinder_count] = {}, egt_sum[cylinder_count] = {};
  std::uint64_t cht_n[cylinder_count] = {}, egt_n[cylinder_count] = {};
  double cht_spread_sum = 0.0, cht_spread_max = 0.0;
  std::uint64_t cht_spread_n = 0;
  double oil_t_sum = 0.0, oil_p_sum = 0.0, flow_sum = 0.0, rpm_sum = 0.0, map_sum = 0.0;
  std::uint64_t oil_t_n = 0, oil_p_n = 0, flow_n = 0, rpm_n = 0, map_n = 0;
  double cooling = 0.0;
  bool has_cooling = false;

  void add(const phase_record& p) {
    const phase_figures& f = p.figures;
    seconds += seconds_from(p.start, p.end);
    for (std::size_t c = 0; c < cylinder_count; ++c) {
      cht_sum[c] += f.cht[c].mean * static_cast<double>(f.cht[c].count);
      cht_n[c] += f.cht[c].count;
      egt_sum[c] += f.egt[c].mean * static_cast<double>(f.egt[c].count);
      egt_n[c] += f.egt[c].count;
      if (f.cht_cooling[c].has && (!has_cooling || f.cht_cooling[c].per_minute > cooling)) {
        has_cooling = true;
        cooling = f.cht_cooling[c].per_minute;
      }
    }
    if (f.cht_spread.count > 0) {
      cht_spread_max = cht_spread_n == 0 ? f.cht_spread.max : std::max(cht_spread_max, f.cht_spread.max);
      cht_spread_sum += f.cht_spread.mean * static_cast<double>(f.cht_spread.count);
      cht_spread_n += f.cht_spread.count;
    }
    const auto take = [](const measure_figures& m, double& sum, std::uint64_t& n) {
      sum += m.mean * static_cast<double>(m.count);
      n += m.count;
    };
    take(f.oil_temperature, oil_t_sum, oil_t_n);
    take(f.oil_pressure_psi, oil_p_sum, oil_p_n);
    take(f.fuel_flow, flow_sum, flow_n);
    take(f.rpm, rpm_sum, rpm_n);
    take(f.manifold_pressure_inhg, map_sum, map_n);
  }
};

double mean_of(double sum, std::uint64_t n) { return sum / static_cast<double>(n); }

// The phases in order with their times, then a report card of the phases that tell most of the
// engine: cruise and climb first, the means per cylinder and of the engine, the steepest cooling
// of a head.
void summary_text::phases(const flight_record& w) {
  // In order, with their times, a few to a line.
  std::string order;
  bool first_line = true;
  for (std::size_t i = 0; i < w.phases.size(); ++i) {
    const phase_record& p = w.phases[i];
    std::string item(flight_phase_display(p.kind));
    if (i > 0) item[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(item[0])));
    item += ' ';
    item += duration_text(seconds_from(p.start, p.end));
    if (!order.empty() && order.size() + item.size() + 2 > 84) {
      order += ',';
      line(first_line ? "  Phases" : "", order);
      first_line = false;
      order.clear();
    }
    if (!order.empty()) order += ", ";
    order += item;
  }
  line(first_line ? "  Phases" : "", order);
  constexpr struct {
    flight_phase_kind kind;
    std::string_view label;
  } carded[] = {{flight_phase_kind::cruise, "  Cruise"},
                {flight_phase_kind::climb, "  Climb"},
                {flight_phase_kind::descent, "  Descent"},
                {flight_phase_kind::takeoff_roll, "  T/O roll"}};
  const std::string_view cht_unit = unit_symbol(s_.units.cht);
  const std::string_view other_unit = unit_symbol(s_.units.other_temperatures);
  for (const auto& row : carded) {
    phase_card card;
    bool any = false;
    for (const phase_record& p : w.phases) {
      if (p.kind != row.kind) continue;
      card.add(p);
      any = true;
    }
    if (!any || card.cht_n[0] + card.rpm_n == 0) continue;
    label(row.label);
    out_.line(OUT_FORMAT("{}   CHT"), duration_text(card.seconds));
    for (std::size_t c = 0; c < cylinder_count; ++c) {
      if (card.cht_n[c] > 0) out_.line(OUT_FORMAT(" {}"), fixed(mean_of(card.cht_sum[c], card.cht_n[c]), 0));
    }
    out_.line(OUT_FORMAT(" {}"), cht_unit);
    if (card.cht_spread_n > 0) {
      out_.line(OUT_FORMAT(" (spread {}, max {})"), fixed(mean_of(card.cht_spread_sum, card.cht_spread_n), 0),
                fixed(card.cht_spread_max, 0));
    }
    if (std::any_of(std::begin(card.egt_n), std::end(card.egt_n), [](std::uint64_t n) { return n > 0; })) {
      out_.text("   EGT");
      for (std::size_t c = 0; c < cylinder_count; ++c) {
        if (card.egt_n[c] > 0) out_.line(OUT_FORMAT(" {}"), fixed(mean_of(card.egt_sum[c], card.egt_n[c]), 0));
      }
      out_.line(OUT_FORMAT(" {}"), other_unit);
    }
    out_.text("\n");
    const bool cooled = card.has_cooling && card.cooling >= 0.5;
    if (card.rpm_n + card.map_n + card.flow_n + card.oil_t_n + card.oil_p_n == 0 && !cooled) continue;
    label("");
    out_.text("mean ");
    separated part(out_, "   ");
    if (card.rpm_n > 0) part.next().line(OUT_FORMAT("{} rpm"), fixed(mean_of(card.rpm_sum, card.rpm_n), 0));
    if (card.map_n > 0) part.next().line(OUT_FORMAT("{} inHg"), fixed(mean_of(card.map_sum, card.map_n), 1));
    if (card.flow_n > 0) {
      part.next().line(OUT_FORMAT("{} {}"), fixed(mean_of(card.flow_sum, card.flow_n), 1),
                       flow_unit_symbol(s_.units.fuel));
    }
    if (card.oil_t_n + card.oil_p_n > 0) {
      output_writer& oil = part.next();
      oil.text("oil");
      if (card.oil_t_n > 0) oil.line(OUT_FORMAT(" {} {}"), fixed(mean_of(card.oil_t_sum, card.oil_t_n), 0), other_unit);
      if (card.oil_p_n > 0) oil.line(OUT_FORMAT(" {} psi"), fixed(mean_of(card.oil_p_sum, card.oil_p_n), 0));
    }
    if (cooled) part.next().line(OUT_FORMAT("CHT cooling up to {} {}/min"), fixed(card.cooling, 0), cht_unit);
    out_.text("\n");
  }
}

}  // namespace

int write_summary_text(output_writer& out, std::string_view file, const log_summary& summary) {
  summary_text(out, summary).log(file);
  return out.text({});
}
