#include "scenario_engine.h"

#include <algorithm>
#include <cmath>

#include "flight_sources.h"

namespace {

double approach(double value, double target, double max_step) {
  return value + std::clamp(target - value, -max_step, max_step);
}

// First-order lag with time constant tau.
double lag(double value, double target, double tau, double dt) { return value + (target - value) * (dt / (tau + dt)); }

bool active(const engine_event& e, double t) { return t >= e.start_s && t < e.end_s; }

}  // namespace

scenario_engine::scenario_engine(const scenario& s, std::uint64_t seed)
    : events_(s.events),
      cylinders_(s.settings.cylinders),
      aux_(s.settings.aux),
      fault_rng_(seed, 12),
      jumps_(s.events.size()),
      wobble_rng_(seed, 13) {
  flight_random setup(seed, 11);
  for (std::size_t i = 0; i < 6; ++i) {
    cht_spread_[i] = setup.uniform(-1.0, 1.0) * s.settings.cht_spread_f;
    egt_spread_[i] = setup.uniform(-1.0, 1.0) * s.settings.egt_spread_f;
  }
  const double oat_f = s.settings.temperature_c * 9.0 / 5.0 + 32.0;
  cht_base_.fill(oat_f);
  egt_base_.fill(oat_f);
  state_.cht.fill(oat_f);
  state_.egt.fill(oat_f);
  state_.oil_temp_f = oat_f;
  state_.bus_volts = 12.5;
  state_.manifold_inhg = 29.92;
  state_.fuel_gal = s.settings.fuel_gal;
  state_.hobbs_hours = std::round(setup.uniform(300.0, 2500.0) * 10.0) / 10.0;
  for (std::size_t k = 0; k < events_.size(); ++k) jumps_[k].next_s = events_[k].start_s + fault_rng_.uniform(0.5, 3.0);
}

void scenario_engine::step(double dt, double t, const engine_demand& d) {
  engine_state& e = state_;
  const double oat_f = d.outside_temp_c * 9.0 / 5.0 + 32.0;
  e.rpm = approach(e.rpm, d.rpm, (d.rpm > e.rpm ? 350.0 : 250.0) * dt);
  const double rpm = e.running ? e.rpm + rpm_wobble_.next(wobble_rng_) * 0.3 : e.rpm;
  const double power = std::pow(std::clamp(rpm / 2700.0, 0.0, 1.1), 3.0);
  const double ambient_inhg = 29.92 * std::pow(1.0 - 6.8756e-6 * d.altitude_ft, 5.2559);

  // The offsets the events plant now, per cylinder, and the mixture's on the whole engine.
  std::array<double, 6> cht_offset = {};
  std::array<double, 6> egt_offset = {};
  double flow_factor = 1.0;
  double oil_pressure = -1.0;
  for (const engine_event& ev : events_) {
    if (!active(ev, t)) continue;
    const auto c = static_cast<std::size_t>(std::max(0, ev.cylinder - 1));
    switch (ev.kind) {
      case engine_event_kind::cht_offset: cht_offset[c] += ev.value; break;
      case engine_event_kind::egt_offset: egt_offset[c] += ev.value; break;
      case engine_event_kind::mixture_rich:
      case engine_event_kind::mixture_lean: {
        const mixture_offsets& m = ev.kind == engine_event_kind::mixture_rich ? rich_mixture : lean_mixture;
        for (std::size_t i = 0; i < 6; ++i) {
          cht_offset[i] += m.cht_f;
          egt_offset[i] += m.egt_f;
        }
        flow_factor *= m.fuel_flow_factor;
        break;
      }
      case engine_event_kind::oil_pressure: oil_pressure = ev.value; break;
      default: break;
    }
  }
  for (std::size_t i = 0; i < 6; ++i) {
    cht_event_[i] = lag(cht_event_[i], e.running ? cht_offset[i] : 0.0, event_onset_seconds, dt);
    egt_event_[i] = lag(egt_event_[i], e.running ? egt_offset[i] : 0.0, event_onset_seconds, dt);
  }
  flow_factor_ = lag(flow_factor_, flow_factor, event_onset_seconds, dt);

  if (e.running) {
    double flow = (1.2 + 12.5 * power) * flow_factor_;
    if (d.lean) flow *= 0.78;
    e.fuel_flow_gph = lag(e.fuel_flow_gph, flow, 2.0, dt);
    // Cooling air: more of it the faster the aircraft flies.
    const double cooling = d.airborne ? (d.ias_kt - 70.0) * 0.6 : 0.0;
    const double cooling_tau = d.airborne ? 200.0 * 70.0 / std::max(70.0, d.ias_kt) : 200.0;
    for (std::size_t i = 0; i < 6; ++i) {
      const double cht = oat_f + 100.0 + 260.0 * power - cooling + cht_spread_[i];
      cht_base_[i] = lag(cht_base_[i], cht, cht > cht_base_[i] ? 90.0 : cooling_tau, dt);
      const double egt = 700.0 + 650.0 * power + (d.lean ? 150.0 : 0.0) + egt_spread_[i];
      egt_base_[i] = lag(egt_base_[i], egt, 8.0, dt);
    }
    e.oil_temp_f = lag(e.oil_temp_f, oat_f + 70.0 + 110.0 * power, 300.0, dt);
    double pressure = 20.0 + 55.0 * std::clamp((e.rpm - 500.0) / 1500.0, 0.0, 1.0) - (e.oil_temp_f - 140.0) * 0.1;
    if (oil_pressure >= 0.0) pressure = oil_pressure;
    e.oil_pressure_psi = lag(e.oil_pressure_psi, std::max(0.0, pressure), 2.0, dt);
    const double throttle = std::clamp((e.rpm - 900.0) / 1800.0, 0.0, 1.0);
    e.manifold_inhg = lag(e.manifold_inhg, 10.0 + (ambient_inhg - 1.0 - 10.0) * throttle, 0.5, dt);
    e.fuel_pressure_psi = lag(e.fuel_pressure_psi, 5.5, 1.0, dt);
    e.bus_volts = lag(e.bus_volts, e.rpm > 1100.0 ? 14.1 : 12.6, 3.0, dt);
    e.timer_seconds += dt;
    e.hobbs_hours += dt / 3600.0;
  } else {
    e.fuel_flow_gph = lag(e.fuel_flow_gph, 0.0, 1.0, dt);
    for (std::size_t i = 0; i < 6; ++i) {
      cht_base_[i] = lag(cht_base_[i], oat_f, 400.0, dt);
      egt_base_[i] = lag(egt_base_[i], oat_f, 60.0, dt);
    }
    e.oil_temp_f = lag(e.oil_temp_f, oat_f, 1200.0, dt);
    e.oil_pressure_psi = lag(e.oil_pressure_psi, 0.0, 2.0, dt);
    e.manifold_inhg = lag(e.manifold_inhg, ambient_inhg, 1.0, dt);
    e.fuel_pressure_psi = lag(e.fuel_pressure_psi, 0.0, 5.0, dt);
    e.bus_volts = lag(e.bus_volts, e.rpm > 50.0 ? 10.9 : 12.5, 1.0, dt);  // cranking pulls the battery down
  }
  for (std::size_t i = 0; i < 6; ++i) {
    e.cht[i] = cht_base_[i] + cht_event_[i];
    e.egt[i] = egt_base_[i] + egt_event_[i];
  }
  e.fuel_gal = std::max(0.0, e.fuel_gal - e.fuel_flow_gph / 3600.0 * dt);
}

eis_fields scenario_engine::reading(const aircraft_state& a, double outside_temp_c, double seconds_on, double t,
                                    flight_random& rng) {
  eis_fields f = eis_reading(a, state_, outside_temp_c, seconds_on, static_cast<std::size_t>(cylinders_), 0.6, rng);
  for (std::size_t k = 0; k < events_.size(); ++k) {
    const engine_event& ev = events_[k];
    const bool cht = ev.kind == engine_event_kind::cht_probe_fail;
    if ((!cht && ev.kind != engine_event_kind::egt_probe_fail) || !active(ev, t)) continue;
    std::uint16_t& probe = (cht ? f.cht : f.egt)[static_cast<std::size_t>(ev.cylinder - 1)];
    if (!ev.jumping) {
      probe = clamped<std::uint16_t>(ev.value);
      continue;
    }
    // A loose probe: now and then one reading jumps by 150 to 300 degrees and comes back.
    probe_jumps& j = jumps_[k];
    if (t >= j.next_s) {
      j.size = (fault_rng_.uniform() < 0.5 ? -1.0 : 1.0) * fault_rng_.uniform(150.0, 300.0);
      j.next_s = t + fault_rng_.uniform(2.0, 6.0);
      probe = clamped<std::uint16_t>(probe + j.size);
    }
  }
  for (std::size_t i = 0; i < 6; ++i) {
    switch (aux_[i]) {
      case aux_input::manifold_pressure: f.aux[i] = clamped<std::int16_t>(state_.manifold_inhg * 10.0); break;
      case aux_input::fuel_pressure: f.aux[i] = clamped<std::int16_t>(state_.fuel_pressure_psi * 10.0); break;
      case aux_input::none: break;
    }
  }
  f.checksum = payload_sum(eis_payload(f), 72);
  return f;
}
