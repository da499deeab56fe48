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
// A pattern is read at compile time (a malformed pattern does not compile) and scan_text<pattern>
// is a matcher generated from it: each step is straight-line code with its literal, its set and
// its field fixed, so nothing of the pattern is interpreted while a sentence is read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <utility>

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

  constexpr std::size_t size() const { return size_; }
  constexpr const scan_step& step(std::size_t i) const { return steps_[i]; }

  // The conversions before step i: the field index of a conversion step.
  constexpr std::size_t conversions_before(std::size_t i) const {
    std::size_t n = 0;
    for (std::size_t k = 0; k < i; ++k) {
      if (steps_[k].what == scan_step::kind::any_char || steps_[k].what == scan_step::kind::char_set) ++n;
    }
    return n;
  }

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

namespace scan_detail {

struct progress {
  std::size_t pos = 0;
  int count = 0;
  int result = 0;  // the conversion count to return once a step stops the reading
};

// A set step's bytes as a table, looked up once per character read.
constexpr std::array<bool, 256> set_table(const scan_step& step) {
  std::array<bool, 256> table{};
  for (unsigned c = 0; c < 256; ++c) table[c] = step.has(static_cast<unsigned char>(c));
  return table;
}

// Copies the n bytes of a field (a few, most often) without a call: two fixed-size copies that
// overlap in the middle, each of exactly the n bytes. (The caller has checked that n bytes fit;
// where a small field is inlined, GCC cannot see that and warns of the wider copies.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#endif
inline void copy_taken(char* out, const char* text, std::size_t n) {
  if (n >= 8) {
    if (n > 16) {
      std::memcpy(out, text, n);
      return;
    }
    std::memcpy(out, text, 8);
    std::memcpy(out + n - 8, text + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(out, text, 4);
    std::memcpy(out + n - 4, text + n - 4, 4);
  } else {
    out[0] = text[0];  // n is at least 1
    out[n / 2] = text[n / 2];
    out[n - 1] = text[n - 1];
  }
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// One step of pattern P; false when the reading stops there (the result is then set).
template <const scan_pattern& P, std::size_t I>
inline bool run_step(std::string_view text, std::span<const scan_field> fields, progress& s) {
  constexpr scan_step step = P.step(I);
  constexpr std::size_t field_index = P.conversions_before(I);
  const std::size_t end = text.size();
  if constexpr (step.what == scan_step::kind::white_space) {
    while (s.pos < end && is_white_space(text[s.pos])) ++s.pos;
    return true;
  } else {
    if (s.pos == end) {  // the text ran out where the pattern wanted a character
      s.result = s.count == 0 ? -1 : s.count;
      return false;
    }
    if constexpr (step.what == scan_step::kind::literal) {
      if (static_cast<unsigned char>(text[s.pos]) != step.literal) {
        s.result = s.count;
        return false;
      }
      ++s.pos;
      return true;
    } else {
      const scan_field field = field_index < fields.size() ? fields[field_index] : skipped_field;
      if constexpr (step.what == scan_step::kind::any_char) {
        if (field.text != nullptr && field.size > 0) field.text[0] = text[s.pos];
        ++s.pos;
      } else {
        static constexpr std::array<bool, 256> in_set = set_table(step);
        std::size_t limit = step.width < end - s.pos ? step.width : end - s.pos;
        if (field.text != nullptr && limit > field.size - 1) limit = field.size == 0 ? 0 : field.size - 1;
        std::size_t taken = 0;
        while (taken < limit && in_set[static_cast<unsigned char>(text[s.pos + taken])]) ++taken;
        if (taken == 0) {
          s.result = s.count;
          return false;
        }
        if (field.text != nullptr) {
          copy_taken(field.text, text.data() + s.pos, taken);
          field.text[taken] = '\0';
        }
        s.pos += taken;
      }
      ++s.count;
      return true;
    }
  }
}

template <const scan_pattern& P, std::size_t... I>
inline int run_steps(std::string_view text, std::span<const scan_field> fields, std::index_sequence<I...>) {
  progress s;
  const bool finished = (run_step<P, I>(text, fields, s) && ...);
  return finished ? s.count : s.result;
}

}  // namespace scan_detail

// Reads text with the pattern, filling fields in conversion order; returns the conversion
// count as described above. Conversions beyond the given fields read and keep nothing.
template <const scan_pattern& P>
int scan_text(std::string_view text, std::span<const scan_field> fields) {
  return scan_detail::run_steps<P>(text, fields, std::make_index_sequence<P.size()>{});
}
