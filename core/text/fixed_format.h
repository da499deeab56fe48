// Fixed-point decimal text of a double, as the C library's "%.Nf" writes it, without its cost.
//
// The digits come from exact integer arithmetic on the binary value, rounded half to even
// exactly as printf rounds in the default rounding mode, so the text is byte-identical to
// printf's for every finite double. Use in a line format: `out.line(OUT_FORMAT("{}"), fixed(v, 2))`
// is "%.2f", `signed_fixed(v, 2)` is "%+.2f" and `fixed(v, 1, 4)` is "%4.1f".
#pragma once

#include <cstddef>

// Longest text format_fixed writes: sign, 309 integer digits, point and decimals.
constexpr std::size_t fixed_format_max = 1 + 309 + 1 + 17;

// Writes the text of value with `precision` decimals (0 to 17) to out; '+' before a value that
// is not negative when show_plus is set; left-padded with blanks to `width`. Returns the end.
char* format_fixed(char* out, double value, int precision, bool show_plus = false, int width = 0);

struct fixed_value {
  double value;
  int precision;
  bool show_plus;
  int width;
};

// "%.Nf" and "%W.Nf".
constexpr fixed_value fixed(double value, int precision, int width = 0) {
  return {value, precision, false, width};
}

// "%+.Nf": a sign on every value, "+0.00" for zero and "-0.00" for negative zero.
constexpr fixed_value signed_fixed(double value, int precision) {
  return {value, precision, true, 0};
}
