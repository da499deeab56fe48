#include "decode/engine_units.h"

namespace {

constexpr double litres_per_us_gallon = 3.785411784;

bool is_temperature_setting(std::int32_t s) { return s >= 0 && s <= 2; }
bool is_fluid_setting(std::int32_t s) { return s >= 0 && s <= 2; }

}  // namespace

engine_units units_of(const engine_settings& settings) {
  engine_units u;
  if (is_temperature_setting(settings.temperature_units)) {
    u.temperature_setting = settings.temperature_units;
    u.temperature_assumed = false;
    u.other_temperatures = settings.temperature_units == 0 ? temperature_unit::fahrenheit : temperature_unit::celsius;
    u.cht = settings.temperature_units == 1 ? temperature_unit::celsius : temperature_unit::fahrenheit;
  }
  if (is_fluid_setting(settings.fluid_units)) {
    u.fluid_setting = settings.fluid_units;
    u.fluid_assumed = false;
    u.fuel = settings.fluid_units == 0 ? fluid_unit::us_gallons : fluid_unit::litres;
  }
  return u;
}

std::string_view unit_symbol(temperature_unit u) { return u == temperature_unit::celsius ? "C" : "F"; }
std::string_view unit_symbol(fluid_unit u) { return u == fluid_unit::litres ? "L" : "gal"; }
std::string_view flow_unit_symbol(fluid_unit u) { return u == fluid_unit::litres ? "L/h" : "gal/h"; }

double convert_temperature(double value, temperature_unit from, temperature_unit to) {
  if (from == to) return value;
  return to == temperature_unit::celsius ? (value - 32.0) * 5.0 / 9.0 : value * 9.0 / 5.0 + 32.0;
}

double convert_fluid(double value, fluid_unit from, fluid_unit to) {
  if (from == to) return value;
  return to == fluid_unit::litres ? value * litres_per_us_gallon : value / litres_per_us_gallon;
}

void unit_tracker::note_settings(const engine_settings& settings) {
  const engine_units now = units_of(settings);
  if (report_.temperature_assumed && !now.temperature_assumed) {
    report_.cht = now.cht;
    report_.other_temperatures = now.other_temperatures;
    report_.temperature_assumed = false;
    report_.temperature_setting = now.temperature_setting;
  }
  if (report_.fluid_assumed && !now.fluid_assumed) {
    report_.fuel = now.fuel;
    report_.fluid_assumed = false;
    report_.fluid_setting = now.fluid_setting;
  }
  current_ = now;
  if (current_.cht != report_.cht || current_.other_temperatures != report_.other_temperatures ||
      current_.fuel != report_.fuel) {
    changed_ = true;
  }
}
