#include "decoders/ahrs.h"

#include <array>

namespace {

namespace hr = ahrs_hr_layout;
namespace lr = ahrs_lr_layout;
namespace cal = ahrs_user_cal_layout;

constexpr const layout_field* hr_fields[] = {&hr::mode,         &hr::roll_angle,   &hr::pitch_angle,
                                             &hr::yaw_angle,    &hr::pressure_alt, &hr::vsi,
                                             &hr::asi,          &hr::asi_roc,      &hr::accelerometer_roll_angle,
                                             &hr::acceleration, &hr::checksum};
constexpr const layout_field* lr_fields[] = {
    &lr::outsidetemp, &lr::voltage[2], &lr::status_word[2], &lr::internaltemp, &lr::sw_internal_version_minor,
    &lr::checksum};
constexpr const layout_field* cal_fields[] = {&cal::cal_word1, &cal::cal_word8, &cal::checksum};
static_assert(layout_extent(hr_fields) == hr::size && layout_extent(lr_fields) == lr::size &&
              layout_extent(cal_fields) == cal::size);

struct ahrs_type_name {
  std::uint32_t type;
  std::string_view name;
};

constexpr std::array<ahrs_type_name, 5> ahrs_type_names = {{
    {ahrs_type_factory, "Factory_EEPROM_Mode"},
    {ahrs_type_maintenance, "Maintenance_Message"},
    {ahrs_type_user_cal, "User_Calibration"},
    {ahrs_type_low_rate, "AHRS_Low_Rate"},
    {ahrs_type_high_rate, "AHRS_High_Rate"},
}};

ahrs_lr_values decode_ahrs_lr(const std::uint8_t* p) {
  ahrs_lr_values v;
  v.outside_temp_c = static_cast<std::int8_t>(raw_value<lr::outsidetemp>(p));
  v.voltage[0] = scaled_number_of<lr::voltage, 0>(p);
  v.voltage[1] = scaled_number_of<lr::voltage, 1>(p);
  v.voltage[2] = scaled_number_of<lr::voltage, 2>(p);
  v.status_word[0] = static_cast<std::int8_t>(raw_value<lr::status_word, 0>(p));
  v.status_word[1] = static_cast<std::int8_t>(raw_value<lr::status_word, 1>(p));
  v.status_word[2] = static_cast<std::int8_t>(raw_value<lr::status_word, 2>(p));
  v.internal_temp = static_cast<std::uint8_t>(raw_value<lr::internaltemp>(p));
  v.sw_version_major = static_cast<std::int8_t>(raw_value<lr::sw_internal_version_major>(p));
  v.sw_version_minor = static_cast<std::int8_t>(raw_value<lr::sw_internal_version_minor>(p));
  v.checksum = static_cast<std::uint8_t>(raw_value<lr::checksum>(p));
  return v;
}

}  // namespace

ahrs_hr_values decode_ahrs_hr(const std::uint8_t* p) {
  ahrs_hr_values v;
  v.roll = scaled_number_of<hr::roll_angle>(p);
  v.pitch = scaled_number_of<hr::pitch_angle>(p);
  v.yaw = scaled_number_of<hr::yaw_angle>(p);
  v.accelerometer_roll = scaled_number_of<hr::accelerometer_roll_angle>(p);
  v.pressure_alt_ft = whole_value<hr::pressure_alt>(p);
  v.vsi_fpm = static_cast<std::int16_t>(raw_value<hr::vsi>(p));
  v.asi_raw = static_cast<std::int16_t>(raw_value<hr::asi>(p));
  v.acceleration_raw = static_cast<std::int16_t>(raw_value<hr::acceleration>(p));
  v.asi_roc_raw = static_cast<std::int16_t>(raw_value<hr::asi_roc>(p));
  v.mode = static_cast<std::uint8_t>(raw_value<hr::mode>(p));
  v.checksum = static_cast<std::uint8_t>(raw_value<hr::checksum>(p));
  return v;
}

namespace {

// The three header bytes; the message is left to the caller.
ahrs_values with_header(const std::uint8_t* p) {
  ahrs_values v;
  v.header1 = static_cast<std::uint8_t>(raw_value<ahrs_layout::header1>(p));
  v.header2 = static_cast<std::uint8_t>(raw_value<ahrs_layout::header2>(p));
  v.ahrs_type = ahrs_type_of(p);
  return v;
}

}  // namespace

ahrs_values decode_ahrs(const std::uint8_t* p) {
  ahrs_values v = with_header(p);
  switch (v.ahrs_type) {
    case ahrs_type_high_rate: v.high_rate = decode_ahrs_hr(p); break;
    case ahrs_type_low_rate: v.low_rate = decode_ahrs_lr(p); break;
    case ahrs_type_user_cal: v.user_cal_checksum = static_cast<std::uint8_t>(raw_value<cal::checksum>(p)); break;
    default: break;
  }
  return v;
}

ahrs_values decode_ahrs_high_rate(const std::uint8_t* p) {
  ahrs_values v = with_header(p);
  v.high_rate = decode_ahrs_hr(p);
  return v;
}

std::string_view enum_value_ahrs_type(std::uint32_t ahrs_type) {
  for (const ahrs_type_name& row : ahrs_type_names) {
    if (row.type == ahrs_type) return row.name;
  }
  return "Unknown";
}
