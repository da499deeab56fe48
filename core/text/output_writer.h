// The one buffered writer through which every document leaves the library.
//
// Lines are formatted with compile-time line formats (OUT_FORMAT) straight into a large
// buffer that goes to the stream (or a string) in big blocks. A failed write is remembered: the writer then
// drops the rest and reports -1 from every later call, so the caller can tell at the end.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "text/fixed_format.h"
#include "text/line_format.h"
#include "text/padded_text.h"
#include "text/placeholder_text.h"

class output_writer {
 public:
  static constexpr std::size_t buffer_size = 1 << 16;

  // Starts writing to stream with an empty buffer and a clean error state.
  void attach(FILE* stream);
  // The same, writing to the end of text: a document kept in memory until its turn comes.
  void attach(std::string& text);

  // Writes one line of a compile-time line format (OUT_FORMAT); returns the number of
  // characters, or -1 after a failure.
  template <format_text F, typename... Args>
  [[gnu::always_inline]] int line(line_format<F>, const Args&... args) {
    static_assert(sizeof...(Args) == line_format<F>::placeholder_count,
                  "a line format needs one argument per placeholder");
    const std::size_t bound = F.length + (std::size_t{0} + ... + bound_of(args));
    if (buffer_size - used_ < bound) {
      drain();
      if (bound > buffer_size) {
        std::string long_text(bound, '\0');
        char* const end = put_line<F>(long_text.data(), std::index_sequence_for<Args...>{}, args...);
        return text(std::string_view(long_text.data(), static_cast<std::size_t>(end - long_text.data())));
      }
    }
    char* const start = buffer_ + used_;
    char* const end = put_line<F>(start, std::index_sequence_for<Args...>{}, args...);
    used_ += static_cast<std::size_t>(end - start);
    return status(static_cast<std::size_t>(end - start));
  }

  // Writes text as it is. A text that fits the buffer is one copy (of constant size for a
  // literal, once inlined).
  int text(std::string_view s) {
    // An empty view may hold no pointer at all, which memcpy must not be given.
    if (s.empty()) return status(0);
    if (s.size() <= buffer_size - used_) {
      std::memcpy(buffer_ + used_, s.data(), s.size());
      used_ += s.size();
      return status(s.size());
    }
    put(s.data(), s.size());
    return status(s.size());
  }

  // Writes free text escaped for XML content and attribute values.
  int escaped(std::string_view s);

  // Hands the buffer to the stream and flushes it; returns 0, or -1 if any write failed.
  int flush();

  bool failed() const { return failed_; }

 private:
  template <format_text F, std::size_t I>
  static char* put_literal(char* out) {
    constexpr format_piece piece = line_format<F>::pieces[I];
    std::memcpy(out, F.chars + piece.literal_start, piece.literal_length);
    return out + piece.literal_length;
  }

  template <format_text F, std::size_t... I, typename... Args>
  // Inlined where the line is written, so a value's format fixed there (the decimals of a
  // fixed() or a ratio) picks its formatter at compile time.
  [[gnu::always_inline]] static char* put_line(char* out, std::index_sequence<I...>, const Args&... args) {
    ((out = put_literal<F, I>(out), out = placeholder_text::put<line_format<F>::pieces[I].kind>(out, args)), ...);
    return put_literal<F, sizeof...(Args)>(out);
  }

  // The longest text one argument can give.
  static std::size_t bound_of(std::string_view s) { return s.size(); }
  static std::size_t bound_of(const char* s) { return std::char_traits<char>::length(s); }
  static std::size_t bound_of(char) { return 1; }
  static std::size_t bound_of(const right_aligned_text& t) {
    return t.text.size() + static_cast<std::size_t>(t.width > 0 ? t.width : 0);
  }
  static std::size_t bound_of(const left_aligned_text& t) {
    return t.text.size() + static_cast<std::size_t>(t.width > 0 ? t.width : 0);
  }
  static std::size_t bound_of(const shortest_value&) { return shortest_text_max; }
  static std::size_t bound_of(const grouped_value&) { return grouped_text_max; }
  static std::size_t bound_of(grouped_count) { return grouped_count_max; }
  static std::size_t bound_of(general_value) { return general_text_max; }
  static std::size_t bound_of(const escaped_utf8_text& t) { return t.text.size() * escaped_utf8_max_expansion; }
  static std::size_t bound_of(const ratio_value& r) {
    return ratio_format_max + static_cast<std::size_t>(r.width > 0 ? r.width : 0);
  }
  static std::size_t bound_of(const fixed_value& f) {
    return fixed_format_max + static_cast<std::size_t>(f.width > 0 ? f.width : 0);
  }
  template <typename T>
  requires std::is_arithmetic_v<T>
  static std::size_t bound_of(T) {
    // "%f" of the largest double has 309 integer digits.
    return std::is_floating_point_v<T> ? 330 : 24;
  }

  int status(std::size_t written) const { return failed_ ? -1 : static_cast<int>(written); }
  void put(const char* data, std::size_t size);
  void drain();

  FILE* stream_ = nullptr;
  std::string* text_ = nullptr;  // written instead of stream_ when set
  std::size_t used_ = 0;
  bool failed_ = false;
  char buffer_[buffer_size];
};
