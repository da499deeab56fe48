// The values the flight figures and the report's charts take from a cache slot, one record at a
// time: the EIS snapshot in the reporting units and the AHRS air data. A field the record is too
// short to hold is NaN, which the figures and the charts skip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

#include "decode/engine_units.h"
#include "decode/summary_record.h"

constexpr std::size_t cylinder_count = 6;

// The cylinders the figures and rows of a LOG take: those the set-menu setting says are fitted
// (at most the six the EIS record holds), all six while the LOG does not say. The others are no
// data: a probe that is not fitted reads 0.
constexpr std::size_t cylinders_taken(std::int32_t setting) {
  return setting > 0
             ? (static_cast<std::size_t>(setting) < cylinder_count ? static_cast<std::size_t>(setting) : cylinder_count)
             : cylinder_count;
}

struct engine_sample {
  double rpm;
  double cht[cylinder_count];
  double egt[cylinder_count];
  double oil_temperature;
  double oil_pressure_psi;
  double bus_voltage;  // the EIS primary bus voltage
  double fuel_flow;    // per hour
  double fuel_quantity;
  double engine_hours;  // the engine timer (what a Hobbs meter shows), in hours
};

// The aux inputs 1-6 of an EIS record as the monitor gives them; their meaning is the aircraft's.
struct aux_inputs {
  double value[6];
};

struct air_data_sample {
  double pressure_altitude_ft;
  double ias_kt;
  double vertical_speed_fpm;
  double bank_deg;   // right wing down positive
  double pitch_deg;  // nose up positive
};

// The slot's EIS record with its temperatures and fuel converted to the reporting units.
engine_sample engine_sample_of(eis_slot& eis, const unit_tracker& units);

// The slot's EIS record's aux inputs.
aux_inputs aux_inputs_of(eis_slot& eis);

// The slot's AHRS high-rate message. Inline: taken for every high-rate record, its five fields
// read from the image directly rather than through the slot's whole decode of the message.
inline air_data_sample air_data_sample_of(const ahrs_hr_slot& ahrs) {
  namespace f = ahrs_hr_layout;
  const std::uint8_t* p = ahrs.image();
  air_data_sample s{static_cast<double>(whole_value<f::pressure_alt>(p)),
                    static_cast<std::int16_t>(raw_value<f::asi>(p)) / f::tenths_fps_per_knot,
                    static_cast<double>(static_cast<std::int16_t>(raw_value<f::vsi>(p))),
                    scaled_number_of<f::roll_angle>(p).value(), scaled_number_of<f::pitch_angle>(p).value()};
  if (ahrs.length() >= f::size) [[likely]] return s;  // a whole message holds every field
  // A short one holds the fields it reaches; the others are NaN.
  const double none = std::numeric_limits<double>::quiet_NaN();
  if (!ahrs.holds(f::pressure_alt)) s.pressure_altitude_ft = none;
  if (!ahrs.holds(f::asi)) s.ias_kt = none;
  if (!ahrs.holds(f::vsi)) s.vertical_speed_fpm = none;
  if (!ahrs.holds(f::roll_angle)) s.bank_deg = none;
  if (!ahrs.holds(f::pitch_angle)) s.pitch_deg = none;
  return s;
}
