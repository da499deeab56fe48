#include "decode/samples.h"

#include <cmath>

namespace {

// The field's value when the slot's record holds the field, else NaN.
template <typename Slot>
double held(const Slot& slot, const layout_field& field, double value) {
  return slot.holds(field) ? value : std::nan("");
}

}  // namespace

engine_sample engine_sample_of(eis_slot& eis, const unit_tracker& units) {
  namespace f = eis_layout;
  const eis_values& v = eis.values();
  engine_sample s;
  s.rpm = held(eis, f::tachometer, v.rpm);
  for (std::size_t i = 0; i < cylinder_count; ++i) {
    s.cht[i] = held(eis, f::chttemp[i], units.cht(v.cht[i]));
    s.egt[i] = held(eis, f::egttemp[i], units.temperature(v.egt[i]));
  }
  s.oil_temperature = held(eis, f::oiltemp, units.temperature(v.oil_temp));
  s.oil_pressure_psi = held(eis, f::oilpressure, v.oil_pressure_psi);
  s.bus_voltage = held(eis, f::primaryvoltage, v.volts.value());
  s.fuel_flow = held(eis, f::fuelflow, units.fluid(v.fuel_flow.value()));
  s.fuel_quantity = held(eis, f::fuelqty, units.fluid(v.fuel_qty.value()));
  s.engine_hours = held(eis, f::elapsed_time, v.elapsed_time.value());
  return s;
}

aux_inputs aux_inputs_of(eis_slot& eis) {
  namespace f = eis_layout;
  const eis_values& v = eis.values();
  aux_inputs a;
  for (std::size_t i = 0; i < 4; ++i) a.value[i] = held(eis, f::aux1_to_4[i], v.aux[i]);
  a.value[4] = held(eis, f::aux5, v.aux[4]);
  a.value[5] = held(eis, f::aux6, v.aux[5]);
  return a;
}

air_data_sample air_data_sample_of(ahrs_hr_slot& ahrs) {
  namespace f = ahrs_hr_layout;
  const ahrs_hr_values& v = ahrs.values().high_rate;
  return {held(ahrs, f::pressure_alt, v.pressure_alt_ft), held(ahrs, f::asi, v.ias_kt()), held(ahrs, f::vsi, v.vsi_fpm),
          held(ahrs, f::roll_angle, v.roll.value()), held(ahrs, f::pitch_angle, v.pitch.value())};
}
