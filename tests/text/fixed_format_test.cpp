// The fixed-point formatter must write exactly what printf writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>


#include "support/random_bits.h"
#include "support/capture.h"
#include "text/fixed_format.h"

namespace {

std::string ours(double v, int precision, bool plus, int width) {
  char text[fixed_format_max + 64];
  return std::string(text, format_fixed(text, v, precision, plus, width));
}

std::string printfs(double v, int precision, bool plus, int width) {
  char printf_format[32];
  std::snprintf(printf_format, sizeof printf_format, "%%%s%d.%df", plus ? "+" : "", width, precision);
  char text[512];
  std::snprintf(text, sizeof text, printf_format, v);
  return text;
}

}  // namespace

TEST(FixedFormat, KnownValuesAndTies) {
  const double values[] = {0.0, -0.0, 0.125, 0.375, 2.5, 1.5, -2.5, 0.005, 2.675, 1.005,
                           -0.001, 1e-300, -1e-320, 4.9e-324, 655350.0, 1234.5, 0.05, 0.15,
                           9.995, 99.995, 1e15, 9007199254740991.0, 9007199254740992.0, 1e20,
                           -1.7976931348623157e308, std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), std::nan(""), -std::nan("")};
  for (const double v : values) {
    for (const int precision : {0, 1, 2, 6}) {
      for (const bool plus : {false, true}) {
        for (const int width : {0, 4}) {
          ASSERT_EQ(ours(v, precision, plus, width), printfs(v, precision, plus, width))
              << v << " p" << precision << " plus" << plus << " w" << width;
        }
      }
    }
  }
}

TEST(FixedFormat, RandomValuesMatchPrintf) {
  random_bits next(0x243F6A8885A308D3ull);
  for (int i = 0; i < 300000; ++i) {
    double v;
    switch (i % 5) {
      case 0: v = static_cast<std::int16_t>(next()) * 180.0 / 32768.0; break;       // angles
      case 1: v = static_cast<std::uint16_t>(next()) / 100.0; break;                 // hundredths
      case 2: v = static_cast<double>(static_cast<std::int64_t>(next() % 4000001) - 2000000) / 1024.0; break;  // ties
      case 3: v = static_cast<std::uint16_t>(next()) * static_cast<double>(0.018475f); break;
      default: {
        const std::uint64_t bits = next();
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) continue;
      }
    }
    const int precision = static_cast<int>(next() % 7);
    const bool plus = (next() & 1) != 0;
    ASSERT_EQ(ours(v, precision, plus, 0), printfs(v, precision, plus, 0)) << v << " p" << precision;
  }
}

TEST(FixedFormat, WorksInsideLineFormats) {
  EXPECT_EQ(capture_output([](output_writer& out) {
              out.line(OUT_FORMAT("<a>{}</a><b>{}</b><c>{}</c>"), fixed(29.92, 2), signed_fixed(0.0, 2), fixed(0.0, 1, 4));
            }),
            "<a>29.92</a><b>+0.00</b><c> 0.0</c>");
}

// Stored tenths, hundredths, fiftieths and half-turn fractions print from integers exactly as
// printf prints the doubles the decoders compute from them.
TEST(FixedFormat, RatiosOfStoredNumbersMatchPrintfOfTheirDoubles) {
  struct kind {
    std::int64_t multiply;
    std::uint32_t denominator;
    double (*as_double)(int raw);
    int precision;
  };
  const kind kinds[] = {
      {1, 10, [](int raw) { return raw / 10.0; }, 1},
      {1, 10, [](int raw) { return raw / 10.0; }, 2},
      {1, 100, [](int raw) { return raw / 100.0; }, 2},
      {1, 50, [](int raw) { return raw * 0.02; }, 2},
      {45, 8192, [](int raw) { return raw * 180.0 / 32768.0; }, 2},
  };
  random_bits next(2024);
  for (const kind& k : kinds) {
    for (int i = 0; i < 40000; ++i) {
      const int raw = i < 1000 ? i - 500 : static_cast<int>(static_cast<std::int32_t>(next()) >> (next() % 16));
      for (const bool plus : {false, true}) {
        const ratio_value r{raw * k.multiply, k.denominator, k.precision, plus, 5};
        char ours_text[64];
        const std::string ours_string(ours_text, format_ratio(ours_text, r));
        ASSERT_EQ(ours_string, printfs(k.as_double(raw), k.precision, plus, 5)) << raw << "/" << k.denominator;
      }
    }
  }
}

// A denominator and decimals a line format fixes at its call site take another path (a
// multiplication or a division by a constant) than format_ratio: the same text for each.
TEST(FixedFormat, RatiosFixedAtTheCallSiteMatchTheGeneralFormatter) {
  const std::int64_t numerators[] = {0, 1, -1, 5, -5, 15, 25, -25, 49, 50, 51, 99, 125, 16384, -32768, 32767, 1000001};
  for (const std::int64_t n : numerators) {
    const auto general = [](ratio_value r) {
      char text[64];
      return std::string(text, format_ratio(text, r));
    };
    const std::string expected = general(fixed_ratio(n, 10, 1)) + "|" + general(signed_fixed_ratio(n, 10, 2)) + "|" +
                                 general(fixed_ratio(n, 100, 2)) + "|" + general(signed_fixed_ratio(n, 50, 2)) + "|" +
                                 general(signed_fixed_ratio(n * 180, 32768, 2)) + "|" +
                                 general(fixed_ratio(n, 1, 6)) + "|" + general(fixed_ratio(n, 10, 1, 6));
    EXPECT_EQ(capture_output([n](output_writer& out) {
                out.line(OUT_FORMAT("{}|{}|{}|{}|{}|{}|{}"), fixed_ratio(n, 10, 1), signed_fixed_ratio(n, 10, 2),
                         fixed_ratio(n, 100, 2), signed_fixed_ratio(n, 50, 2), signed_fixed_ratio(n * 180, 32768, 2),
                         fixed_ratio(n, 1, 6), fixed_ratio(n, 10, 1, 6));
              }),
              expected)
        << n;
  }
}
