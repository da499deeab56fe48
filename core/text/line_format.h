// Compile-time line formats for the output writer.
//
// OUT_FORMAT("\t\t<tachometer unit=\"rpm\">{}</tachometer>\n") splits its text at compile time
// into literal pieces and placeholders, so writing a line is a run of constant-size copies and
// number conversions with no format interpretation at run time. Placeholders: "{}" (the
// argument as it is: integers in decimal, texts, characters, fixed()/right_aligned() values),
// "{:x}" (lower-case hexadecimal), "{:+}" (sign always, "+0" for zero), "{:02}" (at least two
// digits, as printf's "%.2i" for the non-negative bytes it is used on) and "{:5}" (right-aligned
// in five places, as "%5i").
#pragma once

#include <array>
#include <cstddef>

template <std::size_t N>
struct format_text {
  char chars[N]{};
  constexpr format_text(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) chars[i] = text[i];
  }
  static constexpr std::size_t length = N - 1;
};

// Named where a format is wrong. It is not constexpr, so a wrong format fails to compile with
// this call and its reason in the message; unlike a throw, that needs no exceptions (the
// WebAssembly build has none).
inline void bad_line_format(const char* /*reason*/) {}

enum class placeholder_kind { plain, hex, plus, two_digits, width_5 };

struct format_piece {
  std::size_t literal_start = 0;  // literal text before the placeholder
  std::size_t literal_length = 0;
  placeholder_kind kind = placeholder_kind::plain;
};

template <format_text F>
struct line_format {
  static constexpr std::size_t placeholder_count = [] {
    std::size_t n = 0;
    for (std::size_t i = 0; i < F.length; ++i) {
      if (F.chars[i] == '{') ++n;
    }
    return n;
  }();

  // placeholder_count pieces, each a literal and the placeholder after it, then the last literal.
  static constexpr std::array<format_piece, placeholder_count + 1> pieces = [] {
    std::array<format_piece, placeholder_count + 1> out{};
    std::size_t start = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < F.length; ++i) {
      if (F.chars[i] == '}') bad_line_format("a lone '}' in a line format");
      if (F.chars[i] != '{') continue;
      std::size_t close = i + 1;
      while (close < F.length && F.chars[close] != '}') ++close;
      if (close == F.length) bad_line_format("an unclosed '{' in a line format");
      const auto placeholder_is = [&](const char* s) {
        std::size_t k = 0;
        while (s[k] != '\0') {
          if (i + 1 + k >= close || F.chars[i + 1 + k] != s[k]) return false;
          ++k;
        }
        return i + 1 + k == close;
      };
      out[n].literal_start = start;
      out[n].literal_length = i - start;
      if (placeholder_is("")) {
        out[n].kind = placeholder_kind::plain;
      } else if (placeholder_is(":x")) {
        out[n].kind = placeholder_kind::hex;
      } else if (placeholder_is(":+")) {
        out[n].kind = placeholder_kind::plus;
      } else if (placeholder_is(":02")) {
        out[n].kind = placeholder_kind::two_digits;
      } else if (placeholder_is(":5")) {
        out[n].kind = placeholder_kind::width_5;
      } else {
        bad_line_format("a placeholder the line formats do not know");
      }
      ++n;
      start = close + 1;
      i = close;
    }
    out[n].literal_start = start;
    out[n].literal_length = F.length - start;
    return out;
  }();
};

#define OUT_FORMAT(text) (line_format<format_text(text)>{})
