// std::from_chars for float and double, in the fixed and general formats, where the C++ library
// has it; and the same reading built on strtof/strtod where it has not (the WebAssembly build's
// C++ library reads only integers). Both take exactly the text std::from_chars takes, give the
// same correctly rounded value and the same errors:
//   - an optional '-' (no '+', no leading white space), then "inf", "infinity", "nan" or
//     "nan(letters, digits, _)" in any case, or digits with at most one '.' and at least one
//     digit, then (general only) an exponent: 'e' or 'E', an optional sign and digits;
//   - no number: invalid_argument, ptr = first; a number whose value overflows or underflows to
//     zero: result_out_of_range, ptr past it; value is written only on success.
#pragma once

#include <charconv>

std::from_chars_result float_from_chars_by_strtod(const char* first, const char* last, float& value,
                                                  std::chars_format format);
std::from_chars_result float_from_chars_by_strtod(const char* first, const char* last, double& value,
                                                  std::chars_format format);

#if defined(__cpp_lib_to_chars)
inline std::from_chars_result float_from_chars(const char* first, const char* last, float& value,
                                               std::chars_format format) {
  return std::from_chars(first, last, value, format);
}
inline std::from_chars_result float_from_chars(const char* first, const char* last, double& value,
                                               std::chars_format format) {
  return std::from_chars(first, last, value, format);
}
#else
inline std::from_chars_result float_from_chars(const char* first, const char* last, float& value,
                                               std::chars_format format) {
  return float_from_chars_by_strtod(first, last, value, format);
}
inline std::from_chars_result float_from_chars(const char* first, const char* last, double& value,
                                               std::chars_format format) {
  return float_from_chars_by_strtod(first, last, value, format);
}
#endif
