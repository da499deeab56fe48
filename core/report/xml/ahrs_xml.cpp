#include "report/xml/ahrs_xml.h"

int print_xml_ahrs_log_entry(output_writer& out, const ahrs_values& v, bool verbose) {
  const int ahrs_type = v.ahrs_type;
  // The source_type attribute here carries the AHRS type, not the record's source type.
  out.line(OUT_FORMAT("\t<ahrs_log_entry source_type=\"{:x}\" source_type_desc=\"{}\">\n"), ahrs_type,
           enum_value_ahrs_type(v.ahrs_type));
  if (verbose) {
    out.line(OUT_FORMAT("\t<ahrs_header_raw header1=\"{:x}\" header2=\"{:x}\" header3=\"{:x}\" "
                        "ahrs_type=\"{:x}\"/>\n"),
             int{v.header1}, int{v.header2}, ahrs_type, ahrs_type);
  }
  switch (v.ahrs_type) {
    case ahrs_type_user_cal: print_xml_ahrs_user_cal_log_entry(out, v.user_cal_checksum, verbose); break;
    case ahrs_type_low_rate: print_xml_ahrs_lr_log_entry(out, v.low_rate, verbose); break;
    case ahrs_type_high_rate: print_xml_ahrs_hr_log_entry(out, v.high_rate, verbose); break;
    default: break;
  }
  return out.text("\t</ahrs_log_entry>\n");
}

// Each run of lines between the verbose ones is one line format: one check of the buffer's room.
int print_xml_ahrs_hr_log_entry(output_writer& out, const ahrs_hr_values& v, bool verbose) {
  out.line(OUT_FORMAT("\t<ahrs_hr_log_entry>\n"
                      "\t\t<roll_angle>{}</roll_angle>\n"
                      "\t\t<pitch_angle>{}</pitch_angle>\n"
                      "\t\t<yaw_angle>{}</yaw_angle>\n"),
           signed_decimals(v.roll, 2), signed_decimals(v.pitch, 2), signed_decimals(v.yaw, 2));
  if (verbose) {
    out.line(OUT_FORMAT("\t\t<roll_angle_raw>{}</roll_angle_raw>\n"
                        "\t\t<pitch_angle_raw>{}</pitch_angle_raw>\n"
                        "\t\t<yaw_angle_raw>{}</yaw_angle_raw>\n"),
             v.roll.stored, v.pitch.stored, v.yaw.stored);
  }
  // Anything below the 5000 ft offset prints negative.
  out.line(OUT_FORMAT("\t\t<pressure_alt unit=\"feet\">{}</pressure_alt>\n"
                      "\t\t<vsi unit=\"fpm\">{}</vsi>\n"
                      "\t\t<asi>\n"
                      "\t\t\t<knots>{}</knots>\n"
                      "\t\t\t<mph>{}</mph>\n"),
           v.pressure_alt_ft, v.vsi_fpm, fixed(v.ias_kt(), 2), fixed(v.ias_mph(), 2));
  if (verbose) {
    out.line(OUT_FORMAT("\t\t\t<fps>{}</fps>\n"
                        "\t\t\t<fps_raw>{}</fps_raw>\n"),
             fixed_ratio(v.asi_raw, 10, 2), v.asi_raw);
  }
  out.line(OUT_FORMAT("\t\t</asi>\n"
                      "\t\t<acceleration>\n"
                      "\t\t\t<G>{}</G>\n"),
           signed_fixed(v.acceleration_g(), 2));
  if (verbose) {
    return out.line(OUT_FORMAT("\t\t\t<si>{}</si>\n"
                               "\t\t\t<si_raw>{}</si_raw>\n"
                               "\t\t</acceleration>\n"
                               "\t\t<asi_roc unit=\"fpsps\">{}</asi_roc>\n"
                               "\t\t<accelerometer_roll_angle>{}</accelerometer_roll_angle>\n"
                               "\t\t<accelerometer_roll_angle_raw>{}</accelerometer_roll_angle_raw>\n"
                               "\t\t<mode>{}</mode>\n"
                               "\t\t<verboseinfo checksum=\"{}\"/>\n"
                               "\t</ahrs_hr_log_entry>\n"),
                    signed_fixed_ratio(v.acceleration_raw, 100, 2), v.acceleration_raw,
                    signed_fixed_ratio(v.asi_roc_raw, 50, 2), signed_decimals(v.accelerometer_roll, 2),
                    v.accelerometer_roll.stored, int{v.mode}, int{v.checksum});
  }
  return out.text(
      "\t\t</acceleration>\n"
      "\t</ahrs_hr_log_entry>\n");
}

int print_xml_ahrs_lr_log_entry(output_writer& out, const ahrs_lr_values& v, bool verbose) {
  // The outside temperature is printed as stored: unlike the EIS one there is no offset.
  out.line(OUT_FORMAT("\t<ahrs_lr_log_entry>\n"
                      "\t\t<outsidetemp>{:+}</outsidetemp>\n"
                      "\t\t<voltage_1>{}</voltage_1>\n"
                      "\t\t<voltage_2>{}</voltage_2>\n"
                      "\t\t<voltage_3>{}</voltage_3>\n"),
           int{v.outside_temp_c}, decimals(v.voltage[0], 2), decimals(v.voltage[1], 2), decimals(v.voltage[2], 2));
  if (verbose) {
    out.line(OUT_FORMAT("\t\t<verboseinfo checksum=\"{}\"/>\n"
                        "\t\t<status_word1>{}</status_word1>\n"
                        "\t\t<status_word2>{}</status_word2>\n"
                        "\t\t<status_word3>{}</status_word3>\n"
                        "\t\t<internaltemp>{:+}</internaltemp>\n"
                        "\t\t<sw_internal_version>{}.{}</sw_internal_version>\n"
                        "\t\t<voltage_1_raw>{}</voltage_1_raw>\n"
                        "\t\t<voltage_2_raw>{}</voltage_2_raw>\n"
                        "\t\t<voltage_3_raw>{}</voltage_3_raw>\n"),
             int{v.checksum}, int{v.status_word[0]}, int{v.status_word[1]}, int{v.status_word[2]}, int{v.internal_temp},
             int{v.sw_version_major}, int{v.sw_version_minor}, v.voltage[0].stored, v.voltage[1].stored,
             v.voltage[2].stored);
  }
  return out.text("\t</ahrs_lr_log_entry>\n");
}

int print_xml_ahrs_user_cal_log_entry(output_writer& out, std::uint8_t checksum, bool verbose) {
  out.text("\t<ahrs_user_cal_log_entry>\n");
  if (verbose) out.line(OUT_FORMAT("\t\t<verboseinfo checksum=\"{}\"/>\n"), int{checksum});
  return out.text("\t</ahrs_user_cal_log_entry>\n");
}
