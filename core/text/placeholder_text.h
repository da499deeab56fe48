// Writers of one value's text into a buffer with room enough (see output_writer::bound_of),
// for the compile-time line formats. Each returns the end of what it wrote.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "text/decimal_digits.h"
#include "text/fixed_format.h"
#include "text/line_format.h"
#include "text/padded_text.h"
#include "text/readable_text.h"
#include "text/utf8_text.h"

namespace placeholder_text {

inline char* hexadecimal(char* out, std::uint64_t n) {
  // The digit count from the highest set bit, then the digits backwards in place.
  const int digits = (static_cast<int>(std::bit_width(n | 1)) + 3) / 4;
  char* p = out + digits;
  do {
    *--p = "0123456789abcdef"[n & 0xF];
    n >>= 4;
  } while (n != 0);
  return out + digits;
}

// Copies a text of a few bytes (a port number, a short name) without a call: two fixed-size
// copies that overlap in the middle, each of exactly the n bytes.
inline void copy_text(char* out, const char* text, std::size_t n) {
  if (n > 16) {
    std::memcpy(out, text, n);
  } else if (n >= 8) {
    std::memcpy(out, text, 8);
    std::memcpy(out + n - 8, text + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(out, text, 4);
    std::memcpy(out + n - 4, text + n - 4, 4);
  } else {
    for (std::size_t i = 0; i < n; ++i) out[i] = text[i];
  }
}

template <placeholder_kind Kind, typename T>
requires std::is_integral_v<T> &&
    (!std::is_same_v<T, char>)&&(!std::is_same_v<T, bool>)inline char* put(char* out, T value) {
  const bool negative = value < 0;
  // The magnitude, without overflow for the most negative value.
  const std::uint64_t magnitude = negative
                                      ? std::uint64_t{0} - static_cast<std::uint64_t>(static_cast<std::int64_t>(value))
                                      : static_cast<std::uint64_t>(value);
  if constexpr (Kind == placeholder_kind::width_5) {
    char text[24];
    char* end = text;
    if (negative) *end++ = '-';
    end = decimal_digits::write(end, magnitude);
    const auto length = static_cast<std::size_t>(end - text);
    for (std::size_t i = length; i < 5; ++i) *out++ = ' ';
    std::memcpy(out, text, length);
    return out + length;
  } else {
    if (negative) {
      *out++ = '-';
    } else if constexpr (Kind == placeholder_kind::plus) {
      *out++ = '+';
    }
    if constexpr (Kind == placeholder_kind::hex) return hexadecimal(out, magnitude);
    // "{:02}" counts the sign in its width: -5 is "-5", 5 is "05".
    if constexpr (Kind == placeholder_kind::two_digits) return decimal_digits::write(out, magnitude, negative ? 1 : 2);
    return decimal_digits::write(out, magnitude);
  }
}

template <placeholder_kind Kind>
inline char* put_text(char* out, std::string_view text) {
  static_assert(Kind == placeholder_kind::plain, "texts take a plain placeholder; use right_aligned()");
  copy_text(out, text.data(), text.size());
  return out + text.size();
}

template <placeholder_kind Kind>
inline char* put(char* out, std::string_view text) {
  return put_text<Kind>(out, text);
}

template <placeholder_kind Kind>
inline char* put(char* out, const char* text) {
  return put_text<Kind>(out, text);
}

template <placeholder_kind Kind>
inline char* put(char* out, char c) {
  static_assert(Kind == placeholder_kind::plain, "a character takes a plain placeholder");
  *out = c;
  return out + 1;
}

template <placeholder_kind Kind>
[[gnu::always_inline]] inline char* put(char* out, fixed_value f) {
  static_assert(Kind == placeholder_kind::plain, "fixed() carries its own format");
  return put_fixed(out, f);
}

template <placeholder_kind Kind>
[[gnu::always_inline]] inline char* put(char* out, ratio_value r) {
  static_assert(Kind == placeholder_kind::plain, "fixed_ratio() carries its own format");
  return put_ratio(out, r);
}

template <placeholder_kind Kind>
inline char* put(char* out, const right_aligned_text& t) {
  static_assert(Kind == placeholder_kind::plain, "right_aligned() carries its own width");
  for (int i = static_cast<int>(t.text.size()); i < t.width; ++i) *out++ = ' ';
  return put_text<Kind>(out, t.text);
}

template <placeholder_kind Kind>
inline char* put(char* out, const left_aligned_text& t) {
  static_assert(Kind == placeholder_kind::plain, "left_aligned() carries its own width");
  out = put_text<Kind>(out, t.text);
  for (int i = static_cast<int>(t.text.size()); i < t.width; ++i) *out++ = ' ';
  return out;
}

template <placeholder_kind Kind>
inline char* put(char* out, const shortest_value& v) {
  static_assert(Kind == placeholder_kind::plain, "shortest() carries its own format");
  return put_shortest(out, v);
}

template <placeholder_kind Kind>
inline char* put(char* out, const grouped_value& v) {
  static_assert(Kind == placeholder_kind::plain, "grouped() carries its own format");
  return put_grouped(out, v);
}

template <placeholder_kind Kind>
inline char* put(char* out, grouped_count n) {
  static_assert(Kind == placeholder_kind::plain, "with_commas_of() carries its own format");
  return put_grouped_count(out, n);
}

template <placeholder_kind Kind>
inline char* put(char* out, general_value v) {
  static_assert(Kind == placeholder_kind::plain, "general() carries its own format");
  return put_general(out, v);
}

template <placeholder_kind Kind>
inline char* put(char* out, const escaped_utf8_text& t) {
  static_assert(Kind == placeholder_kind::plain, "escaped_utf8() carries its own format");
  return put_escaped_utf8(out, t.text);
}

}  // namespace placeholder_text
