// AHRS records: type names, per-type field layout, angle and air-data scaling, verbose line sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "decoders/ahrs.h"
#include "support/capture.h"
#include "support/xml_check.h"

namespace {

// Renders payload bytes as the XML pass renders a selected record.
std::string render_ahrs(std::span<const std::uint8_t> bytes, bool verbose) {
  return render_xml_record(source_ahrs, bytes, options_with([&](library_options& o) { o.verbose = verbose; }));
}

const ahrs_hr_fields banked_climb = {.mode = 3,
                                     .roll_angle = 0x4000,
                                     .pitch_angle = -0x4000,
                                     .yaw_angle = 0x7FFF,
                                     .pressure_alt = 9500,
                                     .vsi = -500,
                                     .asi = 1688,
                                     .asi_roc = -50,
                                     .accelerometer_roll_angle = -1,
                                     .acceleration = 981,
                                     .checksum = 171};

const ahrs_lr_fields housekeeping = {.outsidetemp = -10,
                                     .voltage_1 = 1380,
                                     .voltage_2 = -5,
                                     .voltage_3 = 0,
                                     .status_word1 = -128,
                                     .status_word2 = 1,
                                     .status_word3 = 127,
                                     .internaltemp = 35,
                                     .sw_internal_version_major = 2,
                                     .sw_internal_version_minor = 7,
                                     .checksum = 9};

}  // namespace

TEST(AhrsRecord, HighRateQuietAndVerboseLineSets) {
  const std::string verbose =
      "\t<ahrs_log_entry source_type=\"fe\" source_type_desc=\"AHRS_High_Rate\">\n"
      "\t<ahrs_header_raw header1=\"0\" header2=\"0\" header3=\"fe\" ahrs_type=\"fe\"/>\n"
      "\t<ahrs_hr_log_entry>\n"
      "\t\t<roll_angle>+90.00</roll_angle>\n"
      "\t\t<pitch_angle>-90.00</pitch_angle>\n"
      "\t\t<yaw_angle>+179.99</yaw_angle>\n"
      "\t\t<roll_angle_raw>16384</roll_angle_raw>\n"
      "\t\t<pitch_angle_raw>-16384</pitch_angle_raw>\n"
      "\t\t<yaw_angle_raw>32767</yaw_angle_raw>\n"
      "\t\t<pressure_alt unit=\"feet\">4500</pressure_alt>\n"
      "\t\t<vsi unit=\"fpm\">-500</vsi>\n"
      "\t\t<asi>\n"
      "\t\t\t<knots>100.01</knots>\n"
      "\t\t\t<mph>115.09</mph>\n"
      "\t\t\t<fps>168.80</fps>\n"
      "\t\t\t<fps_raw>1688</fps_raw>\n"
      "\t\t</asi>\n"
      "\t\t<acceleration>\n"
      "\t\t\t<G>+1.00</G>\n"
      "\t\t\t<si>+9.81</si>\n"
      "\t\t\t<si_raw>981</si_raw>\n"
      "\t\t</acceleration>\n"
      "\t\t<asi_roc unit=\"fpsps\">-1.00</asi_roc>\n"
      "\t\t<accelerometer_roll_angle>-0.01</accelerometer_roll_angle>\n"
      "\t\t<accelerometer_roll_angle_raw>-1</accelerometer_roll_angle_raw>\n"
      "\t\t<mode>3</mode>\n"
      "\t\t<verboseinfo checksum=\"171\"/>\n"
      "\t</ahrs_hr_log_entry>\n"
      "\t</ahrs_log_entry>\n";
  // The quiet set is the verbose one without its extra lines.
  EXPECT_EQ(render_ahrs(ahrs_hr_payload(banked_climb), false),
            without_lines(verbose, {"header_raw", "_raw>", "<fps>", "<si>", "asi_roc", "accelerometer", "<mode>",
                                    "verboseinfo"}));
  EXPECT_EQ(render_ahrs(ahrs_hr_payload(banked_climb), true), verbose);
}

TEST(AhrsRecord, LowRateQuietAndVerboseLineSets) {
  const std::string verbose =
      "\t<ahrs_log_entry source_type=\"fd\" source_type_desc=\"AHRS_Low_Rate\">\n"
      "\t<ahrs_header_raw header1=\"0\" header2=\"0\" header3=\"fd\" ahrs_type=\"fd\"/>\n"
      "\t<ahrs_lr_log_entry>\n"
      "\t\t<outsidetemp>-10</outsidetemp>\n"
      "\t\t<voltage_1>13.80</voltage_1>\n"
      "\t\t<voltage_2>-0.05</voltage_2>\n"
      "\t\t<voltage_3>0.00</voltage_3>\n"
      "\t\t<verboseinfo checksum=\"9\"/>\n"
      "\t\t<status_word1>-128</status_word1>\n"
      "\t\t<status_word2>1</status_word2>\n"
      "\t\t<status_word3>127</status_word3>\n"
      "\t\t<internaltemp>+35</internaltemp>\n"
      "\t\t<sw_internal_version>2.7</sw_internal_version>\n"
      "\t\t<voltage_1_raw>1380</voltage_1_raw>\n"
      "\t\t<voltage_2_raw>-5</voltage_2_raw>\n"
      "\t\t<voltage_3_raw>0</voltage_3_raw>\n"
      "\t</ahrs_lr_log_entry>\n"
      "\t</ahrs_log_entry>\n";
  EXPECT_EQ(render_ahrs(ahrs_lr_payload(housekeeping), false),
            without_lines(verbose, {"header_raw", "_raw>", "verboseinfo", "status_word", "internaltemp", "sw_internal"}));
  EXPECT_EQ(render_ahrs(ahrs_lr_payload(housekeeping), true), verbose);
}

TEST(AhrsRecord, UndecodedTypesRenderOnlyTheNamedWrapper) {
  struct row {
    std::uint8_t ahrs_type;
    bool verbose;
    const char* expected;
  };
  const row rows[] = {
      {250, false,
       "\t<ahrs_log_entry source_type=\"fa\" source_type_desc=\"Factory_EEPROM_Mode\">\n"
       "\t</ahrs_log_entry>\n"},
      {251, false,
       "\t<ahrs_log_entry source_type=\"fb\" source_type_desc=\"Maintenance_Message\">\n"
       "\t</ahrs_log_entry>\n"},
      {0, false, "\t<ahrs_log_entry source_type=\"0\" source_type_desc=\"Unknown\">\n\t</ahrs_log_entry>\n"},
      {255, true,
       "\t<ahrs_log_entry source_type=\"ff\" source_type_desc=\"Unknown\">\n"
       "\t<ahrs_header_raw header1=\"1a\" header2=\"b0\" header3=\"ff\" ahrs_type=\"ff\"/>\n"
       "\t</ahrs_log_entry>\n"},
      {252, false,
       "\t<ahrs_log_entry source_type=\"fc\" source_type_desc=\"User_Calibration\">\n"
       "\t<ahrs_user_cal_log_entry>\n\t</ahrs_user_cal_log_entry>\n"
       "\t</ahrs_log_entry>\n"},
      {252, true,
       "\t<ahrs_log_entry source_type=\"fc\" source_type_desc=\"User_Calibration\">\n"
       "\t<ahrs_header_raw header1=\"1a\" header2=\"b0\" header3=\"fc\" ahrs_type=\"fc\"/>\n"
       "\t<ahrs_user_cal_log_entry>\n\t\t<verboseinfo checksum=\"200\"/>\n\t</ahrs_user_cal_log_entry>\n"
       "\t</ahrs_log_entry>\n"},
  };
  for (const row& r : rows) {
    payload_builder p(25);
    p.u8(0, 0x1a).u8(1, 0xb0).u8(2, r.ahrs_type).u16(3, 0x1234).u8(24, 200);
    EXPECT_EQ(render_ahrs(p.bytes(), r.verbose), r.expected) << int{r.ahrs_type};
  }
}

TEST(AhrsRecord, HighRateValuesKeepScaleAndSign) {
  struct row {
    const char* what;
    ahrs_hr_fields fields;
    bool verbose;
    const char* line;
  };
  const row rows[] = {
      {"roll down", {.roll_angle = -0x4000}, false, "\t\t<roll_angle>-90.00</roll_angle>\n"},
      {"roll half turn", {.roll_angle = -0x8000}, false, "\t\t<roll_angle>-180.00</roll_angle>\n"},
      {"roll zero", {.roll_angle = 0}, false, "\t\t<roll_angle>+0.00</roll_angle>\n"},
      {"roll one step down", {.roll_angle = -1}, false, "\t\t<roll_angle>-0.01</roll_angle>\n"},
      {"pressure at offset", {.pressure_alt = 5000}, false, "\t\t<pressure_alt unit=\"feet\">0</pressure_alt>\n"},
      {"pressure below offset", {.pressure_alt = 0}, false,
       "\t\t<pressure_alt unit=\"feet\">-5000</pressure_alt>\n"},
      {"pressure unsigned", {.pressure_alt = 0xFFFF}, false,
       "\t\t<pressure_alt unit=\"feet\">60535</pressure_alt>\n"},
      {"negative knots", {.asi = -1688}, false, "\t\t\t<knots>-100.01</knots>\n"},
      {"negative mph", {.asi = -1688}, false, "\t\t\t<mph>-115.09</mph>\n"},
      {"negative fps", {.asi = -1688}, true, "\t\t\t<fps>-168.80</fps>\n"},
      {"G of zero", {.acceleration = 0}, false, "\t\t\t<G>+0.00</G>\n"},
      {"G rounding to negative zero", {.acceleration = -1}, false, "\t\t\t<G>-0.00</G>\n"},
      {"si negative", {.acceleration = -1}, true, "\t\t\t<si>-0.01</si>\n"},
      {"airspeed change zero", {.asi_roc = 0}, true, "\t\t<asi_roc unit=\"fpsps\">+0.00</asi_roc>\n"},
      {"accelerometer roll", {.accelerometer_roll_angle = 0x4000}, true,
       "\t\t<accelerometer_roll_angle>+90.00</accelerometer_roll_angle>\n"},
      {"mode unsigned", {.mode = 255}, true, "\t\t<mode>255</mode>\n"},
  };
  for (const row& r : rows) {
    const std::string out = render_ahrs(ahrs_hr_payload(r.fields), r.verbose);
    EXPECT_NE(out.find(r.line), std::string::npos) << r.what << "\n" << out;
  }
}

TEST(AhrsRecord, LowRateValuesKeepTheirSignedness) {
  struct row {
    const char* what;
    ahrs_lr_fields fields;
    const char* line;
  };
  const row rows[] = {
      {"outside zero", {.outsidetemp = 0}, "\t\t<outsidetemp>+0</outsidetemp>\n"},
      {"outside has no offset", {.outsidetemp = 50}, "\t\t<outsidetemp>+50</outsidetemp>\n"},
      {"internal unsigned with sign", {.internaltemp = 200}, "\t\t<internaltemp>+200</internaltemp>\n"},
      {"internal zero", {.internaltemp = 0}, "\t\t<internaltemp>+0</internaltemp>\n"},
      {"version signed",
       {.sw_internal_version_major = -1, .sw_internal_version_minor = 10},
       "\t\t<sw_internal_version>-1.10</sw_internal_version>\n"},
      {"checksum unsigned", {.checksum = 255}, "\t\t<verboseinfo checksum=\"255\"/>\n"},
  };
  for (const row& r : rows) {
    const std::string out = render_ahrs(ahrs_lr_payload(r.fields), true);
    EXPECT_NE(out.find(r.line), std::string::npos) << r.what << "\n" << out;
  }
}

TEST(AhrsRecord, EachMessageReadsItsFieldsBigEndianAtTheirOffsets) {
  std::uint8_t p[ahrs_payload_size];
  for (std::size_t i = 0; i < sizeof p; ++i) p[i] = static_cast<std::uint8_t>(0x40 + i);
  const auto be = [&p](std::size_t off) { return static_cast<std::int16_t>(p[off] << 8 | p[off + 1]); };

  p[2] = ahrs_type_high_rate;
  const ahrs_hr_values hr = decode_ahrs(p).high_rate;
  EXPECT_EQ(hr.mode, p[3]);
  EXPECT_EQ(hr.roll.stored, be(4));
  EXPECT_EQ(hr.pitch.stored, be(6));
  EXPECT_EQ(hr.yaw.stored, be(8));
  EXPECT_EQ(hr.pressure_alt_ft, static_cast<std::uint16_t>(be(10)) - 5000);
  EXPECT_EQ(hr.vsi_fpm, be(12));
  EXPECT_EQ(hr.asi_raw, be(14));
  EXPECT_EQ(hr.asi_roc_fpsps(), be(16) * 0.02);
  EXPECT_EQ(hr.accelerometer_roll.stored, be(18));
  EXPECT_EQ(hr.acceleration_raw, be(20));
  EXPECT_EQ(hr.checksum, p[22]);

  p[2] = ahrs_type_low_rate;
  const ahrs_lr_values lr = decode_ahrs(p).low_rate;
  EXPECT_EQ(lr.outside_temp_c, static_cast<std::int8_t>(p[3]));
  EXPECT_EQ(lr.voltage[0].stored, be(4));
  EXPECT_EQ(lr.voltage[1].stored, be(6));
  EXPECT_EQ(lr.voltage[2].stored, be(8));
  EXPECT_EQ(lr.status_word[2], static_cast<std::int8_t>(p[12]));
  EXPECT_EQ(lr.internal_temp, p[13]);
  EXPECT_EQ(lr.sw_version_minor, static_cast<std::int8_t>(p[15]));
  EXPECT_EQ(lr.checksum, p[20]);

  p[2] = ahrs_type_user_cal;
  EXPECT_EQ(decode_ahrs(p).user_cal_checksum, p[24]);
}

TEST(AhrsRecord, HighRateWithoutSubPayloadRendersZeros) {
  const std::string doc = decode_xml(log_writer().ahrs_raw(100, 254, {}).str(), options_with([](library_options& o) {
    o.summary = 0;
    o.ahrs_hr = 1;
  }));
  EXPECT_NE(doc.find("\t\t<pressure_alt unit=\"feet\">-5000</pressure_alt>\n"), std::string::npos) << doc;
  EXPECT_NE(doc.find("\t\t<roll_angle>+0.00</roll_angle>\n"), std::string::npos);
}

TEST(AhrsRecord, CachedRatesAreConvertedOnceWhateverTimesTheyAreRendered) {
  struct row {
    std::int32_t ahrs_selected;
    std::size_t high_rate_renderings, low_rate_renderings;  // summaries, plus the record if selected
  };
  for (const row r : {row{0, 3, 2}, row{1, 4, 3}}) {
    // summary_deciseconds 0: a summary before every later timestamp
    const library_options o = options_with([&](library_options& o) { o.ahrs = r.ahrs_selected, o.summary_deciseconds = 0; });
    const std::string log = log_writer()
                                .ahrs_hr(1, {.roll_angle = 0x4000})
                                .ahrs_lr(2, {.voltage_1 = 1380})
                                .record(source_state, 3, "s")
                                .record(source_state, 4, "s")
                                .str();
    const std::string doc = decode_xml(log, o);
    EXPECT_EQ(count_of(doc, "<roll_angle>+90.00</roll_angle>"), r.high_rate_renderings) << doc;
    EXPECT_EQ(count_of(doc, "<roll_angle>"), r.high_rate_renderings);
    EXPECT_EQ(count_of(doc, "<voltage_1>13.80</voltage_1>"), r.low_rate_renderings);
    EXPECT_EQ(count_of(doc, "<voltage_1>"), r.low_rate_renderings);
  }
}

TEST(AhrsRecord, ReportWithEveryAhrsTypeParsesAsXml) {
  for (const std::int32_t verbose : {0, 1}) {
    const library_options o = options_with([&](library_options& o) { o.verbose = verbose, o.ahrs = 1, o.summary_deciseconds = 0; });
    const std::uint8_t factory_bytes[] = {1, 2, 3};
    const std::string log = log_writer()
                                .ahrs_hr(10, banked_climb)
                                .ahrs_lr(20, housekeeping)
                                .ahrs_user_cal(30, {1, 2, 3, 4, 5, 6, 7, 8}, 77)
                                .ahrs_raw(40, 250, factory_bytes)
                                .ahrs_raw(50, 0, {})
                                .ahrs_raw(60, 254, {})
                                .str();
    EXPECT_TRUE(is_well_formed_xml(decode_xml(log, o))) << "verbose " << verbose;
  }
}

TEST(AhrsRecord, PathAngleIsTheFloatOfTheDoubleAngleForEveryStoredValue) {
  for (int stored = -32768; stored <= 32767; ++stored) {
    const ahrs_hr_values::angle a{stored};
    ASSERT_EQ(degrees_as_float(a), static_cast<float>(a.value())) << stored;
  }
}
