#include "text/float_from_chars.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "text/char_class.h"

namespace {

// Whether [p, last) starts with word, letters in any case.
bool starts_with_word(const char* p, const char* last, const char* word) {
  for (; *word != '\0'; ++p, ++word) {
    if (p == last || to_lower(*p) != *word) return false;
  }
  return true;
}

bool is_nan_char(char c) { return is_digit(c) || (to_lower(c) >= 'a' && to_lower(c) <= 'z') || c == '_'; }

// The end of the number at p ("-" already taken), or p when there is none; nonzero_digit tells
// whether a digit before the exponent is not 0 (a zero value then means an underflow).
const char* number_end(const char* p, const char* last, std::chars_format format, bool& nonzero_digit) {
  const char* q = p;
  bool digit = false;
  for (bool point = false; q != last; ++q) {
    if (is_digit(*q)) {
      digit = true;
      nonzero_digit = nonzero_digit || *q != '0';
    } else if (*q == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digit) return p;
  if (format != std::chars_format::fixed && q != last && (*q | 0x20) == 'e') {
    const char* e = q + 1;
    if (e != last && (*e == '+' || *e == '-')) ++e;
    if (e != last && is_digit(*e)) {
      while (e != last && is_digit(*e)) ++e;
      q = e;
    }
  }
  return q;
}

float c_library_reading(const char* text, float) { return std::strtof(text, nullptr); }
double c_library_reading(const char* text, double) { return std::strtod(text, nullptr); }

template <typename Number>
std::from_chars_result read_number(const char* first, const char* last, Number& value, std::chars_format format) {
  const bool negative = first != last && *first == '-';
  const char* p = first + (negative ? 1 : 0);
  if (starts_with_word(p, last, "inf")) {
    p += starts_with_word(p, last, "infinity") ? 8 : 3;
    value = negative ? -INFINITY : INFINITY;
    return {p, std::errc()};
  }
  if (starts_with_word(p, last, "nan")) {
    p += 3;
    if (p != last && *p == '(') {
      const char* q = p + 1;
      while (q != last && is_nan_char(*q)) ++q;
      if (q != last && *q == ')') p = q + 1;
    }
    value = std::copysign(static_cast<Number>(NAN), negative ? Number(-1) : Number(1));
    return {p, std::errc()};
  }
  bool nonzero_digit = false;
  const char* end = number_end(p, last, format, nonzero_digit);
  if (end == p) return {first, std::errc::invalid_argument};

  // The C library reads a terminated text: the number alone is copied out (a field of a LOG
  // record fits the buffer; a longer text is read from a copy on the heap).
  const std::size_t length = static_cast<std::size_t>(end - first);
  char buffer[128];
  std::string long_text;
  const char* text = buffer;
  if (length < sizeof buffer) {
    std::memcpy(buffer, first, length);
    buffer[length] = '\0';
  } else {
    long_text.assign(first, length);
    text = long_text.c_str();
  }
  const Number read = c_library_reading(text, Number{});
  if (std::isinf(read) || (read == 0 && nonzero_digit)) return {end, std::errc::result_out_of_range};
  value = read;
  return {end, std::errc()};
}

}  // namespace

std::from_chars_result float_from_chars_by_strtod(const char* first, const char* last, float& value,
                                                  std::chars_format format) {
  return read_number(first, last, value, format);
}

std::from_chars_result float_from_chars_by_strtod(const char* first, const char* last, double& value,
                                                  std::chars_format format) {
  return read_number(first, last, value, format);
}
