// Numbers read from GPS texts: decimal degrees as 32-bit floats, atoi- and atof-like values.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>


#include "decoders/gps/coordinates.h"
#include "support/capture.h"

namespace {

std::string six_decimals(float value) { return decimal_text(static_cast<double>(value)); }

}  // namespace

TEST(GpsCoordinates, DecimalDegreesShowSinglePrecisionRounding) {
  struct row {
    const char* what;
    float value;
    const char* printed;
  };
  const row rows[] = {
      {"aviation N 47 2345", aviation_latitude_decimal("N 47 2345"), "47.390835"},
      {"aviation W 122 1234", aviation_longitude_decimal("W 122 1234"), "-122.205666"},
      {"aviation lower-case s", aviation_latitude_decimal("s 45 0050"), "-45.008335"},
      {"aviation without blanks", aviation_latitude_decimal("N4723 45"), "47.390835"},
      {"aviation degrees only", aviation_longitude_decimal("E 9"), "9.000000"},
      {"aviation sign inside", aviation_latitude_decimal("N 4-23"), "3.967167"},
      {"aviation southern zero", aviation_latitude_decimal("S 00 0000"), "-0.000000"},
      {"aviation western zero", aviation_longitude_decimal("w"), "-0.000000"},
      {"aviation empty", aviation_latitude_decimal(""), "0.000000"},
      {"NMEA 4807.038 N", nmea_latitude_decimal("4807.038", "N"), "48.117298"},
      {"NMEA 01131.000 E", nmea_longitude_decimal("01131.000", "E"), "11.516666"},
      {"NMEA 4916.45 N", nmea_latitude_decimal("4916.45", "N"), "49.274166"},
      {"NMEA 12311.12 W", nmea_longitude_decimal("12311.12", "W"), "-123.185333"},
      {"NMEA 3751.65 S", nmea_latitude_decimal("3751.65", "S"), "-37.860832"},
      {"NMEA 00042.24 w", nmea_longitude_decimal("00042.24", "w"), "-0.704000"},
      {"NMEA southern zero", nmea_latitude_decimal("0000.0000", "S"), "-0.000000"},
      {"NMEA empty hemisphere", nmea_latitude_decimal("4807.038", ""), "48.117298"},
      {"NMEA degrees only", nmea_latitude_decimal("48", "N"), "48.000000"},
      {"NMEA no number", nmea_longitude_decimal(".", "W"), "-0.000000"},
      {"NMEA minutes end at a second dot", nmea_latitude_decimal("4807.0.38", "N"), "48.116665"},
      {"NMEA minutes with an exponent", nmea_latitude_decimal("48071.3e1", "N"), "59.883335"},
      {"NMEA minutes of many digits", nmea_latitude_decimal("4807.03800000001", "N"), "48.117298"},
      {"NMEA minutes past 2^24 digits", nmea_latitude_decimal("4816.777217", "N"), "48.279621"},
  };
  for (const row& r : rows) EXPECT_EQ(six_decimals(r.value), r.printed) << r.what;
}

// The readers give the very float that the C library's sscanf and the same arithmetic give.
TEST(GpsCoordinates, AgreeWithTheCLibraryOnRandomTexts) {
  std::mt19937 random(7);
  const auto random_text = [&random](const char* alphabet, int longest) {
    const int n = std::uniform_int_distribution<int>(0, longest)(random);
    std::string s;
    for (int i = 0; i < n; ++i) s += alphabet[std::uniform_int_distribution<std::size_t>(0, std::strlen(alphabet) - 1)(random)];
    return s;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::string aviation = random_text(" NnSsWwEe0123456789-", 10);
    char hemisphere = 0;
    int degrees = 0, minutes = 0, hundredths = 0;
    std::sscanf(aviation.c_str(), "%c %3d %2d%2d\n", &hemisphere, &degrees, &minutes, &hundredths);
    float expected = static_cast<float>(degrees + (minutes + hundredths / 100.0) / 60.0);
    if (hemisphere == 'W' || hemisphere == 'w') expected = -expected;
    const float ours = aviation_longitude_decimal(aviation.c_str());
    ASSERT_EQ(std::memcmp(&ours, &expected, sizeof ours), 0) << '"' << aviation << '"';

    const std::string nmea = random_text("0123456789.", 12);
    const std::string hemi = random_text("NSns", 1);
    int whole = 0;
    float fraction = 0.0f;
    std::sscanf(nmea.c_str(), "%2d%f", &whole, &fraction);
    float nmea_expected = static_cast<float>(whole + fraction / 60.0);
    if (!hemi.empty() && (hemi[0] == 'S' || hemi[0] == 's')) nmea_expected = -nmea_expected;
    const float nmea_ours = nmea_latitude_decimal(nmea.c_str(), hemi.c_str());
    ASSERT_EQ(std::memcmp(&nmea_ours, &nmea_expected, sizeof nmea_ours), 0) << '"' << nmea << '"';

    const std::string number = random_text(" +-0123456789.xe", 12);
    ASSERT_EQ(whole_number(number.c_str()), std::atoi(number.c_str())) << '"' << number << '"';
    ASSERT_EQ(decimal_number(number.c_str()), std::atof(number.c_str())) << '"' << number << '"';
  }
}

TEST(GpsCoordinates, WholeNumbersWrapAsTheCLibraryDoes) {
  for (const char* text : {"", "-", "  +42x", "-0330", "4294967297", "-2147483649", "99999999999999999999",
                           "-99999999999999999999"}) {
    EXPECT_EQ(whole_number(text), std::atoi(text)) << text;
  }
}
