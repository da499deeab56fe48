#include "decoders/eis.h"

namespace {

namespace f = eis_layout;

// clang-format off
constexpr const layout_field* all_fields[] = {
    &f::tachometer, &f::chttemp[0], &f::chttemp[5], &f::egttemp[0], &f::egttemp[5], &f::aux5,
    &f::aux6, &f::airspeed, &f::altitude, &f::primaryvoltage, &f::fuelflow, &f::unittemp,
    &f::carbtemp, &f::rateofclimb, &f::outsidetemp, &f::oiltemp, &f::oilpressure,
    &f::aux1_to_4[0], &f::aux1_to_4[3], &f::coolanttemp, &f::elapsed_time, &f::fuelqty,
    &f::flighttimer_hours, &f::flighttimer_mins, &f::flighttimer_secs, &f::fuelendurance_hours,
    &f::fuelendurance_mins, &f::baroset, &f::tachometer_2, &f::checksum};
// clang-format on
static_assert(layout_extent(all_fields) == f::size);

template <const layout_field (&Fields)[6]>
void read_six(const std::uint8_t* p, std::uint16_t (&out)[6]) {
  out[0] = static_cast<std::uint16_t>(raw_value<Fields, 0>(p));
  out[1] = static_cast<std::uint16_t>(raw_value<Fields, 1>(p));
  out[2] = static_cast<std::uint16_t>(raw_value<Fields, 2>(p));
  out[3] = static_cast<std::uint16_t>(raw_value<Fields, 3>(p));
  out[4] = static_cast<std::uint16_t>(raw_value<Fields, 4>(p));
  out[5] = static_cast<std::uint16_t>(raw_value<Fields, 5>(p));
}

}  // namespace

eis_values decode_eis(const std::uint8_t* p) {
  eis_values v;
  v.rpm = static_cast<std::uint16_t>(raw_value<f::tachometer>(p));
  v.rpm_2 = static_cast<std::uint16_t>(raw_value<f::tachometer_2>(p));
  read_six<f::chttemp>(p, v.cht);
  read_six<f::egttemp>(p, v.egt);
  v.aux[0] = static_cast<std::int16_t>(raw_value<f::aux1_to_4, 0>(p));
  v.aux[1] = static_cast<std::int16_t>(raw_value<f::aux1_to_4, 1>(p));
  v.aux[2] = static_cast<std::int16_t>(raw_value<f::aux1_to_4, 2>(p));
  v.aux[3] = static_cast<std::int16_t>(raw_value<f::aux1_to_4, 3>(p));
  v.aux[4] = static_cast<std::int16_t>(raw_value<f::aux5>(p));
  v.aux[5] = static_cast<std::int16_t>(raw_value<f::aux6>(p));
  v.airspeed = static_cast<std::uint16_t>(raw_value<f::airspeed>(p));
  v.altitude = scaled_number_of<f::altitude>(p);
  v.volts = scaled_number_of<f::primaryvoltage>(p);
  v.fuel_flow = scaled_number_of<f::fuelflow>(p);
  v.fuel_qty = scaled_number_of<f::fuelqty>(p);
  v.elapsed_time = scaled_number_of<f::elapsed_time>(p);
  v.baroset = scaled_number_of<f::baroset>(p);
  v.vertical_speed = scaled_number_of<f::rateofclimb>(p);
  v.outside_temp = scaled_number_of<f::outsidetemp>(p);
  v.oil_temp = static_cast<std::uint16_t>(raw_value<f::oiltemp>(p));
  v.oil_pressure_psi = static_cast<std::uint8_t>(raw_value<f::oilpressure>(p));
  v.coolant_temp = static_cast<std::uint16_t>(raw_value<f::coolanttemp>(p));
  v.carb_temp = static_cast<std::int8_t>(raw_value<f::carbtemp>(p));
  v.unit_temp = static_cast<std::uint8_t>(raw_value<f::unittemp>(p));
  v.flight_timer[0] = static_cast<std::uint8_t>(raw_value<f::flighttimer_hours>(p));
  v.flight_timer[1] = static_cast<std::uint8_t>(raw_value<f::flighttimer_mins>(p));
  v.flight_timer[2] = static_cast<std::uint8_t>(raw_value<f::flighttimer_secs>(p));
  v.fuel_endurance[0] = static_cast<std::uint8_t>(raw_value<f::fuelendurance_hours>(p));
  v.fuel_endurance[1] = static_cast<std::uint8_t>(raw_value<f::fuelendurance_mins>(p));
  v.checksum = static_cast<std::uint8_t>(raw_value<f::checksum>(p));
  return v;
}
