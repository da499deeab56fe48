// The units the engine monitor stores its values in, from the set-menu settings of the LOG:
// 345 temperatures (0 Fahrenheit, 1 Celsius, 2 Celsius except CHT, which stays Fahrenheit) and
// 346 fluids (0 US gallons, 1 litres, 2 litres with the monitor's extra conversion). A LOG
// without the setting is taken to hold Fahrenheit and US gallons, and says the unit is assumed.
//
// The first setting the LOG holds tells how its values are stored from its start (the monitor
// logs its settings at power-up, after its first snapshots). When a later setting changes the
// unit, the values logged after it are converted into the first unit, and the change is noted.
#pragma once

#include <cstdint>
#include <string_view>

#include "decode/summary_record.h"

enum class temperature_unit : std::uint8_t { fahrenheit, celsius };
enum class fluid_unit : std::uint8_t { us_gallons, litres };

struct engine_units {
  temperature_unit cht = temperature_unit::fahrenheit;
  temperature_unit other_temperatures = temperature_unit::fahrenheit;  // EGT, oil, coolant
  fluid_unit fuel = fluid_unit::us_gallons;
  bool temperature_assumed = true;
  bool fluid_assumed = true;
  std::int32_t temperature_setting = -1;  // the 345 value in force, -1 when never said
  std::int32_t fluid_setting = -1;        // the 346 value in force
};

// The units of the settings (a value the setting does not define counts as not said).
engine_units units_of(const engine_settings& settings);

std::string_view unit_symbol(temperature_unit u);  // "F", "C"
std::string_view unit_symbol(fluid_unit u);        // "gal", "L"
std::string_view flow_unit_symbol(fluid_unit u);   // "gal/h", "L/h"

double convert_temperature(double value, temperature_unit from, temperature_unit to);
double convert_fluid(double value, fluid_unit from, fluid_unit to);

// Follows the settings through the LOG: the reporting units (the first said) and the units the
// values arrive in now.
class unit_tracker {
 public:
  // After every set-menu record.
  void note_settings(const engine_settings& settings);

  const engine_units& report() const { return report_; }
  const engine_units& current() const { return current_; }
  bool changed_in_log() const { return changed_; }

  double cht(double v) const { return convert_temperature(v, current_.cht, report_.cht); }
  double temperature(double v) const {
    return convert_temperature(v, current_.other_temperatures, report_.other_temperatures);
  }
  double fluid(double v) const { return convert_fluid(v, current_.fuel, report_.fuel); }

 private:
  engine_units report_;
  engine_units current_;
  bool changed_ = false;
};
