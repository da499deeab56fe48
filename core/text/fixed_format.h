// Fixed-point decimal text of a double, as the C library's "%.Nf" writes it, without its cost.
//
// The digits come from exact integer arithmetic on the binary value, rounded half to even
// exactly as printf rounds in the default rounding mode, so the text is byte-identical to
// printf's for every finite double. Use in a line format: `out.line(OUT_FORMAT("{}"), fixed(v, 2))`
// is "%.2f", `signed_fixed(v, 2)` is "%+.2f" and `fixed(v, 1, 4)` is "%4.1f".
#pragma once

#include <cstddef>
#include <cstdint>

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
constexpr fixed_value fixed(double value, int precision, int width = 0) { return {value, precision, false, width}; }

// "%+.Nf": a sign on every value, "+0.00" for zero and "-0.00" for negative zero.
constexpr fixed_value signed_fixed(double value, int precision) { return {value, precision, true, 0}; }

// numerator / denominator with `precision` decimals (0 to 6), worked out in integers and
// rounded half to even. It is the text printf gives for the double of the quotient when the
// quotient needs no more than `precision` decimals (raw tenths or hundredths) or the double is
// the quotient itself (a fraction of a power of two), so such values skip the binary detour.
struct ratio_value {
  std::int64_t numerator;  // |numerator| < 2^40
  std::uint32_t denominator;
  int precision;
  bool show_plus;
  int width;
};

// "%.Nf" and "%W.Nf" of numerator / denominator.
constexpr ratio_value fixed_ratio(std::int64_t numerator, std::uint32_t denominator, int precision, int width = 0) {
  return {numerator, denominator, precision, false, width};
}

// "%+.Nf" of numerator / denominator.
constexpr ratio_value signed_fixed_ratio(std::int64_t numerator, std::uint32_t denominator, int precision) {
  return {numerator, denominator, precision, true, 0};
}

// Longest text format_ratio writes without its padding.
constexpr std::size_t ratio_format_max = 1 + 20 + 1 + 6;

char* format_ratio(char* out, const ratio_value& r);
