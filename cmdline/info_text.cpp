#include "info_text.h"

#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "logbook_text.h"
#include "text/readable_text.h"
#include "text/utc_text.h"

namespace {

constexpr int label_width = 14;

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
  char text[512];
  va_list args;
  va_start(args, pattern);
  const int n = std::vsnprintf(text, sizeof text, pattern, args);
  va_end(args);
  return std::string(text, n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), sizeof text - 1));
}

class info_text {
 public:
  info_text(std::string& out, const log_summary& s) : out_(out), s_(s) {
    if (s.time.has_records && s.time.first.has_utc) {
      start_day_ = utc_date_text(s.time.first.utc_ms);
    }
  }

  void log(const std::string& file);

 private:
  void line(const std::string& label, const std::string& text) {
    out_ += label;
    out_.append(label.size() < label_width ? label_width - label.size() : 1, ' ');
    out_ += text;
    out_ += '\n';
  }
  // A moment: UTC ("15:06:04Z", with the date when it is not the LOG's first day), else the
  // LOG time.
  std::string when(const log_instant& at) const {
    if (!at.has_utc) return "LOG " + duration_text(log_seconds(at.log_ms));
    const std::string day = utc_date_text(at.utc_ms);
    const std::string time = utc_time_text(at.utc_ms);
    return day == start_day_ ? time : day + " " + time;
  }
  // A LOG time as a moment, through the clock of the LOG's first record.
  log_instant instant_at(std::uint32_t log_ms) const {
    log_instant at{log_ms, false, 0};
    if (s_.time.first.has_utc) {
      at.has_utc = true;
      at.utc_ms = s_.time.first.utc_ms + (std::int64_t{log_ms} - std::int64_t{s_.time.first.log_ms});
    }
    return at;
  }
  std::string place(const log_event& e) const {
    if (!e.has_position) return "";
    const geo_point& p = e.position;
    return format("   %.5f %c %.5f %c", std::fabs(p.latitude_deg), p.latitude_deg < 0 ? 'S' : 'N',
                  std::fabs(p.longitude_deg), p.longitude_deg < 0 ? 'W' : 'E');
  }
  void header(const std::string& file);
  void units();
  void window(const std::string& title, const flight_record& w);
  void limits(const flight_record& w);
  void cylinders(const char* label, const highest (&x)[cylinder_count], std::string_view unit);
  void health();

  std::string& out_;
  const log_summary& s_;
  std::string start_day_;
};

void info_text::log(const std::string& file) {
  header(file);
  units();
  int number = 0;
  for (const flight_record& w : s_.flights) window(format("Flight %d", ++number), w);
  number = 0;
  for (const flight_record& w : s_.ground_runs) window(format("Ground run %d", ++number), w);
  if (s_.flights.empty() && s_.ground_runs.empty()) {
    line("Flights", s_.log.figures.cht[0].has || s_.log.figures.ias_kt.has || s_.log.figures.ground_speed_kt.has
                        ? "none: the engine never ran and the aircraft never flew"
                        : "none: the LOG holds no engine or speed data");
  }
  if (s_.windows_not_listed > 0)
    line("", format("%s more flights and ground runs not listed", with_commas(s_.windows_not_listed).c_str()));
  health();
}

void info_text::header(const std::string& file) {
  const log_time_span& t = s_.time;
  std::string text = file + "   " + with_commas(s_.health.bytes) + " bytes";
  out_ += text + '\n';
  if (!t.has_records) {
    line("Time", "no records");
    return;
  }
  std::string span = when(t.first) + " to " + when(t.last) + "  (" +
                     duration_text(t.last.log_ms > t.first.log_ms ? (t.last.log_ms - t.first.log_ms) / 1000.0 : 0.0) +
                     ")";
  if (t.first.has_utc) span = start_day_ + " " + span;
  switch (t.source) {
    case utc_source::gps: span += ", UTC from GPS"; break;
    case utc_source::user: span += ", UTC from --utc-start"; break;
    case utc_source::none: span += ", LOG times: no GPS time in this LOG (--utc-start sets one)"; break;
  }
  line("Time", span);
}

void info_text::units() {
  const engine_units& u = s_.units;
  std::string text;
  if (u.cht == u.other_temperatures) {
    text = "temperatures " + std::string(unit_symbol(u.cht));
  } else {
    text = "CHT " + std::string(unit_symbol(u.cht)) + ", other temperatures " +
           std::string(unit_symbol(u.other_temperatures));
  }
  text += u.temperature_assumed ? " (assumed)" : "";
  text += ", fuel " + std::string(u.fuel == fluid_unit::litres ? "litres" : "US gallons");
  text += u.fluid_assumed ? " (assumed)" : "";
  if (s_.cylinders > 0) text += format(", %d cylinders", s_.cylinders);
  if (s_.units_changed) text += "; the LOG changes units: later values converted";
  line("Units", text);
}

void info_text::window(const std::string& title, const flight_record& w) {
  out_ += title + '\n';
  const flight_figures& f = w.figures;
  if (w.engine_start) {
    std::string text = when(w.engine_start->when) + " to " +
                       (w.engine_stop ? when(w.engine_stop->when) : std::string("end of LOG (running)"));
    text += "   engine " + duration_text(w.engine_time_s);
    if (w.block_time_s) text += ", block " + duration_text(*w.block_time_s);
    if (w.engine_runs > 1) text += format(" (%u engine runs)", w.engine_runs);
    line("  Engine", text);
  } else {
    line("  Engine", "no engine data");
  }
  if (w.takeoff) line("  Takeoff", when(w.takeoff->when) + place(*w.takeoff));
  if (w.is_flight()) {
    std::string text = w.landing ? when(w.landing->when) + place(*w.landing) : std::string("end of LOG (airborne)");
    text += "   flight " + duration_text(w.flight_time_s);
    if (w.distance_nm) text += format(", %.1f nm", *w.distance_nm);
    if (w.airborne_periods > 1) text += format(" (%u takeoffs)", w.airborne_periods);
    line("  Landing", text);
    const auto utc = [this](const log_instant& at) { return when(at); };
    for (const auto& [label, text] : logbook_text_lines(w.logbook, w.flight_time_s, utc)) line(label, text);
  }
  std::string highest_text;
  if (f.pressure_altitude_ft.has)
    highest_text += format(
        "%s ft   ", with_commas(static_cast<std::uint64_t>(std::max(0.0, f.pressure_altitude_ft.value))).c_str());
  if (f.ias_kt.has) highest_text += format("%.0f kt IAS   ", f.ias_kt.value);
  if (f.ground_speed_kt.has) highest_text += format("%.0f kt GS   ", f.ground_speed_kt.value);
  if (f.vertical_speed_fpm.has) {
    highest_text += format("%+.0f / %+.0f fpm   ", f.vertical_speed_fpm.value, f.lowest_vertical_speed_fpm.value);
  }
  if (f.bank_deg.has) {
    highest_text +=
        format("bank %.0f deg, pitch %+.0f / %+.0f deg", f.bank_deg.value, f.pitch_deg.value, f.lowest_pitch_deg.value);
  }
  while (highest_text.ends_with(' ')) highest_text.pop_back();
  if (!highest_text.empty() && w.is_flight()) line("  Highest", highest_text);
  cylinders("  CHT max", f.cht, unit_symbol(s_.units.cht));
  cylinders("  EGT max", f.egt, unit_symbol(s_.units.other_temperatures));
  std::string oil;
  if (f.oil_temperature.has)
    oil += format("max %.0f %s", f.oil_temperature.value, unit_symbol(s_.units.other_temperatures).data());
  if (w.airborne.oil_pressure_psi.has)
    oil += format("%smin %.0f psi airborne", oil.empty() ? "" : ", ", w.airborne.oil_pressure_psi.value);
  if (!oil.empty()) line("  Oil", oil);
  if (f.bus_voltage_low.has) line("  Bus", format("%.1f to %.1f V", f.bus_voltage_low.value, f.bus_voltage_high.value));
  if (w.fuel_used_from_quantity || w.fuel_used_from_flow) {
    const char* unit = s_.units.fuel == fluid_unit::litres ? "L" : "gal";
    std::string text;
    if (w.fuel_used_from_quantity) text += format("%.1f %s by quantity", *w.fuel_used_from_quantity, unit);
    if (w.fuel_used_from_flow)
      text += format("%s%.1f %s by flow", text.empty() ? "" : ", ", *w.fuel_used_from_flow, unit);
    line("  Fuel used", text);
  }
  if (!s_.limits.empty()) limits(w);
}

// One line per limit (and cylinder) exceeded: how often, for how long, and the worst.
void info_text::limits(const flight_record& w) {
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
    std::string text(limit_name(limit.parameter));
    if (first.cylinder > 0) text += format(" #%d", first.cylinder);
    const std::string condition = condition_text(limit.when);
    const std::string_view unit = limit_unit_symbol(limit, s_.units);
    text += format(" %s %s %.*s%s%s: ", maximum ? ">" : "<", number_text(limit.value, 3).c_str(),
                   static_cast<int>(unit.size()), unit.data(), condition.empty() ? "" : " when ", condition.c_str());
    text += times == 1 ? std::string("once") : format("%zu times", times);
    text += format(", %s in all, %s %s at %s", duration_text(seconds).c_str(), maximum ? "peak" : "lowest",
                   number_text(worst->peak, 1).c_str(), when(worst->peak_at).c_str());
    line("  Exceedance", text);
  }
}

void info_text::cylinders(const char* label, const highest (&x)[cylinder_count], std::string_view unit) {
  // The cylinders the LOG says are fitted, else those that read above 0.
  std::size_t shown =
      s_.cylinders > 0 ? std::min<std::size_t>(static_cast<std::size_t>(s_.cylinders), cylinder_count) : 0;
  if (shown == 0) {
    for (std::size_t i = 0; i < cylinder_count; ++i) {
      if (x[i].has && x[i].value > 0.0) shown = i + 1;
    }
  }
  if (shown == 0) return;
  std::string text;
  std::size_t hottest = 0;
  for (std::size_t i = 0; i < shown; ++i) {
    text += x[i].has ? format("#%zu %-6.0f", i + 1, x[i].value) : format("#%zu %-6s", i + 1, "-");
    if (x[i].has && (!x[hottest].has || x[i].value > x[hottest].value)) hottest = i;
  }
  if (x[hottest].has)
    text += format(" %.*s, hottest #%zu at %s", static_cast<int>(unit.size()), unit.data(), hottest + 1,
                   when(x[hottest].when).c_str());
  line(label, text);
}

void info_text::health() {
  const log_health& h = s_.health;
  const reader_stats& r = h.reader;
  std::string first = with_commas(r.records) + " records";
  const std::uint64_t dropped = r.truncated + r.zero_length + r.oversized;
  if (dropped == 0) {
    first += ", none dropped";
  } else {
    first += format(", %s dropped (", with_commas(dropped).c_str());
    std::string causes;
    if (r.truncated) causes += format("%" PRIu64 " cut short", r.truncated);
    if (r.zero_length) causes += format("%s%" PRIu64 " of length 0", causes.empty() ? "" : ", ", r.zero_length);
    if (r.oversized) causes += format("%s%" PRIu64 " oversized", causes.empty() ? "" : ", ", r.oversized);
    first += causes + "; at byte";
    for (std::uint32_t i = 0; i < r.drops_noted; ++i)
      first += format("%s %" PRIu64, i == 0 ? "" : ",", r.first_drop_offsets[i]);
    if (dropped > r.drops_noted) first += ", ...";
    first += ")";
  }
  if (h.unknown_source_records) first += format(", %s of unknown types", with_commas(h.unknown_source_records).c_str());
  if (h.short_eis_records + h.short_ahrs_records) {
    first += format(", %s read in part (short)", with_commas(h.short_eis_records + h.short_ahrs_records).c_str());
  }
  if (h.time_backwards == 0) {
    first += ", time never went back";
  } else if (h.time_backwards == 1) {
    first += ", time went back once";
  } else {
    first += format(", time went back %s times", with_commas(h.time_backwards).c_str());
  }
  if (r.input_error) first += ", reading stopped on a read error";
  line("Health", first);

  std::string gps;
  for (std::size_t p = 0; p < 2; ++p) {
    const gps_port_health& g = h.gps[p];
    if (!gps.empty()) gps += "; ";
    gps += format("GPS %zu ", p + 1);
    if (g.format == 0) {
      gps += "not read";
      continue;
    }
    gps += g.format == ORVEX_GPS_FORMAT_NMEA ? "NMEA" : "aviation";
    gps += format(" %s accepted, %s rejected", with_commas(g.sentences_accepted).c_str(),
                  with_commas(g.sentences_rejected).c_str());
    if (g.sentences_accepted == 0 && g.sentences_rejected > 0) gps += " (another format?)";
    if (g.buffer_full) gps += " (sentence buffer filled)";
  }
  line("", gps);

  std::string gaps;
  for (std::size_t i = 0; i < periodic_source_count; ++i) {
    const source_gaps& g = h.gaps[i];
    if (g.count == 0) continue;
    if (!gaps.empty()) gaps += "; ";
    gaps += format("%s %s (longest %.1f s at %s)", periodic_source_name(static_cast<periodic_source>(i)).data(),
                   with_commas(g.count).c_str(), log_seconds(g.longest_ms), when(instant_at(g.longest_at_ms)).c_str());
  }
  line("", format("gaps over %g s: %s", log_seconds(h.gap_limit_ms), gaps.empty() ? "none" : gaps.c_str()));
}

}  // namespace

std::string render_info_text(const std::string& file, const log_summary& summary) {
  std::string text;
  info_text(text, summary).log(file);
  return text;
}
