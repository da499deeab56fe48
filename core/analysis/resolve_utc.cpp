#include "analysis/resolve_utc.h"

namespace {

struct resolver {
  const std::vector<log_segment>& segments;

  void operator()(log_instant& at) const {
    if (at.has_utc || at.segment >= segments.size()) return;
    const clock_mapping& early = segments[at.segment].early;
    if (!early.known()) return;
    at.has_utc = true;
    at.utc_ms = early.utc_ms_at(at.log_ms);
  }
  void operator()(std::optional<log_event>& e) const {
    if (e) (*this)(e->when);
  }
  template <bool Highest>
  void operator()(extreme<Highest>& x) const {
    if (x.has) (*this)(x.when);
  }
  void operator()(exceedance& x) const {
    (*this)(x.start);
    (*this)(x.end);
    (*this)(x.peak_at);
  }
  void operator()(flight_figures& f) const {
    for (highest* x : {&f.pressure_altitude_ft, &f.ias_kt, &f.ground_speed_kt, &f.vertical_speed_fpm, &f.bank_deg,
                       &f.pitch_deg, &f.oil_temperature, &f.bus_voltage_high}) {
      (*this)(*x);
    }
    for (lowest* x : {&f.lowest_vertical_speed_fpm, &f.lowest_pitch_deg, &f.bus_voltage_low}) (*this)(*x);
    for (highest& x : f.cht) (*this)(x);
    for (highest& x : f.egt) (*this)(x);
  }
  void operator()(flight_record& w) const {
    for (std::optional<log_event>* e : {&w.engine_start, &w.engine_stop, &w.takeoff, &w.landing}) (*this)(*e);
    (*this)(w.figures);
    (*this)(w.airborne.oil_pressure_psi);
    for (exceedance& x : w.exceedances) (*this)(x);
    for (engine_warning& x : w.warnings) {
      for (log_instant* at : {&x.start, &x.end, &x.peak_at}) (*this)(*at);
    }
    for (phase_record& p : w.phases) {
      (*this)(p.start);
      (*this)(p.end);
      for (cooling_figure& c : p.figures.cht_cooling) {
        if (!c.has) continue;
        (*this)(c.from);
        (*this)(c.to);
      }
    }
    logbook_row& row = w.logbook;
    for (std::optional<log_event>* e : {&row.out, &row.off, &row.on, &row.in}) (*this)(*e);
    for (logbook_landing& l : row.landings) (*this)(l.touchdown.when);
    // Out to in, now that both may have UTC: across segments it is known only by UTC.
    row.total_time_s.reset();
    if (row.out && row.in && (row.out->when.segment == row.in->when.segment ||
                              (row.out->when.has_utc && row.in->when.has_utc))) {
      row.total_time_s = seconds_from(row.out->when, row.in->when);
    }
  }
};

}  // namespace

void resolve_utc(log_summary& summary) {
  const resolver resolve{summary.segments};
  if (summary.time.has_records) {
    resolve(summary.time.first);
    resolve(summary.time.last);
  }
  for (log_segment& s : summary.segments) {
    resolve(s.first);
    resolve(s.last);
  }
  resolve(summary.log);
  for (flight_record& w : summary.flights) resolve(w);
  for (flight_record& w : summary.ground_runs) resolve(w);
  for (exceedance& x : summary.exceedances) resolve(x);
}
