#include "decode/samples.h"

#include <cmath>

namespace {

// The field's value when the slot's record holds the field, else NaN.
template <typename Slot>
double held(const Slot& slot, const layout_field& field, double value) {
  return slot.holds(field) ? value : std::nan("");
}

// Six fields of an array of the layout, each as a number.
template <const layout_field (&Fields)[6]>
void read_six(const std::uint8_t* p, double (&out)[6]) {
  out[0] = raw_value<Fields, 0>(p);
  out[1] = raw_value<Fields, 1>(p);
  out[2] = raw_value<Fields, 2>(p);
  out[3] = raw_value<Fields, 3>(p);
  out[4] = raw_value<Fields, 4>(p);
  out[5] = raw_value<Fields, 5>(p);
}

}  // namespace

engine_sample engine_sample_of(eis_slot& eis, const unit_tracker& units) {
  namespace f = eis_layout;
  engine_sample s;
  const engine_units& now = units.current();
  const engine_units& report = units.report();
  if (eis.length() >= f::size && now.cht == report.cht && now.other_temperatures == report.other_temperatures &&
      now.fuel == report.fuel) {
    // The common case, once per EIS record: a whole record already in the reporting units, its
    // fields read from the image rather than through the slot's decode of every field.
    const std::uint8_t* p = eis.image();
    s.rpm = raw_value<f::tachometer>(p);
    read_six<f::chttemp>(p, s.cht);
    read_six<f::egttemp>(p, s.egt);
    s.oil_temperature = raw_value<f::oiltemp>(p);
    s.oil_pressure_psi = raw_value<f::oilpressure>(p);
    s.bus_voltage = scaled_number_of<f::primaryvoltage>(p).value();
    s.fuel_flow = scaled_number_of<f::fuelflow>(p).value();
    s.fuel_quantity = scaled_number_of<f::fuelqty>(p).value();
    s.engine_hours = scaled_number_of<f::elapsed_time>(p).value();
    return s;
  }
  const eis_values& v = eis.values();
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
