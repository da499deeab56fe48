// Set-menu records: the "%i=%f" reading of the text, the setting table, the value element and
// the escaped raw text.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "decoders/set_menu.h"
#include "report/xml/set_menu_xml.h"
#include "support/capture.h"
#include "support/xml_check.h"

namespace {

// A record's payload bytes, with room past the text for bytes the parse must not read.
using payload_area = std::array<std::uint8_t, 300>;

// The values the dispatch decodes from a record holding text.
set_menu_values parse(const std::string& text) {
  payload_area p{};
  std::memcpy(p.data(), text.data(), std::min(text.size(), p.size()));
  return decode_set_menu(p.data(), static_cast<std::uint32_t>(text.size()));
}

std::string render(const set_menu_values& v, bool verbose = false) {
  return capture_output([&](output_writer& out) { print_xml_set_menu_entry(out, v, verbose); });
}

std::string render(const std::string& text, bool verbose = false) { return render(parse(text), verbose); }

bool same_float(float a, float b) {
  return (std::isnan(a) && std::isnan(b)) || std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

constexpr float inf = std::numeric_limits<float>::infinity();

}  // namespace

TEST(SetMenuParse, IdAndValueAreReadAsScanfReadsThem) {
  struct parse_case {
    std::string text;
    std::int32_t id;
    float value;
  };
  const parse_case cases[] = {
      {"58=4", 58, 4.0f},
      {"58=4.7", 58, 4.7f},
      {"0x3A=6", 58, 6.0f},
      {"0X3a=6", 58, 6.0f},
      {"072=6", 58, 6.0f},
      {"-0x3A=1", -58, 1.0f},
      {" \t+58=1", 58, 1.0f},
      {"58 = 4", 58, 0.0f},  // the '=' must follow the id at once
      {"58= \n4", 58, 4.0f},  // the value may follow white space
      {"58=-2.5", 58, -2.5f},
      {"", 0, 0.0f},
      {"=5", 0, 0.0f},
      {"- 5=1", 0, 0.0f},
      {"08=3", 0, 0.0f},  // octal: the 8 ends the id
      {"0x=5", 0, 5.0f},  // a bare "0x" reads as 0 and consumes the x
      {"0xg=1", 0, 0.0f},
      {"58=", 58, 0.0f},
      {"58=+", 58, 0.0f},
      {"58=.5", 58, 0.5f},
      {"58=.e5", 58, 0.0f},
      {"58=1e", 58, 1.0f},
      {"58=1E+", 58, 1.0f},
      {"58=1E+5", 58, 1e5f},
      {"58=0x1P-1", 58, 0.5f},
      {"58=1.5e-3x", 58, 1.5e-3f},
      {"58=1e20", 58, 1e20f},
      {"58=1.2.3", 58, 1.2f},
      {"58=0x1p3", 58, 8.0f},
      {"58=0x1.8", 58, 1.5f},
      {"58=0xp3", 58, 0.0f},
      {"58=inf", 58, inf},
      {"58=-Infinity", 58, -inf},
      {"58=infx", 58, inf},
      {"58=infin", 58, 0.0f},  // "inf" then "i" commits to "infinity"
      {"58=in", 58, 0.0f},
      // Too big for an int: converted as a long (saturating), then kept modulo 2^32.
      {"4294967354=4", 58, 4.0f},
      {"2147483648=1", INT_MIN, 1.0f},
      {"-2147483649=1", INT_MAX, 1.0f},
      {"99999999999999999999=1", -1, 1.0f},
      {"-99999999999999999999=1", 0, 1.0f},
  };
  for (const parse_case& c : cases) {
    const set_menu_values p = parse(c.text);
    EXPECT_EQ(p.id, c.id) << '"' << c.text << '"';
    EXPECT_TRUE(same_float(p.value, c.value))
        << '"' << c.text << "\" gave " << p.value;
  }
  const set_menu_values nan_text = parse("58=-nan(1)");
  EXPECT_TRUE(std::isnan(nan_text.value));
  EXPECT_TRUE(std::signbit(nan_text.value));
}

TEST(SetMenuParse, AgreesWithTheCLibraryOnAwkwardTexts) {
  // Short texts from the characters that steer the scanner; eight characters cannot overflow
  // an int, so the C library's own sscanf is a sound reference.
  const std::string alphabet = "0189xXaefpEP.+-= \tinfty";
  std::mt19937 random(12345);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> size(0, 8);
  for (int i = 0; i < 20000; ++i) {
    std::string text = (i % 2 == 0) ? "" : "58=";
    for (int n = size(random); n > 0; --n) text += alphabet[pick(random)];
    int id = 0;
    float value = 0.0f;
    (void)std::sscanf(text.c_str(), "%i=%f", &id, &value);
    const set_menu_values p = parse(text);
    ASSERT_EQ(p.id, id) << '"' << text << '"';
    ASSERT_TRUE(same_float(p.value, value)) << '"' << text << '"';
  }
}

TEST(SetMenuParse, TextEndsAtTheRecordLengthOrItsFirstZeroByte) {
  // Bytes behind the text (left over in the payload area) are not part of it.
  payload_area p{};
  std::memcpy(p.data(), "58=47", 5);
  EXPECT_EQ(decode_set_menu(p.data(), 4).value, 4.0f);

  EXPECT_EQ(parse(std::string("58=4\0" "7", 6)).value, 4.0f);

  // A full 255-byte text has no zero byte; the scanner stops at its end, not in the id field.
  const std::string full = "94=" + std::string(250, '0') + "14";
  ASSERT_EQ(full.size(), 255u);
  payload_area q{};
  std::memcpy(q.data(), full.data(), full.size());
  q[255] = '7';
  const set_menu_values v = decode_set_menu(q.data(), 300);
  EXPECT_EQ(v.value, 14.0f);
  const std::string element = render(v, true);
  EXPECT_NE(element.find("\t\t<value_description>Hyd Press2</value_description>\n"), std::string::npos);
  EXPECT_NE(element.find("\t\t<raw_string>" + full + "</raw_string>\n"), std::string::npos);
}

TEST(SetMenuDescription, SettingAndValueComeFromTheTable) {
  struct description_case {
    std::string text;
    std::string id_description;
    std::string value_description;
  };
  const description_case cases[] = {
      {"58=4", "EIS Number of cylinders", "4 Cylinders"},
      {"58=4.7", "EIS Number of cylinders", "4 Cylinders"},
      {"58=9.99", "EIS Number of cylinders", "9 Cylinders"},
      {"58=5", "EIS Number of cylinders", "Unknown value"},
      {"0x3A=6", "EIS Number of cylinders", "6 Cylinders"},
      {"072=6", "EIS Number of cylinders", "6 Cylinders"},
      {"58 = 4", "EIS Number of cylinders", "Unknown value"},
      {"58=2", "EIS Number of cylinders", "2 Cylinders"},
      {"100=3", "Unknown", "Unknown"},
      {"65=1", "Unknown", "Unknown"},
      {"", "Unknown", "Unknown"},
      {"garbage", "Unknown", "Unknown"},
      {"64=0", "Aux Descriptor", "None"},
      {"70=1", "Aux Descriptor", "MAP"},
      {"76=2", "Aux Descriptor", "Fuel Pressure"},
      {"82=5", "Aux Descriptor", "VoltBus2"},
      {"88=9", "Aux Descriptor", "Gear Box Temp"},
      {"94=13", "Aux Descriptor", "Hyd Press1"},
      {"94=14", "Aux Descriptor", "Hyd Press2"},
      {"94=15", "Aux Descriptor", "Unknown value"},
      {"94=-1", "Aux Descriptor", "Unknown value"},
      {"94=-0.5", "Aux Descriptor", "None"},
      {"321=0", "EIS Model", "Three-model engine monitor family"},
      {"321=1", "EIS Model", "Single-model engine monitor"},
      {"321=2", "EIS Model", "Unknown value"},
      {"345=0", "EIS Temperature Units", "Degrees Fahrenheit"},
      {"345=1", "EIS Temperature Units", "Degrees Celsuis"},
      {"345=2", "EIS Temperature Units", "Degrees Celsuis except CHT"},
      {"346=0", "EIS Fluid Units", "Gallons"},
      {"346=1", "EIS Fluid Units", "Litres"},
      {"346=2", "EIS Fluid Units", "Litres with extra conversion"},
      // No 32-bit integer form: never a listed value.
      {"64=inf", "Aux Descriptor", "Unknown value"},
      {"64=nan", "Aux Descriptor", "Unknown value"},
      {"64=1e20", "Aux Descriptor", "Unknown value"},
      {"64=4294967296", "Aux Descriptor", "Unknown value"},
      {"100=inf", "Unknown", "Unknown"},
  };
  for (const description_case& c : cases) {
    const std::string element = render(c.text);
    EXPECT_NE(element.find("\t\t<id_description>" + c.id_description + "</id_description>\n"),
              std::string::npos)
        << '"' << c.text << "\"\n" << element;
    EXPECT_NE(element.find("\t\t<value_description>" + c.value_description + "</value_description>\n"),
              std::string::npos)
        << '"' << c.text << "\"\n" << element;
  }
}

TEST(SetMenuValue, WholeValuesAreIntegersAndOthersHaveSixDecimals) {
  struct value_case {
    std::string text;
    std::string value;
  };
  const value_case cases[] = {
      {"58=4", "4"},
      {"58=4.7", "4.700000"},
      {"58=-3", "-3"},
      {"58=-0", "0"},
      {"58=-2.5", "-2.500000"},
      {"94=-0.5", "-0.500000"},
      {"58=0.0000001", "0.000000"},
      {"58=16777217", "16777216"},  // stored as a float
      {"58=2147483520", "2147483520"},
      {"58=-2147483648", "-2147483648"},
      {"58=2147483648", "2147483648.000000"},
      {"58=1e20", "100000002004087734272.000000"},
      {"58=inf", "inf"},
      {"58=-inf", "-inf"},
      {"58=nan", "nan"},
      {"58=-nan", "-nan"},
  };
  for (const value_case& c : cases) {
    EXPECT_NE(render(c.text).find("\t\t<value>" + c.value + "</value>\n"), std::string::npos)
        << '"' << c.text << "\"\n" << render(c.text);
  }
}

TEST(SetMenuElement, RawTextIsWrittenEscapedOnlyWhenVerbose) {
  const std::string text = "58=4<&>\"\x01";
  EXPECT_EQ(render(text, true),
            "\t<set_menu>\n"
            "\t\t<id>58</id>\n"
            "\t\t<value>4</value>\n"
            "\t\t<id_description>EIS Number of cylinders</id_description>\n"
            "\t\t<value_description>4 Cylinders</value_description>\n"
            "\t\t<raw_string>58=4&lt;&amp;&gt;&quot;&#x2401;</raw_string>\n"
            "\t</set_menu>\n");
  EXPECT_EQ(render(text, false),
            "\t<set_menu>\n"
            "\t\t<id>58</id>\n"
            "\t\t<value>4</value>\n"
            "\t\t<id_description>EIS Number of cylinders</id_description>\n"
            "\t\t<value_description>4 Cylinders</value_description>\n"
            "\t</set_menu>\n");
}

TEST(SetMenuReport, SettingsAndAnalogRecordsMakeAWellFormedReport) {
  std::array<std::uint16_t, 16> analog{};
  analog[2] = 400;
  analog[4] = 20;
  const std::string log = log_writer()
                              .set_menu(100, "58=4")
                              .analog(150, analog)
                              .set_menu(200, "94=-2.5 <&>\x02\"")
                              .set_menu(300, "321=inf")
                              .set_menu(2000, std::string(255, '&'))
                              .str();
  library_options o = options_with([&](library_options& o) { o.set_menu = 1, o.analog = 1, o.verbose = 1; });
  const std::string document = decode_xml(log, o);
  EXPECT_TRUE(is_well_formed_xml(document)) << document;
  EXPECT_NE(document.find("<orvex_efis_log_entry source_type=\"7\" source_type_desc=\"Set_Menu\" "
                          "timestamp=\"200\">\n"
                          "\t<set_menu>\n"
                          "\t\t<id>94</id>\n"
                          "\t\t<value>-2.500000</value>\n"
                          "\t\t<id_description>Aux Descriptor</id_description>\n"
                          "\t\t<value_description>Unknown value</value_description>\n"
                          "\t\t<raw_string>94=-2.5 &lt;&amp;&gt;&#x2402;&quot;</raw_string>\n"
                          "\t</set_menu>\n"
                          "</orvex_efis_log_entry>\n"),
            std::string::npos)
      << document;
  EXPECT_NE(document.find("\t\t<voltage_1>13.96</voltage_1>\n"), std::string::npos);
  // Set-menu records never appear in a summary; the analog record does.
  const std::size_t summary = document.find("<summary_log_entry");
  ASSERT_NE(summary, std::string::npos);
  const std::string summary_text = document.substr(summary, document.find("</summary_log_entry>") - summary);
  EXPECT_EQ(summary_text.find("<set_menu>"), std::string::npos);
  EXPECT_NE(summary_text.find("<analog_input>"), std::string::npos);
}
