// The reading of decimal numbers built on strtof/strtod (the WebAssembly build's) must take the
// text the C++ library's std::from_chars takes, with its value and its errors, for the fields of
// GPS sentences (general, float) and the options and limits files (fixed, double).
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "text/float_from_chars.h"

namespace {

constexpr const char* texts[] = {
    // what NMEA and aviation fields hold
    "4728.1234", "12213.5", "0.0", "-0", "007.50", ".5", "5.", "123456789012345678901234567890",
    // exponents: whole, signed, incomplete (the number ends before the 'e'), huge
    "1e5", "1E-5", "2.5e+3", "1e", "1e+", "1e-x", "1.5e309", "3.4028236e38", "3.4028235e38",
    // underflow to zero is out of range, a subnormal value is not
    "1e-50", "1e-40", "1e-45", "1e-46", "4.9e-324", "2e-324", "0e999", "0.000e-999",
    // no number: sign alone, point alone, leading space or '+', hexadecimal
    "", "-", ".", "-.e1", " 1", "+1", "0x1p3", "x1",
    // words, in any case, with or without a payload
    "inf", "-INF", "infinity", "Infinityx", "infinit", "nan", "-NaN", "nan(a_b9)", "nan(a-b)", "nan(",
    // the end of the number at a text that does not continue it
    "12.5.6", "1-2", "7,5", "45N", "1e5e5",
};

template <typename Number>
void expect_same_reading(const std::string& text, std::chars_format format) {
  const char* first = text.data();
  const char* last = first + text.size();
  Number expected = 7;
  Number read = 7;
  const std::from_chars_result want = std::from_chars(first, last, expected, format);
  const std::from_chars_result got = float_from_chars_by_strtod(first, last, read, format);
  const std::string what = "\"" + text + "\" " + (format == std::chars_format::fixed ? "fixed" : "general");
  EXPECT_EQ(got.ptr - first, want.ptr - first) << what;
  EXPECT_EQ(got.ec, want.ec) << what;
  EXPECT_TRUE(std::memcmp(&read, &expected, sizeof read) == 0 || (read != read && expected != expected))
      << what << ": " << read << " instead of " << expected;
  EXPECT_EQ(std::signbit(read), std::signbit(expected)) << what;
}

}  // namespace

TEST(FloatFromChars, ReadsWhatTheLibraryReads) {
  for (const char* text : texts) {
    for (const std::chars_format format : {std::chars_format::general, std::chars_format::fixed}) {
      expect_same_reading<float>(text, format);
      expect_same_reading<double>(text, format);
    }
  }
}

TEST(FloatFromChars, StopsAtTheEndOfTheRangeGiven) {
  // Digits beyond the range are not part of the number, nor is an exponent there.
  const std::string text = "1234.5e7";
  for (const std::size_t length : {1u, 2u, 4u, 5u, 6u, 7u, 8u}) {
    double value = 0;
    const auto r = float_from_chars_by_strtod(text.data(), text.data() + length, value, std::chars_format::general);
    double expected = 0;
    const auto want = std::from_chars(text.data(), text.data() + length, expected, std::chars_format::general);
    EXPECT_EQ(r.ptr, want.ptr) << length;
    EXPECT_EQ(value, expected) << length;
  }
}

TEST(FloatFromChars, ReadsALongNumberWhole) {
  // Longer than the reader's buffer: the last digit still rounds the value.
  const std::string text = "0." + std::string(300, '0') + "1" + std::string(200, '0') + "e301";
  double value = 0;
  double expected = 0;
  const auto r = float_from_chars_by_strtod(text.data(), text.data() + text.size(), value, std::chars_format::general);
  std::from_chars(text.data(), text.data() + text.size(), expected, std::chars_format::general);
  EXPECT_EQ(r.ptr, text.data() + text.size());
  EXPECT_EQ(value, expected);
  EXPECT_EQ(value, 1.0);
}
