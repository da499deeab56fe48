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

// The same formatters with the precision fixed at compile time (0 to 8 for a double, 0 to 6 for
// a ratio): one call that divides by constants. The line formats reach them through
// put_fixed() and put_ratio() below, which pick them by the precision a call site writes.
template <int Precision>
char* format_fixed_to(char* out, double value, bool show_plus, int width);
template <int Precision>
char* format_ratio_to(char* out, std::uint64_t magnitude, std::uint32_t denominator, char sign, int width);
// Sign, whole part, point and Precision decimals of scaled / 10^Precision, left-padded to width.
template <int Precision>
char* format_scaled_to(char* out, std::uint64_t scaled, char sign, int width);

// By value: a copy whose address never leaves the call site, so its constant fields stay known
// there.
[[gnu::always_inline]] inline char* put_fixed(char* out, fixed_value f) {
  switch (f.precision) {
    case 0: return format_fixed_to<0>(out, f.value, f.show_plus, f.width);
    case 1: return format_fixed_to<1>(out, f.value, f.show_plus, f.width);
    case 2: return format_fixed_to<2>(out, f.value, f.show_plus, f.width);
    case 3: return format_fixed_to<3>(out, f.value, f.show_plus, f.width);
    case 6: return format_fixed_to<6>(out, f.value, f.show_plus, f.width);
    default: return format_fixed(out, f.value, f.precision, f.show_plus, f.width);
  }
}

namespace fixed_detail {
inline constexpr std::uint32_t powers_of_ten_32[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

template <int Precision>
[[gnu::always_inline]] inline char* put_ratio(char* out, ratio_value r) {
  const bool negative = r.numerator < 0;
  const std::uint64_t magnitude =
      negative ? std::uint64_t{0} - static_cast<std::uint64_t>(r.numerator) : static_cast<std::uint64_t>(r.numerator);
  const char sign = negative ? '-' : (r.show_plus ? '+' : '\0');
  constexpr std::uint32_t scale = powers_of_ten_32[Precision];
  // A denominator the call site fixes: the quotient is a multiplication when it divides
  // 10^Precision (tenths shown with one or two decimals), else a division by a constant.
  if (__builtin_constant_p(r.denominator) && r.denominator != 0) {
    if (scale % r.denominator == 0) {
      return format_scaled_to<Precision>(out, magnitude * (scale / r.denominator), sign, r.width);
    }
    const std::uint64_t product = magnitude * scale;
    std::uint64_t quotient = product / r.denominator;
    const std::uint64_t twice_remainder = (product % r.denominator) * 2;
    if (twice_remainder > r.denominator || (twice_remainder == r.denominator && (quotient & 1) != 0)) ++quotient;
    return format_scaled_to<Precision>(out, quotient, sign, r.width);
  }
  return format_ratio_to<Precision>(out, magnitude, r.denominator, sign, r.width);
}
}  // namespace fixed_detail

[[gnu::always_inline]] inline char* put_ratio(char* out, ratio_value r) {
  switch (r.precision) {
    case 0: return fixed_detail::put_ratio<0>(out, r);
    case 1: return fixed_detail::put_ratio<1>(out, r);
    case 2: return fixed_detail::put_ratio<2>(out, r);
    case 6: return fixed_detail::put_ratio<6>(out, r);
    default: return format_ratio(out, ratio_value{r});
  }
}
