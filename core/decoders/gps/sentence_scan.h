// A small reader of GPS text with fixed conversion patterns, in the conventions of the C
// library's formatted input:
//   - a plain character must match the next input character exactly;
//   - white space in the pattern ("\n", "\r\n", " ") matches any run of white space,
//     including none;
//   - %c takes any one byte;
//   - %N[set] takes 1 to N bytes from the set; a range a-z stands for the bytes between its
//     ends, and a '-' first, last or right after a range stands for itself.
// The result counts the conversions made before reading stopped (a %c counts), or is -1 when
// the text ends before the first conversion. Reading never goes past the end of the text and
// no field is written past its buffer.
//
// Patterns are compiled once, at compile time; a malformed pattern does not compile.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "text/char_class.h"

// The destination of one conversion. A %c takes one byte (not terminated); a set conversion
// writes its text and a terminating zero. A field without a buffer reads and keeps nothing.
struct scan_field {
  char* text;
  std::size_t size;
};

template <std::size_t N>
constexpr scan_field field_of(char (&buffer)[N]) {
  return {buffer, N};
}

constexpr scan_field skipped_field = {nullptr, 0};

struct scan_step {
  enum class kind : std::uint8_t { literal, white_space, any_char, char_set };
  kind what = kind::literal;
  unsigned char literal = 0;
  std::uint16_t width = 0;
  std::array<std::uint64_t, 4> set = {};  // one bit per byte value

  constexpr bool has(unsigned char c) const { return ((set[c >> 6] >> (c & 63)) & 1) != 0; }
  constexpr void add(unsigned char c) { set[c >> 6] |= std::uint64_t{1} << (c & 63); }
};

namespace scan_detail {
// Not constexpr: reaching it while compiling a pattern stops the compilation.
void malformed_pattern();
}  // namespace scan_detail

class scan_pattern {
 public:
  static constexpr std::size_t max_steps = 48;

  consteval explicit scan_pattern(const char* pattern) {
    const char* p = pattern;
    while (*p != '\0') {
      const auto c = static_cast<unsigned char>(*p);
      if (is_white_space(static_cast<char>(c))) {
        // A run of pattern white space is one directive.
        if (size_ == 0 || steps_[size_ - 1].what != scan_step::kind::white_space) {
          push({.what = scan_step::kind::white_space});
        }
        ++p;
      } else if (c != '%') {
        push({.what = scan_step::kind::literal, .literal = c});
        ++p;
      } else {
        p = conversion(p + 1);
      }
    }
  }

  std::span<const scan_step> steps() const { return {steps_.data(), size_}; }

 private:
  consteval void push(const scan_step& step) {
    if (size_ == max_steps) scan_detail::malformed_pattern();
    steps_[size_++] = step;
  }

  // Reads one conversion after its '%'; returns the pattern position after it.
  consteval const char* conversion(const char* p) {
    unsigned width = 0;
    while (*p >= '0' && *p <= '9') width = width * 10 + static_cast<unsigned>(*p++ - '0');
    if (*p == 'c') {
      if (width > 1) scan_detail::malformed_pattern();
      push({.what = scan_step::kind::any_char, .width = 1});
      return p + 1;
    }
    // Only width-bounded sets are supported: an unbounded one could overrun its field.
    if (*p != '[' || width == 0 || width > 0xFFFF) scan_detail::malformed_pattern();
    ++p;
    scan_step step{.what = scan_step::kind::char_set, .width = static_cast<std::uint16_t>(width)};
    if (*p == ']' || *p == '^') scan_detail::malformed_pattern();  // not needed, not supported
    bool first = true;
    bool after_range = false;
    unsigned char previous = 0;
    while (*p != ']') {
      if (*p == '\0') scan_detail::malformed_pattern();
      const auto c = static_cast<unsigned char>(*p);
      const auto next = static_cast<unsigned char>(p[1]);
      if (c == '-' && !first && !after_range && next != ']' && previous <= next) {
        for (unsigned v = previous; v <= next; ++v) step.add(static_cast<unsigned char>(v));
        after_range = true;
        p += 2;
        continue;
      }
      step.add(c);
      previous = c;
      first = false;
      after_range = false;
      ++p;
    }
    push(step);
    return p + 1;
  }

  std::array<scan_step, max_steps> steps_ = {};
  std::size_t size_ = 0;
};

// Reads text with the pattern, filling fields in conversion order; returns the conversion
// count as described above. Conversions beyond the given fields read and keep nothing.
int scan_text(std::string_view text, const scan_pattern& pattern, std::span<const scan_field> fields);
