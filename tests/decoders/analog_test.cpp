// Analog input records: reading order, scales with the stored float constants, valid flags,
// the verbose raw lines and the constants block.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "decoders/analog.h"
#include "report/xml/analog_xml.h"
#include "support/capture.h"

namespace {

using readings = std::array<std::uint16_t, 16>;  // value1 .. value16

// The analog_input element of a record carrying these readings, as the report writes it.
std::string render(const readings& values, bool verbose = false) {
  std::uint8_t payload[analog_layout::size] = {};
  const auto bytes = analog_payload(values);
  std::memcpy(payload, bytes.data(), std::min(bytes.size(), sizeof payload));
  const analog_values v = decode_analog(payload, default_constants());
  return capture_output([&](output_writer& out) { print_xml_analog_entry(out, v, verbose); });
}

readings with(std::size_t n, std::uint16_t value) {
  readings r{};
  r[n - 1] = value;
  return r;
}

bool contains(const std::string& text, const std::string& line) {
  return text.find(line) != std::string::npos;
}

std::size_t line_count(const std::string& text) {
  std::size_t n = 0;
  for (const char c : text) n += c == '\n' ? 1 : 0;
  return n;
}

struct reading_case {
  std::size_t value;  // which reading (1-based)
  std::uint16_t raw;
  std::string expected_line;
};

void expect_lines(const std::vector<reading_case>& cases) {
  for (const reading_case& c : cases) {
    EXPECT_TRUE(contains(render(with(c.value, c.raw)), c.expected_line))
        << "value" << c.value << "=" << c.raw << " should give " << c.expected_line;
  }
}

}  // namespace

TEST(AnalogInput, DeviationsAreSignedFromTheirZeroReading) {
  expect_lines({
      {4, 606, "\t\t<localiser_deviation>+0.00</localiser_deviation>\n"},
      {4, 0, "\t\t<localiser_deviation>-598.12</localiser_deviation>\n"},
      {4, 1106, "\t\t<localiser_deviation>+493.50</localiser_deviation>\n"},
      // Products of the widened float constants, not of the decimal defaults nor float sums.
      {4, 31, "\t\t<localiser_deviation>-567.52</localiser_deviation>\n"},
      {4, 1631, "\t\t<localiser_deviation>+1011.67</localiser_deviation>\n"},
      {6, 610, "\t\t<glide_deviation>+0.00</glide_deviation>\n"},
      {6, 1110, "\t\t<glide_deviation>+490.00</glide_deviation>\n"},
      {6, 0, "\t\t<glide_deviation>-597.80</glide_deviation>\n"},
  });
}

TEST(AnalogInput, ValidFlagsSwitchAtTwentyAndTen) {
  struct flag_case {
    std::uint16_t raw;
    std::string attributes_and_text;
  };
  const flag_case cases[] = {
      {65535, "state=\"valid\" value=\"65535\">Valid Flag"},
      {20, "state=\"valid\" value=\"20\">Valid Flag"},
      {19, "value=\"19\">BAD DATA"},
      {11, "value=\"11\">BAD DATA"},
      {10, "state=\"invalid\" value=\"10\">Invalid Flag"},
      {0, "state=\"invalid\" value=\"0\">Invalid Flag"},
  };
  for (const flag_case& c : cases) {
    EXPECT_TRUE(contains(render(with(5, c.raw)),
                         "\t\t<localiser_valid " + c.attributes_and_text + "</localiser_valid>\n"))
        << c.raw;
    EXPECT_TRUE(contains(render(with(7, c.raw)),
                         "\t\t<glide_valid " + c.attributes_and_text + "</glide_valid>\n"))
        << c.raw;
  }
}

TEST(AnalogInput, VoltagesRunBackwardsThroughThePayload) {
  expect_lines({
      {3, 400, "\t\t<voltage_1>13.96</voltage_1>\n"},
      {2, 400, "\t\t<voltage_2>13.96</voltage_2>\n"},
      {1, 400, "\t\t<voltage_3>13.96</voltage_3>\n"},
      {1, 400, "\t\t<voltage_1>0.00</voltage_1>\n"},
      {3, 5577, "\t\t<voltage_1>194.61</voltage_1>\n"},
      {3, 6827, "\t\t<voltage_1>238.24</voltage_1>\n"},
  });
}

TEST(AnalogInput, InternalTemperatureScalesByTheReferenceVoltage) {
  expect_lines({
      {8, 60, "\t\t<internaltemp>2.96</internaltemp>\n"},
      {8, 1000, "\t\t<internaltemp>49.32</internaltemp>\n"},
      {8, 256, "\t\t<internaltemp>12.63</internaltemp>\n"},
  });
}

TEST(AnalogInput, GeneralInputsUseTheStoredFloatScale) {
  for (std::size_t i = 1; i <= 8; ++i) {
    const std::string tag = "scaledvalue" + std::to_string(i);
    expect_lines({
        {8 + i, 1000, "\t\t<" + tag + ">18.47</" + tag + ">\n"},
        {8 + i, 1, "\t\t<" + tag + ">0.02</" + tag + ">\n"},
        {8 + i, 28200, "\t\t<" + tag + ">520.99</" + tag + ">\n"},
    });
  }
}

TEST(AnalogInput, AllZeroRecordRendersEveryLine) {
  EXPECT_EQ(render(readings{}),
            "\t<analog_input>\n"
            "\t\t<voltage_1>0.00</voltage_1>\n"
            "\t\t<voltage_2>0.00</voltage_2>\n"
            "\t\t<voltage_3>0.00</voltage_3>\n"
            "\t\t<localiser_deviation>-598.12</localiser_deviation>\n"
            "\t\t<localiser_valid state=\"invalid\" value=\"0\">Invalid Flag</localiser_valid>\n"
            "\t\t<glide_deviation>-597.80</glide_deviation>\n"
            "\t\t<glide_valid state=\"invalid\" value=\"0\">Invalid Flag</glide_valid>\n"
            "\t\t<internaltemp>0.00</internaltemp>\n"
            "\t\t<scaledvalue1>0.00</scaledvalue1>\n"
            "\t\t<scaledvalue2>0.00</scaledvalue2>\n"
            "\t\t<scaledvalue3>0.00</scaledvalue3>\n"
            "\t\t<scaledvalue4>0.00</scaledvalue4>\n"
            "\t\t<scaledvalue5>0.00</scaledvalue5>\n"
            "\t\t<scaledvalue6>0.00</scaledvalue6>\n"
            "\t\t<scaledvalue7>0.00</scaledvalue7>\n"
            "\t\t<scaledvalue8>0.00</scaledvalue8>\n"
            "\t</analog_input>\n");
}

TEST(AnalogInput, VerboseAddsSixteenRawReadingsLastInPayloadOrder) {
  readings values{};
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<std::uint16_t>(0x0102 * (i + 1));
  values[15] = 65535;  // unsigned
  const std::string plain = render(values);
  const std::string verbose = render(values, true);
  EXPECT_EQ(line_count(plain), 16u + 2u);
  EXPECT_EQ(line_count(verbose), 32u + 2u);
  EXPECT_EQ(plain.find("_raw>"), std::string::npos);

  std::string raw_lines;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string tag = "value" + std::to_string(i + 1) + "_raw";
    raw_lines += "\t\t<" + tag + ">" + std::to_string(values[i]) + "</" + tag + ">\n";
  }
  const std::string closing = "\t</analog_input>\n";
  EXPECT_EQ(verbose, plain.substr(0, plain.size() - closing.size()) + raw_lines + closing);
}

TEST(AnalogInput, ReadingsAreBigEndianWordsFromByteThree) {
  std::uint8_t payload[analog_layout::size];
  for (std::uint8_t i = 0; i < sizeof payload; ++i) payload[i] = i;
  const analog_values v = decode_analog(payload, default_constants());
  for (unsigned n = 1; n <= 16; ++n) {
    EXPECT_EQ(v.reading[n - 1], ((2 * n + 1) << 8) | (2 * n + 2)) << "value" << n;
  }
}

TEST(AnalogConstants, BlockPrintsTheStoredFloatsWithSixDecimals) {
  EXPECT_EQ(capture_output([](output_writer& out) { print_xml_analog_constants(out, default_constants()); }),
            "<analog_input_constants>\n"
            "\t<PWR_MON_SF_constant>0.034896</PWR_MON_SF_constant>\n"
            "\t<REF_5V_constant>5.050000</REF_5V_constant>\n"
            "\t<LOC_ZERO_constant>606.000000</LOC_ZERO_constant>\n"
            "\t<LOC_SF_constant>0.000987</LOC_SF_constant>\n"
            "\t<GS_ZERO_constant>610.000000</GS_ZERO_constant>\n"
            "\t<GS_SF_constant>0.000980</GS_SF_constant>\n"
            "\t<ANALOG_8_SF_constant>0.018475</ANALOG_8_SF_constant>\n"
            "</analog_input_constants>\n");

  // The constants are the caller's, and each prints as the float it is (2.0000005 is stored
  // as 2.00000048, which rounds down).
  const analog_input_const own = {2.0000005f, 1.0f, -0.5f, 100000.0f, 0.0f, 3.25f, 1e-7f};
  const std::string block = capture_output([&](output_writer& out) { print_xml_analog_constants(out, own); });
  EXPECT_TRUE(contains(block, "\t<PWR_MON_SF_constant>2.000000</PWR_MON_SF_constant>\n"));
  EXPECT_TRUE(contains(block, "\t<LOC_ZERO_constant>-0.500000</LOC_ZERO_constant>\n"));
  EXPECT_TRUE(contains(block, "\t<LOC_SF_constant>100000.000000</LOC_SF_constant>\n"));
  EXPECT_TRUE(contains(block, "\t<ANALOG_8_SF_constant>0.000000</ANALOG_8_SF_constant>\n"));
}

TEST(AnalogConstants, WrittenOnceAfterTheOptionsOnlyWhenAskedFor) {
  const std::string log = log_writer().analog(100, with(3, 400)).analog(200, with(3, 800)).str();
  library_options o = default_options();
  const std::string with_block = decode_xml(log, o);
  EXPECT_EQ(with_block.find("<analog_input_constants>"), with_block.rfind("<analog_input_constants>"));
  EXPECT_LT(with_block.find("\t</library_options>\n"), with_block.find("<analog_input_constants>"));
  o.constants = 0;
  EXPECT_EQ(decode_xml(log, o).find("<analog_input_constants>"), std::string::npos);
}
