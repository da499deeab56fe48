// The values the flight figures and the report's charts take from a cache slot, one record at a
// time: the EIS snapshot in the reporting units and the AHRS air data. A field the record is too
// short to hold is NaN, which the figures and the charts skip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

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

// The air data of an AHRS high-rate message as it stores them. Each value is a strictly
// increasing function of its stored number (the bank of the roll's magnitude), so the highest
// or lowest number of a stretch is the number of its highest or lowest value, first reached at
// the same record: the figures keep numbers, one integer comparison each per record, and turn
// them into values once.
struct air_data_numbers {
  int pressure_altitude;  // feet + 5000
  int ias;                // tenths of ft/s
  int vertical_speed;     // fpm
  int roll;               // 1/32768 of a half turn, right wing down positive
  int pitch;              // ... nose up positive

  static double pressure_altitude_ft(int n) {
    return static_cast<double>(scaled_field<ahrs_hr_layout::pressure_alt>{n}.whole());
  }
  static double ias_kt(int n) { return n / ahrs_hr_layout::tenths_fps_per_knot; }
  static double vertical_speed_fpm(int n) { return static_cast<double>(n); }
  // An angle (the roll, its magnitude, the pitch) in degrees.
  static double angle_deg(int n) { return scaled_field<ahrs_hr_layout::roll_angle>{n}.value(); }
};
static_assert(std::is_same_v<scaled_field<ahrs_hr_layout::roll_angle>, scaled_field<ahrs_hr_layout::pitch_angle>>);

// The stored numbers of the image's air data (zeros past a short message's end).
inline air_data_numbers air_data_numbers_of(const std::uint8_t* image) {
  namespace f = ahrs_hr_layout;
  return {raw_value<f::pressure_alt>(image), raw_value<f::asi>(image), raw_value<f::vsi>(image),
          raw_value<f::roll_angle>(image), raw_value<f::pitch_angle>(image)};
}

// The slot's AHRS high-rate message. Inline: taken for every high-rate record, its five fields
// read from the image directly rather than through the slot's whole decode of the message.
inline air_data_sample air_data_sample_of(const ahrs_hr_slot& ahrs) {
  namespace f = ahrs_hr_layout;
  using n = air_data_numbers;
  const air_data_numbers raw = air_data_numbers_of(ahrs.image());
  air_data_sample s{n::pressure_altitude_ft(raw.pressure_altitude), n::ias_kt(raw.ias),
                    n::vertical_speed_fpm(raw.vertical_speed), n::angle_deg(raw.roll), n::angle_deg(raw.pitch)};
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
