// Reads one line of a small settings file (the aircraft limits, the aircraft profile) left to
// right: words, symbols and numbers, blanks between them skipped. A number is written in fixed
// notation (no exponent) and lies from -largest_setting_value to largest_setting_value, so that
// inf, nan and 1e300 are refused and every value is shown and compared as written.
#pragma once

#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>

#include "text/char_class.h"
#include "text/float_from_chars.h"

constexpr double largest_setting_value = 100000.0;

enum class number_read : unsigned char { number, none, out_of_range };

class setting_line {
 public:
  explicit setting_line(std::string_view text) : text_(text) {}

  void skip_blanks() {
    while (!text_.empty() && (text_[0] == ' ' || text_[0] == '\t' || text_[0] == '\r')) text_.remove_prefix(1);
  }
  bool at_end() {
    skip_blanks();
    return text_.empty();
  }
  // Letters, digits and '_'.
  std::string_view word() {
    skip_blanks();
    std::size_t n = 0;
    while (n < text_.size() && is_word_char(text_[n])) ++n;
    return take(n);
  }
  // Any characters up to the next blank.
  std::string_view item() {
    skip_blanks();
    std::size_t n = 0;
    while (n < text_.size() && text_[n] != ' ' && text_[n] != '\t' && text_[n] != '\r') ++n;
    return take(n);
  }
  bool symbol(std::string_view s) {
    skip_blanks();
    if (!text_.starts_with(s)) return false;
    text_.remove_prefix(s.size());
    return true;
  }
  number_read number(double& value, std::string_view& written) {
    skip_blanks();
    const char* begin = text_.data();
    const auto [end, error] = float_from_chars(begin, begin + text_.size(), value, std::chars_format::fixed);
    if (error != std::errc() && error != std::errc::result_out_of_range) return number_read::none;
    written = take(static_cast<std::size_t>(end - begin));
    if (error != std::errc() || !(value >= -largest_setting_value && value <= largest_setting_value)) {
      return number_read::out_of_range;
    }
    return number_read::number;
  }
  // The rest of the line up to the next blank, for messages; nothing is taken.
  std::string_view next_item() {
    skip_blanks();
    std::size_t n = 0;
    while (n < text_.size() && text_[n] != ' ' && text_[n] != '\t') ++n;
    return text_.substr(0, n);
  }

  static constexpr bool is_word_char(char c) {
    return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
  }

 private:
  std::string_view take(std::size_t n) {
    const std::string_view w = text_.substr(0, n);
    text_.remove_prefix(n);
    return w;
  }
  std::string_view text_;
};

// "text" in double quotes, for messages.
std::string quoted(std::string_view s);

// Reads a number into value; returns the error ("expected a number WHERE, found ..." or
// "... is not a number from -100000 to 100000"), or "" when there is one in range.
std::string read_setting_number(setting_line& in, double& value, std::string_view where);
