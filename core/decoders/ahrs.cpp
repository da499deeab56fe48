// AHRS records: attitude and air data at a high rate, voltages and housekeeping at a low rate,
// user calibration words; factory and maintenance messages are named but not decoded.
#include "decoders/ahrs.h"

#include <array>
#include <cstring>
#include <string_view>

#include "records/byte_order.h"
#include "records/efis_record.h"
#include "records/library_state.h"
#include "xml/fixed_format.h"

namespace {

namespace entry = ahrs_log_entry;
namespace hr = ahrs_hr_log_entry;
namespace lr = ahrs_lr_log_entry;
namespace cal = ahrs_user_cal_log_entry;

static_assert(entry::header3 == ahrs_type_offset, "the dispatch reads the AHRS type at the same byte");
static_assert(entry::size <= payload_area_size, "the AHRS entry lies in the record's payload area");
static_assert(hr::size <= entry::sub_payload_size && lr::size <= entry::sub_payload_size &&
              cal::size <= entry::sub_payload_size);

// Big-endian 16-bit fields of each sub-payload, as sub-payload offsets.
constexpr std::array<std::uint8_t, 9> ahrs_hr_u16_offsets = {
    hr::roll_angle, hr::pitch_angle, hr::yaw_angle, hr::pressure_alt, hr::vsi,
    hr::asi, hr::asi_roc, hr::accelerometer_roll_angle, hr::acceleration,
};
constexpr std::array<std::uint8_t, 3> ahrs_lr_u16_offsets = {
    lr::voltage_1, lr::voltage_2, lr::voltage_3,
};
constexpr std::array<std::uint8_t, 8> ahrs_user_cal_u16_offsets = {
    cal::cal_word(1), cal::cal_word(2), cal::cal_word(3), cal::cal_word(4),
    cal::cal_word(5), cal::cal_word(6), cal::cal_word(7), cal::cal_word(8),
};

struct ahrs_type_name {
  std::uint32_t type;
  const char* name;
};

constexpr std::array<ahrs_type_name, 5> ahrs_type_names = {{
    {250, "Factory_EEPROM_Mode"},
    {251, "Maintenance_Message"},
    {ahrs_type_user_cal, "User_Calibration"},
    {ahrs_type_low_rate, "AHRS_Low_Rate"},
    {ahrs_type_high_rate, "AHRS_High_Rate"},
}};
constexpr const char* unknown_ahrs_type_name = "Unknown";

// Attitude angles are signed fractions of a half turn.
double angle_degrees(std::int16_t raw) { return raw * 180.0 / 32768.0; }

}  // namespace

char* enum_value_ahrs_type(char* dest, std::uint32_t ahrs_type) {
  const char* name = unknown_ahrs_type_name;
  for (const ahrs_type_name& row : ahrs_type_names) {
    if (row.type == ahrs_type) name = row.name;
  }
  return std::strcpy(dest, name);
}

void swapendian_ahrs_hr_log_entry(std::uint8_t* sub) { swap16_fields(sub, ahrs_hr_u16_offsets); }
void swapendian_ahrs_lr_log_entry(std::uint8_t* sub) { swap16_fields(sub, ahrs_lr_u16_offsets); }
void swapendian_ahrs_user_cal_log_entry(std::uint8_t* sub) {
  swap16_fields(sub, ahrs_user_cal_u16_offsets);
}

void swapendian_ahrs_log_entry(std::uint8_t* payload) {
  std::uint8_t* sub = payload + entry::sub_payload;
  switch (u8_at(payload, entry::header3)) {
    case ahrs_type_user_cal: swapendian_ahrs_user_cal_log_entry(sub); break;
    case ahrs_type_low_rate: swapendian_ahrs_lr_log_entry(sub); break;
    case ahrs_type_high_rate: swapendian_ahrs_hr_log_entry(sub); break;
    default: break;
  }
}

int print_xml_ahrs_log_entry(std::uint8_t* payload) {
  output_writer& out = lib.out;
  const int ahrs_type = u8_at(payload, entry::header3);
  char* desc = reinterpret_cast<char*>(payload + entry::ahrs_type_desc);
  enum_value_ahrs_type(desc, static_cast<std::uint32_t>(ahrs_type));

  // The source_type attribute here carries the AHRS type, not the record's source type.
  out.line(OUT_FORMAT("\t<ahrs_log_entry source_type=\"{:x}\" source_type_desc=\"{}\">\n"),
           ahrs_type, std::string_view(desc));
  if (lib.options.verbose != 0) {
    out.line(OUT_FORMAT("\t<ahrs_header_raw header1=\"{:x}\" header2=\"{:x}\" header3=\"{:x}\" "
                         "ahrs_type=\"{:x}\"/>\n"),
             int{u8_at(payload, entry::header1)}, int{u8_at(payload, entry::header2)}, ahrs_type,
             ahrs_type);
  }
  const std::uint8_t* sub = payload + entry::sub_payload;
  switch (ahrs_type) {
    case ahrs_type_user_cal: print_xml_ahrs_user_cal_log_entry(sub); break;
    case ahrs_type_low_rate: print_xml_ahrs_lr_log_entry(sub); break;
    case ahrs_type_high_rate: print_xml_ahrs_hr_log_entry(sub); break;
    default: break;
  }
  return out.text("\t</ahrs_log_entry>\n");
}

int print_xml_ahrs_hr_log_entry(const std::uint8_t* sub) {
  output_writer& out = lib.out;
  const bool verbose = lib.options.verbose != 0;
  const std::int16_t roll = s16_at(sub, hr::roll_angle);
  const std::int16_t pitch = s16_at(sub, hr::pitch_angle);
  const std::int16_t yaw = s16_at(sub, hr::yaw_angle);
  const std::int16_t asi = s16_at(sub, hr::asi);
  const std::int16_t acceleration = s16_at(sub, hr::acceleration);

  out.text("\t<ahrs_hr_log_entry>\n");
  out.line(OUT_FORMAT("\t\t<roll_angle>{}</roll_angle>\n"), signed_fixed(angle_degrees(roll), 2));
  out.line(OUT_FORMAT("\t\t<pitch_angle>{}</pitch_angle>\n"), signed_fixed(angle_degrees(pitch), 2));
  out.line(OUT_FORMAT("\t\t<yaw_angle>{}</yaw_angle>\n"), signed_fixed(angle_degrees(yaw), 2));
  if (verbose) {
    out.line(OUT_FORMAT("\t\t<roll_angle_raw>{}</roll_angle_raw>\n"), roll);
    out.line(OUT_FORMAT("\t\t<pitch_angle_raw>{}</pitch_angle_raw>\n"), pitch);
    out.line(OUT_FORMAT("\t\t<yaw_angle_raw>{}</yaw_angle_raw>\n"), yaw);
  }
  // Feet with an offset of 5000, so anything below 5000 prints negative.
  out.line(OUT_FORMAT("\t\t<pressure_alt unit=\"feet\">{}</pressure_alt>\n"),
           int{u16_at(sub, hr::pressure_alt)} - 5000);
  out.line(OUT_FORMAT("\t\t<vsi unit=\"fpm\">{}</vsi>\n"), s16_at(sub, hr::vsi));

  // Airspeed in tenths of feet per second.
  out.text("\t\t<asi>\n");
  out.line(OUT_FORMAT("\t\t\t<knots>{}</knots>\n"), fixed(asi / 16.8780986, 2));
  out.line(OUT_FORMAT("\t\t\t<mph>{}</mph>\n"), fixed(asi / 14.6666667, 2));
  if (verbose) {
    out.line(OUT_FORMAT("\t\t\t<fps>{}</fps>\n"), fixed(asi / 10.0, 2));
    out.line(OUT_FORMAT("\t\t\t<fps_raw>{}</fps_raw>\n"), asi);
  }
  out.text("\t\t</asi>\n");

  // Acceleration in hundredths of m/s^2.
  out.text("\t\t<acceleration>\n");
  out.line(OUT_FORMAT("\t\t\t<G>{}</G>\n"), signed_fixed(acceleration / 100.0 / 9.80665, 2));
  if (verbose) {
    out.line(OUT_FORMAT("\t\t\t<si>{}</si>\n"), signed_fixed(acceleration / 100.0, 2));
    out.line(OUT_FORMAT("\t\t\t<si_raw>{}</si_raw>\n"), acceleration);
  }
  out.text("\t\t</acceleration>\n");

  if (verbose) {
    const std::int16_t accelerometer_roll = s16_at(sub, hr::accelerometer_roll_angle);
    out.line(OUT_FORMAT("\t\t<asi_roc unit=\"fpsps\">{}</asi_roc>\n"),
             signed_fixed(s16_at(sub, hr::asi_roc) * 0.02, 2));
    out.line(OUT_FORMAT("\t\t<accelerometer_roll_angle>{}</accelerometer_roll_angle>\n"),
             signed_fixed(angle_degrees(accelerometer_roll), 2));
    out.line(OUT_FORMAT("\t\t<accelerometer_roll_angle_raw>{}</accelerometer_roll_angle_raw>\n"),
             accelerometer_roll);
    out.line(OUT_FORMAT("\t\t<mode>{}</mode>\n"), int{u8_at(sub, hr::mode)});
    out.line(OUT_FORMAT("\t\t<verboseinfo checksum=\"{}\"/>\n"), int{u8_at(sub, hr::checksum)});
  }
  return out.text("\t</ahrs_hr_log_entry>\n");
}

int print_xml_ahrs_lr_log_entry(const std::uint8_t* sub) {
  output_writer& out = lib.out;
  const std::int16_t voltage_1 = s16_at(sub, lr::voltage_1);
  const std::int16_t voltage_2 = s16_at(sub, lr::voltage_2);
  const std::int16_t voltage_3 = s16_at(sub, lr::voltage_3);

  out.text("\t<ahrs_lr_log_entry>\n");
  // Printed as stored: unlike the EIS outside temperature there is no offset.
  out.line(OUT_FORMAT("\t\t<outsidetemp>{:+}</outsidetemp>\n"), int{s8_at(sub, lr::outsidetemp)});
  out.line(OUT_FORMAT("\t\t<voltage_1>{}</voltage_1>\n"), fixed(voltage_1 / 100.0, 2));
  out.line(OUT_FORMAT("\t\t<voltage_2>{}</voltage_2>\n"), fixed(voltage_2 / 100.0, 2));
  out.line(OUT_FORMAT("\t\t<voltage_3>{}</voltage_3>\n"), fixed(voltage_3 / 100.0, 2));
  if (lib.options.verbose != 0) {
    out.line(OUT_FORMAT("\t\t<verboseinfo checksum=\"{}\"/>\n"), int{u8_at(sub, lr::checksum)});
    out.line(OUT_FORMAT("\t\t<status_word1>{}</status_word1>\n"), int{s8_at(sub, lr::status_word1)});
    out.line(OUT_FORMAT("\t\t<status_word2>{}</status_word2>\n"), int{s8_at(sub, lr::status_word2)});
    out.line(OUT_FORMAT("\t\t<status_word3>{}</status_word3>\n"), int{s8_at(sub, lr::status_word3)});
    out.line(OUT_FORMAT("\t\t<internaltemp>{:+}</internaltemp>\n"), int{u8_at(sub, lr::internaltemp)});
    out.line(OUT_FORMAT("\t\t<sw_internal_version>{}.{}</sw_internal_version>\n"),
             int{s8_at(sub, lr::sw_internal_version_major)},
             int{s8_at(sub, lr::sw_internal_version_minor)});
    out.line(OUT_FORMAT("\t\t<voltage_1_raw>{}</voltage_1_raw>\n"), voltage_1);
    out.line(OUT_FORMAT("\t\t<voltage_2_raw>{}</voltage_2_raw>\n"), voltage_2);
    out.line(OUT_FORMAT("\t\t<voltage_3_raw>{}</voltage_3_raw>\n"), voltage_3);
  }
  return out.text("\t</ahrs_lr_log_entry>\n");
}

int print_xml_ahrs_user_cal_log_entry(const std::uint8_t* sub) {
  output_writer& out = lib.out;
  out.text("\t<ahrs_user_cal_log_entry>\n");
  if (lib.options.verbose != 0) {
    out.line(OUT_FORMAT("\t\t<verboseinfo checksum=\"{}\"/>\n"), int{u8_at(sub, cal::checksum)});
  }
  return out.text("\t</ahrs_user_cal_log_entry>\n");
}
