// Analog inputs (source type 4): power monitor, localiser, glideslope and general inputs.
//
// The payload carries sixteen unsigned 16-bit readings, big-endian, at offsets 3, 5, ..., 33
// (the first three bytes are not decoded):
//   value1..value3   power-monitor voltages, in reverse order (value3 is voltage_1)
//   value4, value5   localiser deviation and its valid flag
//   value6, value7   glideslope deviation and its valid flag
//   value8           internal temperature
//   value9..value16  eight general inputs
// Engineering values are computed in double precision from the reading and the analog input
// constants, each a stored 32-bit float widened to double.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decoders/layout.h"
#include "orvexdecode.h"

namespace analog_layout {
inline constexpr std::size_t reading_count = 16;
inline constexpr layout_field value[reading_count] = {
    u16_field("value1", 3),   u16_field("value2", 5),   u16_field("value3", 7),   u16_field("value4", 9),
    u16_field("value5", 11),  u16_field("value6", 13),  u16_field("value7", 15),  u16_field("value8", 17),
    u16_field("value9", 19),  u16_field("value10", 21), u16_field("value11", 23), u16_field("value12", 25),
    u16_field("value13", 27), u16_field("value14", 29), u16_field("value15", 31), u16_field("value16", 33)};
inline constexpr std::size_t size = 35;
}  // namespace analog_layout

// A valid-flag reading: at least 20 valid, 10 or less invalid, in between bad data.
enum class analog_flag : std::uint8_t { invalid, bad_data, valid };

struct analog_values {
  std::uint16_t reading[analog_layout::reading_count];  // value1..value16 as logged
  double voltage[3];                                    // voltage_1..voltage_3
  double localiser_deviation;                           // thousandths of the scale
  analog_flag localiser_flag;
  double glide_deviation;
  analog_flag glide_flag;
  double internal_temp;
  double general[8];  // scaledvalue1..scaledvalue8
};

constexpr std::uint16_t analog_flag_valid_from = 20;
constexpr std::uint16_t analog_flag_invalid_up_to = 10;

// Decodes a payload of analog_layout::size bytes (a shorter record zero-padded to that size).
analog_values decode_analog(const std::uint8_t* payload, const analog_input_const& constants);
