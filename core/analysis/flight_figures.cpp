#include "analysis/flight_figures.h"

#include <cmath>

namespace {

// The engine's figures, which a window's figures and an engine stretch hold under the same names.
template <typename Later>
void merge_engine(flight_figures& f, const Later& later) {
  for (std::size_t i = 0; i < cylinder_count; ++i) {
    f.cht[i].merge(later.cht[i]);
    f.egt[i].merge(later.egt[i]);
  }
  f.oil_temperature.merge(later.oil_temperature);
  f.bus_voltage_low.merge(later.bus_voltage_low);
  f.bus_voltage_high.merge(later.bus_voltage_high);
  f.fuel_quantity.merge(later.fuel_quantity);
  f.fuel_burned.merge(later.fuel_burned);
  f.engine_hours.merge(later.engine_hours);
}

}  // namespace

void flight_figures::merge(const flight_figures& later) {
  pressure_altitude_ft.merge(later.pressure_altitude_ft);
  ias_kt.merge(later.ias_kt);
  ground_speed_kt.merge(later.ground_speed_kt);
  vertical_speed_fpm.merge(later.vertical_speed_fpm);
  lowest_vertical_speed_fpm.merge(later.lowest_vertical_speed_fpm);
  bank_deg.merge(later.bank_deg);
  pitch_deg.merge(later.pitch_deg);
  lowest_pitch_deg.merge(later.lowest_pitch_deg);
  merge_engine(*this, later);
}

void flight_figures::merge(const air_data_figures& later) {
  using n = air_data_numbers;
  pressure_altitude_ft.merge(later.pressure_altitude, n::pressure_altitude_ft);
  ias_kt.merge(later.ias, n::ias_kt);
  vertical_speed_fpm.merge(later.vertical_speed, n::vertical_speed_fpm);
  lowest_vertical_speed_fpm.merge(later.lowest_vertical_speed, n::vertical_speed_fpm);
  bank_deg.merge(later.bank, n::angle_deg);
  pitch_deg.merge(later.pitch, n::angle_deg);
  lowest_pitch_deg.merge(later.lowest_pitch, n::angle_deg);
}

void flight_figures::merge(const engine_figures& later) { merge_engine(*this, later); }
