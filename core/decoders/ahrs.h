// AHRS records (source type 1): high-rate, low-rate and user-calibration messages.
//
// Every payload opens with a 3-byte header whose third byte is the AHRS type; the message that
// the type names follows at payload offset 3. Sixteen-bit fields are big-endian and unaligned.
// Attitude angles are signed fractions of a half turn; the pressure altitude is logged in feet
// plus 5000 and the airspeed in tenths of feet per second. Factory and maintenance messages are
// named but not decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "decoders/layout.h"

constexpr std::uint8_t ahrs_type_factory = 250;
constexpr std::uint8_t ahrs_type_maintenance = 251;
constexpr std::uint8_t ahrs_type_user_cal = 252;
constexpr std::uint8_t ahrs_type_low_rate = 253;
constexpr std::uint8_t ahrs_type_high_rate = 254;

// Payload offsets (the message fields are at their message offset + 3).
namespace ahrs_layout {
inline constexpr layout_field header1 = u8_field("header1", 0);
inline constexpr layout_field header2 = u8_field("header2", 1);
inline constexpr layout_field ahrs_type = u8_field("ahrs_type", 2);
inline constexpr std::size_t message = 3;
}  // namespace ahrs_layout

// High-rate message (AHRS type 254).
namespace ahrs_hr_layout {
inline constexpr field_scale half_turns = {.multiply = 180.0, .divide = 32768.0};
inline constexpr layout_field mode = u8_field("mode", 3);
inline constexpr layout_field roll_angle = s16_field("roll_angle", 4, "degrees", half_turns);
inline constexpr layout_field pitch_angle = s16_field("pitch_angle", 6, "degrees", half_turns);
inline constexpr layout_field yaw_angle = s16_field("yaw_angle", 8, "degrees", half_turns);
inline constexpr layout_field pressure_alt = u16_field("pressure_alt", 10, "feet", {.bias = -5000});
inline constexpr layout_field vsi = s16_field("vsi", 12, "fpm");
inline constexpr layout_field asi = s16_field("asi", 14, "tenths of ft/s");
inline constexpr layout_field asi_roc = s16_field("asi_roc", 16, "fpsps", {.multiply = 0.02});
inline constexpr layout_field accelerometer_roll_angle =
    s16_field("accelerometer_roll_angle", 18, "degrees", half_turns);
inline constexpr layout_field acceleration = s16_field("acceleration", 20, "m/s^2", {.divide = 100});
inline constexpr layout_field checksum = u8_field("checksum", 22);  // never verified
inline constexpr std::size_t size = 23;

// The airspeed's units: tenths of feet per second in a knot and in a mile per hour.
inline constexpr double tenths_fps_per_knot = 16.8780986;
inline constexpr double tenths_fps_per_mph = 14.6666667;
inline constexpr double standard_gravity = 9.80665;  // m/s^2 in one G
}  // namespace ahrs_hr_layout

// Low-rate message (AHRS type 253). Message bytes 13-16 are not decoded.
namespace ahrs_lr_layout {
inline constexpr layout_field outsidetemp = s8_field("outsidetemp", 3, "degrees C");
inline constexpr layout_field voltage[3] = {s16_field("voltage_1", 4, "volts", {.divide = 100}),
                                            s16_field("voltage_2", 6, "volts", {.divide = 100}),
                                            s16_field("voltage_3", 8, "volts", {.divide = 100})};
inline constexpr layout_field status_word[3] = {s8_field("status_word1", 10), s8_field("status_word2", 11),
                                                s8_field("status_word3", 12)};
inline constexpr layout_field internaltemp = u8_field("internaltemp", 13);
inline constexpr layout_field sw_internal_version_major = s8_field("sw_internal_version_major", 14);
inline constexpr layout_field sw_internal_version_minor = s8_field("sw_internal_version_minor", 15);
inline constexpr layout_field checksum = u8_field("checksum", 20);  // never verified
inline constexpr std::size_t size = 21;
}  // namespace ahrs_lr_layout

// User-calibration message (AHRS type 252): eight calibration words, never shown (message bytes
// 2 and 17-20 are not decoded), and the checksum.
namespace ahrs_user_cal_layout {
inline constexpr layout_field cal_word1 = u16_field("cal_word1", 3);
inline constexpr layout_field cal_word8 = u16_field("cal_word8", 18);  // words 2-8 back to back from 6
inline constexpr layout_field checksum = u8_field("checksum", 24);     // never verified
inline constexpr std::size_t size = 25;
}  // namespace ahrs_user_cal_layout

// The bytes an AHRS decoder reads: the header and the longest message, the user calibration.
constexpr std::size_t ahrs_payload_size = ahrs_user_cal_layout::size;

// The air data that take a division are worked out when asked for: the flight path reads a
// high-rate record 25 times a second and needs none of them. The angles are scaled numbers
// (half-turn fractions: value() in degrees, decimals() exactly).
struct ahrs_hr_values {
  using angle = scaled_field<ahrs_hr_layout::roll_angle>;  // degrees
  angle roll;                                              // right wing down positive
  angle pitch;                                             // nose up positive
  angle yaw;                                               // heading, -180 to +180
  angle accelerometer_roll;
  int pressure_alt_ft;
  std::int16_t vsi_fpm;
  std::int16_t asi_raw;  // tenths of feet per second

  // The heading from 0 to 360 degrees: a negative yaw gains a whole turn.
  exact_decimal heading() const {
    exact_decimal h = yaw.exact();
    if (yaw.stored < 0) h.numerator += std::int64_t{360} * h.denominator;
    return h;
  }
  double heading_deg() const { return yaw.stored < 0 ? yaw.value() + 360.0 : yaw.value(); }
  double ias_kt() const { return asi_raw / ahrs_hr_layout::tenths_fps_per_knot; }
  double ias_mph() const { return asi_raw / ahrs_hr_layout::tenths_fps_per_mph; }
  double asi_fps() const { return asi_raw / 10.0; }
  double asi_roc_fpsps() const { return asi_roc_raw * ahrs_hr_layout::asi_roc.scale.multiply; }
  double acceleration_ms2() const { return acceleration_raw / ahrs_hr_layout::acceleration.scale.divide; }
  double acceleration_g() const { return acceleration_ms2() / ahrs_hr_layout::standard_gravity; }

  std::int16_t acceleration_raw;
  std::int16_t asi_roc_raw;
  std::uint8_t mode;
  std::uint8_t checksum;
};

struct ahrs_lr_values {
  std::int8_t outside_temp_c;
  scaled_field_at<ahrs_lr_layout::voltage, 0> voltage[3];  // volts (hundredths)
  std::int8_t status_word[3];
  std::uint8_t internal_temp;
  std::int8_t sw_version_major;
  std::int8_t sw_version_minor;
  std::uint8_t checksum;
};

struct ahrs_values {
  std::uint8_t header1;
  std::uint8_t header2;
  std::uint8_t ahrs_type;
  // The message the type names: only that member is decoded (factory and maintenance messages
  // have none).
  union {
    ahrs_hr_values high_rate;
    ahrs_lr_values low_rate;
    std::uint8_t user_cal_checksum;
  };
};

// The AHRS type of a payload of at least 3 bytes (a single byte: no byte order).
inline std::uint8_t ahrs_type_of(const std::uint8_t* payload) {
  return static_cast<std::uint8_t>(raw_value<ahrs_layout::ahrs_type>(payload));
}

// Decodes a payload of ahrs_payload_size bytes (a shorter record zero-padded to that size).
ahrs_values decode_ahrs(const std::uint8_t* payload);
ahrs_hr_values decode_ahrs_hr(const std::uint8_t* payload);

// The values of a high-rate cache slot: the header, and the message read as a high-rate
// message whatever the type byte says (a slot that never received a record reads as zeros).
// Reads ahrs_hr_layout::size bytes.
ahrs_values decode_ahrs_high_rate(const std::uint8_t* payload);

// What the flight path samples from a high-rate message, read alone: the path takes a sample
// after nearly every record and needs a few of the message's fields.
struct ahrs_hr_attitude {
  ahrs_hr_values::angle roll;
  ahrs_hr_values::angle pitch;
  ahrs_hr_values::angle yaw;
  int pressure_alt_ft;
  std::int16_t asi_raw;
};

// An angle's degrees as a float, the float of value(): stored * 180 / 32768 is stored * 45 /
// 8192, which a float holds exactly (|stored * 45| < 2^24), so no double is needed on the way.
inline float degrees_as_float(ahrs_hr_values::angle a) {
  static_assert(ahrs_hr_layout::half_turns.multiply == 180.0 && ahrs_hr_layout::half_turns.divide == 32768.0);
  return static_cast<float>(a.stored * 45) * 0x1p-13f;
}

inline ahrs_hr_attitude decode_ahrs_hr_attitude(const std::uint8_t* p) {
  namespace hr = ahrs_hr_layout;
  return {scaled_number_of<hr::roll_angle>(p), scaled_number_of<hr::pitch_angle>(p), scaled_number_of<hr::yaw_angle>(p),
          whole_value<hr::pressure_alt>(p), static_cast<std::int16_t>(raw_value<hr::asi>(p))};
}

// The name of an AHRS type ("AHRS_High_Rate", ..., "Unknown").
std::string_view enum_value_ahrs_type(std::uint32_t ahrs_type);
