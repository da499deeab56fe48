// Compile-time line formats must write what the printf formats they stand for write.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

#include "support/capture.h"

namespace {

template <typename... Args>
std::string printf_text(const char* format, Args... args) {
  char text[256];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

}  // namespace

TEST(LineFormat, IntegersMatchTheirPrintfFormats) {
  const long long values[] = {0, 1, -1, 9, 10, 99, 100, 12345, -12345, 65535, -32768, 32767,
                              INT_MAX, INT_MIN, 255, 127, -128};
  for (const long long wide : values) {
    const auto v = static_cast<int>(wide);
    EXPECT_EQ(capture_output([&](output_writer& out) { out.line(OUT_FORMAT("<{}>"), v); }), printf_text("<%i>", v));
    EXPECT_EQ(capture_output([&](output_writer& out) { out.line(OUT_FORMAT("<{:+}>"), v); }), printf_text("<%+i>", v));
    EXPECT_EQ(capture_output([&](output_writer& out) { out.line(OUT_FORMAT("<{:5}>"), v); }), printf_text("<%5i>", v));
    const auto u = static_cast<unsigned>(wide);
    EXPECT_EQ(capture_output([&](output_writer& out) { out.line(OUT_FORMAT("<{:x}>"), u); }), printf_text("<%x>", u));
    EXPECT_EQ(capture_output([&](output_writer& out) { out.line(OUT_FORMAT("<{}>"), u); }), printf_text("<%u>", u));
    if (v >= 0) {
      EXPECT_EQ(capture_output([&](output_writer& out) { out.line(OUT_FORMAT("<{:02}>"), v); }), printf_text("<%.2i>", v));
    }
  }
}

TEST(LineFormat, BytesAreNumbersAndCharactersAreCharacters) {
  const std::uint8_t byte = 200;
  const std::int8_t signed_byte = -5;
  const std::int16_t word = -300;
  EXPECT_EQ(capture_output([&](output_writer& out) { out.line(OUT_FORMAT("{} {} {} {} {}"), byte, signed_byte, word, 'Q', "text"); }),
            "200 -5 -300 Q text");
}

TEST(LineFormat, TextsValuesAndLiteralsKeepTheirBytes) {
  const char field[8] = "ab";
  const std::string out = capture_output([&](output_writer& out) {
    out.line(OUT_FORMAT("\t<{}>{}|{}|{}</{}>\n"), std::string_view("x"), right_aligned(field, 5),
                 fixed(-0.004, 2), signed_fixed(0.0, 1), field);
  });
  EXPECT_EQ(out, "\t<x>   ab|-0.00|+0.0</ab>\n");
  EXPECT_EQ(capture_output([&](output_writer& out) { out.line(OUT_FORMAT("no placeholders\n")); }), "no placeholders\n");
}

TEST(LineFormat, LineLongerThanTheBufferIsWrittenWhole) {
  const std::string wide(output_writer::buffer_size + 100, 'w');
  EXPECT_EQ(capture_output([&](output_writer& out) { out.line(OUT_FORMAT("[{}|{}]"), std::string_view(wide), 7); }),
            "[" + wide + "|7]");
}
