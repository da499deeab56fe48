// EIS engine snapshot (source type 2): two tachometers, six CHT and six EGT, oil, coolant,
// carburettor, outside and unit temperatures, fuel, air data, timers and six auxiliary inputs.
//
// The payload is 73 bytes with every field at its file offset and no alignment; the 29
// sixteen-bit fields are big-endian. Bytes 0-2 and 71 are not decoded. Temperatures are in the
// unit the engine monitor is set to (the set-menu setting 345), fuel in its fluid unit (346).
#pragma once

#include <cstddef>
#include <cstdint>

#include "decoders/layout.h"

namespace eis_layout {
inline constexpr layout_field tachometer = u16_field("tachometer", 3, "rpm");
inline constexpr layout_field chttemp[6] = {u16_field("chttemp1", 5),  u16_field("chttemp2", 7),
                                            u16_field("chttemp3", 9),  u16_field("chttemp4", 11),
                                            u16_field("chttemp5", 13), u16_field("chttemp6", 15)};
inline constexpr layout_field egttemp[6] = {u16_field("egttemp1", 17), u16_field("egttemp2", 19),
                                            u16_field("egttemp3", 21), u16_field("egttemp4", 23),
                                            u16_field("egttemp5", 25), u16_field("egttemp6", 27)};
inline constexpr layout_field aux5 = s16_field("aux5", 29);
inline constexpr layout_field aux6 = s16_field("aux6", 31);
inline constexpr layout_field airspeed = u16_field("airspeed", 33);
inline constexpr layout_field altitude = u16_field("altitude", 35, "feet", {.multiply = 10});
inline constexpr layout_field primaryvoltage = u16_field("primaryvoltage", 37, "volts", {.divide = 10});
inline constexpr layout_field fuelflow = u16_field("fuelflow", 39, "per hour", {.divide = 10});
inline constexpr layout_field unittemp = u8_field("unittemp", 41);
inline constexpr layout_field carbtemp = s8_field("carbtemp", 42);
inline constexpr layout_field rateofclimb = s8_field("rateofclimb", 43, "fpm", {.multiply = 100});
inline constexpr layout_field outsidetemp = u8_field("outsidetemp", 44, "degrees C", {.bias = -50});
inline constexpr layout_field oiltemp = u16_field("oiltemp", 45);
inline constexpr layout_field oilpressure = u8_field("oilpressure", 47, "psi");
inline constexpr layout_field aux1_to_4[4] = {s16_field("aux1", 48), s16_field("aux2", 50), s16_field("aux3", 52),
                                              s16_field("aux4", 54)};
inline constexpr layout_field coolanttemp = u16_field("coolanttemp", 56);
inline constexpr layout_field elapsed_time = u16_field("elapsed_time", 58, "hours", {.divide = 10});
inline constexpr layout_field fuelqty = u16_field("fuelqty", 60, {}, {.divide = 10});
inline constexpr layout_field flighttimer_hours = u8_field("flighttimer_hours", 62);
inline constexpr layout_field flighttimer_mins = u8_field("flighttimer_mins", 63);
inline constexpr layout_field flighttimer_secs = u8_field("flighttimer_secs", 64);
inline constexpr layout_field fuelendurance_hours = u8_field("fuelendurance_hours", 65);
inline constexpr layout_field fuelendurance_mins = u8_field("fuelendurance_mins", 66);
inline constexpr layout_field baroset = u16_field("baroset", 67, "inches of mercury", {.divide = 100});
inline constexpr layout_field tachometer_2 = u16_field("tachometer_2", 69, "rpm");
inline constexpr layout_field checksum = u8_field("checksum", 72);  // never verified

inline constexpr std::size_t size = 73;
}  // namespace eis_layout

struct eis_values {
  std::uint16_t rpm;
  std::uint16_t rpm_2;
  std::uint16_t cht[6];
  std::uint16_t egt[6];
  std::int16_t aux[6];  // aux1..aux6, raw
  std::uint16_t airspeed;
  // The scaled fields: the stored number, its scale in its type, so the value prints exactly.
  scaled_field<eis_layout::altitude> altitude;           // feet (tens of feet in the LOG)
  scaled_field<eis_layout::primaryvoltage> volts;        // primary bus (tenths)
  scaled_field<eis_layout::fuelflow> fuel_flow;          // per hour, in the fluid unit (tenths)
  scaled_field<eis_layout::fuelqty> fuel_qty;            // in the fluid unit (tenths)
  scaled_field<eis_layout::elapsed_time> elapsed_time;   // hours (tenths)
  scaled_field<eis_layout::baroset> baroset;             // inches of mercury (hundredths)
  scaled_field<eis_layout::rateofclimb> vertical_speed;  // feet per minute (hundreds in the LOG)
  scaled_field<eis_layout::outsidetemp> outside_temp;    // degrees C (plus 50 in the LOG)
  std::uint16_t oil_temp;
  std::uint8_t oil_pressure_psi;
  std::uint16_t coolant_temp;
  std::int8_t carb_temp;
  std::uint8_t unit_temp;
  std::uint8_t flight_timer[3];    // hours, minutes, seconds
  std::uint8_t fuel_endurance[2];  // hours, minutes
  std::uint8_t checksum;
};

// Decodes a payload of eis_layout::size bytes (a shorter record zero-padded to that size).
eis_values decode_eis(const std::uint8_t* payload);

// The engine speed alone, for the flight path.
inline std::uint16_t eis_rpm_of(const std::uint8_t* payload) {
  return static_cast<std::uint16_t>(raw_value<eis_layout::tachometer>(payload));
}
