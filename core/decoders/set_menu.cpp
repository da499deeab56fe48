// Set-menu records (source type 7).
//
// The payload is the text of one setting change, "id=value" (for example "58=4"), read the way
// sscanf reads it with the pattern "%i=%f": the id is an integer with an optional sign and a
// base prefix (0x hexadecimal, leading 0 octal), the '=' follows it at once, and the value is a
// floating-point number after optional white space. A conversion that fails leaves its field at
// 0. The id and the value truncated toward zero then name the setting and its value from the
// table of known settings.
#include "decoders/set_menu.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

#include "text/char_class.h"
#include "text/stored_text.h"

namespace {

// ---- The scanner: "%i=%f" as the C library's formatted input reads it -----------------------

// The text being read, one character at a time.
class text_cursor {
 public:
  explicit text_cursor(std::string_view text) : text_(text) {}
  bool at_end() const { return pos_ == text_.size(); }
  char peek() const { return text_[pos_]; }  // only when !at_end()
  void advance() { ++pos_; }
  bool next_is(char c) const { return !at_end() && peek() == c; }
  bool next_is_to_lower(char c) const { return !at_end() && to_lower(peek()) == c; }
  void skip_space() {
    while (!at_end() && is_white_space(peek())) advance();
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// The characters of one number, collected as the scanner accepts them and then handed to the
// C library's converter. Never longer than the text, so it cannot overflow.
class number_text {
 public:
  void add(char c) { chars_[size_++] = c; }
  std::size_t size() const { return size_; }
  char back() const { return chars_[size_ - 1]; }
  char front() const { return chars_[0]; }
  const char* c_str() {
    chars_[size_] = '\0';
    return chars_.data();
  }

 private:
  std::array<char, set_menu_text_size + 1> chars_{};
  std::size_t size_ = 0;
};

bool is_sign(char c) { return c == '+' || c == '-'; }

// "%i": optional sign, then "0x" (hexadecimal: the x is consumed but is not part of the
// digits, so "0x" alone reads as 0), a leading 0 (octal) or decimal digits. The number is
// converted as a long and stored in 32 bits as the C library stores it in an int (modulo 2^32,
// so an overlong number saturates at the long limits first).
bool scan_integer(text_cursor& in, std::int32_t& result) {
  in.skip_space();
  if (in.at_end()) return false;
  number_text digits;
  if (is_sign(in.peek())) {
    digits.add(in.peek());
    in.advance();
  }
  int base = 10;
  if (in.next_is('0')) {
    digits.add('0');
    in.advance();
    if (in.next_is_to_lower('x')) {
      base = 16;
      in.advance();
    } else {
      base = 8;
    }
  }
  while (!in.at_end()) {
    const char c = in.peek();
    const bool accepted = base == 16 ? is_xdigit(c) : is_digit(c) && c - '0' < base;
    if (!accepted) break;
    digits.add(c);
    in.advance();
  }
  if (digits.size() == 0 || (digits.size() == 1 && is_sign(digits.front()))) return false;
  char* end = nullptr;
  const char* start = digits.c_str();
  const long value = std::strtol(start, &end, base);
  if (end == start) return false;
  result = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<unsigned long>(value)));
  return true;
}

// Reads the letters of word (lower case) in any case; false at the first mismatch.
bool scan_word(text_cursor& in, number_text& chars, std::string_view word) {
  for (const char w : word) {
    if (!in.next_is_to_lower(w)) return false;
    chars.add(in.peek());
    in.advance();
  }
  return true;
}

// The characters of a decimal or hexadecimal floating-point number: digits with one point and
// an exponent ('e', or 'p' after "0x") with an optional sign. False when no number starts here.
bool scan_float_digits(text_cursor& in, number_text& chars, bool got_sign) {
  bool hexadecimal = false;
  bool got_digit = false;
  bool got_dot = false;
  bool got_exponent = false;
  char exponent_char = 'e';
  if (in.next_is('0')) {
    chars.add('0');
    in.advance();
    if (in.next_is_to_lower('x')) {
      chars.add(in.peek());
      in.advance();
      hexadecimal = true;
      exponent_char = 'p';
    } else {
      got_digit = true;
    }
  }
  while (!in.at_end()) {
    const char c = in.peek();
    if (is_digit(c) || (hexadecimal && !got_exponent && is_xdigit(c))) {
      chars.add(c);
      got_digit = true;
    } else if (got_exponent && chars.back() == exponent_char && is_sign(c)) {
      chars.add(c);  // the sign of the exponent
    } else if (got_digit && !got_exponent && to_lower(c) == exponent_char) {
      chars.add(exponent_char);
      got_exponent = true;
      got_dot = true;  // no point inside the exponent
    } else if (!got_dot && c == '.') {
      chars.add(c);
      got_dot = true;
    } else {
      break;
    }
    in.advance();
  }
  const std::size_t sign_size = got_sign ? 1 : 0;
  return chars.size() != sign_size && !(hexadecimal && chars.size() == 2 + sign_size);
}

// "%f": white space, an optional sign, then "nan", "inf", "infinity" or a number. The collected
// characters are converted to a float as the C library converts them; a prefix that it cannot
// convert is a failed conversion.
bool scan_float(text_cursor& in, float& result) {
  in.skip_space();
  if (in.at_end()) return false;
  number_text chars;
  const bool got_sign = is_sign(in.peek());
  if (got_sign) {
    chars.add(in.peek());
    in.advance();
    if (in.at_end()) return false;
  }
  if (in.next_is_to_lower('n')) {
    if (!scan_word(in, chars, "nan")) return false;
  } else if (in.next_is_to_lower('i')) {
    if (!scan_word(in, chars, "inf")) return false;
    // Once "inf" is followed by an i, only "infinity" will do.
    if (in.next_is_to_lower('i') && !scan_word(in, chars, "inity")) return false;
  } else if (!scan_float_digits(in, chars, got_sign)) {
    return false;
  }
  char* end = nullptr;
  const char* start = chars.c_str();
  const float value = std::strtof(start, &end);
  if (end == start) return false;
  result = value;
  return true;
}

// ---- The table of known settings --------------------------------------------------------------

struct setting_value_name {
  std::int32_t value;
  std::string_view text;
};

struct setting {
  std::int32_t id;
  std::string_view description;
  std::span<const setting_value_name> values;
};

constexpr setting_value_name cylinder_counts[] = {
    {2, "2 Cylinders"}, {4, "4 Cylinders"}, {6, "6 Cylinders"}, {9, "9 Cylinders"}};

constexpr setting_value_name aux_descriptors[] = {
    {0, "None"},     {1, "MAP"},       {2, "Fuel Pressure"}, {3, "Amp"},         {4, "Aux"},
    {5, "VoltBus2"}, {6, "Left Fuel"}, {7, "Right Fuel"},    {8, "Center Fuel"}, {9, "Gear Box Temp"},
    {10, "Amp2"},    {11, "TIT1"},     {12, "TIT2"},         {13, "Hyd Press1"}, {14, "Hyd Press2"}};

constexpr setting_value_name eis_models[] = {{0, "Three-model engine monitor family"},
                                             {1, "Single-model engine monitor"}};

constexpr setting_value_name temperature_units[] = {
    {0, "Degrees Fahrenheit"}, {1, "Degrees Celsuis"}, {2, "Degrees Celsuis except CHT"}};

constexpr setting_value_name fluid_units[] = {{0, "Gallons"}, {1, "Litres"}, {2, "Litres with extra conversion"}};

// Every sixth id from 64 to 94 is an auxiliary input descriptor.
constexpr setting settings[] = {
    {set_menu_cylinders, "EIS Number of cylinders", cylinder_counts},
    {64, "Aux Descriptor", aux_descriptors},
    {70, "Aux Descriptor", aux_descriptors},
    {76, "Aux Descriptor", aux_descriptors},
    {82, "Aux Descriptor", aux_descriptors},
    {88, "Aux Descriptor", aux_descriptors},
    {94, "Aux Descriptor", aux_descriptors},
    {321, "EIS Model", eis_models},
    {set_menu_temperature_units, "EIS Temperature Units", temperature_units},
    {set_menu_fluid_units, "EIS Fluid Units", fluid_units},
};

constexpr std::string_view unknown_setting = "Unknown";
constexpr std::string_view unknown_value = "Unknown value";

const setting* find_setting(std::int32_t id) {
  const auto row =
      std::find_if(std::begin(settings), std::end(settings), [id](const setting& s) { return s.id == id; });
  return row == std::end(settings) ? nullptr : row;
}

// The value text of a known setting; a value without a 32-bit integer form is never listed.
std::string_view value_description(const setting& s, std::optional<std::int32_t> v) {
  if (!v) return unknown_value;
  for (const setting_value_name& row : s.values) {
    if (row.value == *v) return row.text;
  }
  return unknown_value;
}

// ---- The decoded entry ------------------------------------------------------------------------

// value truncated toward zero, or nothing when it is not finite or outside the 32-bit range.
std::optional<std::int32_t> truncated(float value) {
  if (!(value >= -2147483648.0f && value < 2147483648.0f)) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<std::int32_t> set_menu_values::whole_value() const { return truncated(value); }

set_menu_values decode_set_menu(const std::uint8_t* payload, std::uint32_t length) {
  set_menu_values v{};
  // The text is the record's bytes up to the first zero; a full-length text has no terminator
  // and is bounded by its field instead.
  const std::size_t stored = std::min<std::size_t>(length, set_menu_text_size);
  const auto* chars = reinterpret_cast<const char*>(payload);
  v.text_length = static_cast<std::uint8_t>(bounded_strlen(chars, stored));
  std::memcpy(v.text, chars, v.text_length);
  text_cursor in(v.raw_text());

  if (scan_integer(in, v.id) && in.next_is('=')) {
    in.advance();
    scan_float(in, v.value);
  }
  const setting* known = find_setting(v.id);
  v.id_description = known != nullptr ? known->description : unknown_setting;
  v.value_description = known != nullptr ? value_description(*known, v.whole_value()) : unknown_setting;
  return v;
}
