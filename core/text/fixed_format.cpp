#include "text/fixed_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "text/decimal_digits.h"

namespace {

using u128 = unsigned __int128;

using decimal_digits::powers_of_ten;

// Decimal digits of n, at least min_digits of them (leading zeros), written backwards from end.
char* digits_backwards(char* end, std::uint64_t n, int min_digits) {
  const int digits = std::max(decimal_digits::count(n), min_digits);
  decimal_digits::write_ending_at(end, n, digits);
  return end - digits;
}

// The same for a 128-bit number: the low 19 digits, then the rest.
char* digits_backwards(char* end, u128 n, int min_digits) {
  constexpr std::uint64_t ten_to_19 = 10000000000000000000ull;
  if (n <= UINT64_MAX) return digits_backwards(end, static_cast<std::uint64_t>(n), min_digits);
  end = digits_backwards(end, static_cast<std::uint64_t>(n % ten_to_19), 19);
  return digits_backwards(end, static_cast<std::uint64_t>(n / ten_to_19), min_digits - 19);
}

// n / 2^shift rounded half to even (shift 1 to 127).
template <typename U>
U shifted_half_even(U n, int shift) {
  const U quotient = n >> shift;
  const U remainder = n & ((U{1} << shift) - 1);
  const U half = U{1} << (shift - 1);
  if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
  return quotient;
}

// value * 10^precision rounded half to even, for a finite |value| below 2^53.
u128 scaled_and_rounded(double value, int precision) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
  int exponent;  // value = mantissa * 2^exponent
  if (biased_exponent == 0) {
    exponent = -1074;
  } else {
    mantissa |= std::uint64_t{1} << 52;
    exponent = biased_exponent - 1075;
  }
  if (mantissa == 0) return 0;
  // Fewer significant bits keep the product in 64 bits for most values: a float widened to
  // double has at most 24, and two decimals need at most 7 more.
  const int trailing = std::countr_zero(mantissa);
  mantissa >>= trailing;
  exponent += trailing;
  if (exponent >= 0) return static_cast<u128>(mantissa << exponent) * powers_of_ten[precision];  // |value| < 2^53
  const int shift = -exponent;
  if (shift > 120) return 0;  // far below half a unit of the last decimal
  if (std::bit_width(mantissa) + std::bit_width(powers_of_ten[precision]) <= 64 && shift < 64) {
    return shifted_half_even(mantissa * powers_of_ten[precision], shift);
  }
  return shifted_half_even(static_cast<u128>(mantissa) * powers_of_ten[precision], shift);
}

template <int Precision>
char* write_scaled_padded(char* out, std::uint64_t scaled, char sign, int width);

template <int Precision>
char* write_scaled(char* out, std::uint64_t scaled, char sign, int width) {
  // A width is rare: its own function keeps this one small.
  if (width > 0) return write_scaled_padded<Precision>(out, scaled, sign, width);
  // The sign's byte is written whatever it is and kept only when there is a sign.
  *out = sign;
  out += sign != '\0' ? 1 : 0;
  constexpr std::uint64_t divisor = powers_of_ten[Precision];
  const std::uint64_t whole = scaled / divisor;
  out = decimal_digits::write(out, whole);
  if constexpr (Precision > 0) {
    *out++ = '.';
    const std::uint64_t fraction = scaled - whole * divisor;
    decimal_digits::write_exactly<Precision>(out, fraction);
    out += Precision;
  }
  return out;
}

// The same left-padded with blanks to width.
template <int Precision>
[[gnu::noinline]] char* write_scaled_padded(char* out, std::uint64_t scaled, char sign, int width) {
  char text[48];
  const auto length = static_cast<int>(write_scaled<Precision>(text, scaled, sign, 0) - text);
  for (int i = length; i < width; ++i) *out++ = ' ';
  std::memcpy(out, text, static_cast<std::size_t>(length));
  return out + length;
}

// The text of a value too large for 64 bits once scaled.
char* write_wide(char* out, u128 scaled, int precision, char sign, int width) {
  const std::uint64_t divisor = powers_of_ten[precision];
  char text[64];
  char* const end = text + sizeof text;
  char* p = end;
  if (precision > 0) {
    p = digits_backwards(p, static_cast<std::uint64_t>(scaled % divisor), precision);
    *--p = '.';
  }
  p = digits_backwards(p, scaled / divisor, 1);
  if (sign != '\0') *--p = sign;
  const std::size_t length = static_cast<std::size_t>(end - p);
  if (width > 0 && length < static_cast<std::size_t>(width)) {
    const std::size_t pad = static_cast<std::size_t>(width) - length;
    std::memset(out, ' ', pad);
    out += pad;
  }
  std::memcpy(out, p, length);
  return out + length;
}

// Huge values and nan/inf are rare enough for the general formatter.
char* write_with_printf(char* out, double value, int precision, bool show_plus, int width) {
  char printf_format[16];
  char* s = printf_format;
  *s++ = '%';
  if (show_plus) *s++ = '+';
  s = decimal_digits::write(s, static_cast<std::uint64_t>(std::max(width, 0)));
  *s++ = '.';
  s = decimal_digits::write(s, static_cast<std::uint64_t>(precision));
  *s++ = 'f';
  *s = '\0';
  const int n = std::snprintf(out, fixed_format_max + 32, printf_format, value);
  return out + std::max(n, 0);
}

}  // namespace

template <int Precision>
char* format_scaled_to(char* out, std::uint64_t scaled, char sign, int width) {
  return write_scaled<Precision>(out, scaled, sign, width);
}

template <int Precision>
char* format_fixed_to(char* out, double value, bool show_plus, int width) {
  const double magnitude = std::fabs(value);
  // Huge values, nan and inf (which fail every comparison) go to the general formatter.
  if (!(magnitude < 0x1p53)) return write_with_printf(out, value, Precision, show_plus, width);
  const char sign = std::signbit(value) ? '-' : (show_plus ? '+' : '\0');
  if constexpr (Precision <= 8) {
    // Most often without the exact arithmetic: the double product |value| * 10^precision lies
    // within half an ulp of the exact product, so when it is further than an ulp from a tie its
    // nearest whole number is the exact product's. Below 2^50 the whole part converts exactly
    // and the fraction is exact.
    const double x = magnitude * static_cast<double>(powers_of_ten[Precision]);
    if (x < 0x1p50) {
      const auto whole = static_cast<std::int64_t>(x);
      const double beyond_half = (x - static_cast<double>(whole)) - 0.5;
      if (std::fabs(beyond_half) > x * 0x1p-51) {
        const auto scaled = static_cast<std::uint64_t>(whole) + (beyond_half > 0 ? 1 : 0);
        return write_scaled<Precision>(out, scaled, sign, width);
      }
    }
  }
  const u128 scaled = scaled_and_rounded(value, Precision);
  if (scaled <= UINT64_MAX) return write_scaled<Precision>(out, static_cast<std::uint64_t>(scaled), sign, width);
  return write_wide(out, scaled, Precision, sign, width);
}

template <int Precision>
char* format_ratio_to(char* out, std::uint64_t magnitude, std::uint32_t denominator, char sign, int width) {
  // |numerator| < 2^40 keeps magnitude * 10^6 within 64 bits.
  const std::uint64_t product = magnitude * powers_of_ten[Precision];
  std::uint64_t quotient;
  std::uint64_t remainder;
  if ((denominator & (denominator - 1)) == 0) {
    // A power of two (the half-turn fractions of the angles): a shift.
    const int shift = std::countr_zero(denominator);
    quotient = product >> shift;
    remainder = product & (denominator - 1);
  } else {
    quotient = product / denominator;
    remainder = product % denominator;
  }
  const std::uint64_t twice_remainder = remainder * 2;
  if (twice_remainder > denominator || (twice_remainder == denominator && (quotient & 1) != 0)) ++quotient;
  return write_scaled<Precision>(out, quotient, sign, width);
}

#define ORVEX_FIXED_PRECISION(P)                                       \
  template char* format_scaled_to<P>(char*, std::uint64_t, char, int); \
  template char* format_fixed_to<P>(char*, double, bool, int);         \
  template char* format_ratio_to<P>(char*, std::uint64_t, std::uint32_t, char, int);
ORVEX_FIXED_PRECISION(0)
ORVEX_FIXED_PRECISION(1)
ORVEX_FIXED_PRECISION(2)
ORVEX_FIXED_PRECISION(3)
ORVEX_FIXED_PRECISION(4)
ORVEX_FIXED_PRECISION(5)
ORVEX_FIXED_PRECISION(6)
#undef ORVEX_FIXED_PRECISION

namespace {

using fixed_writer = char* (*)(char*, double, bool, int);

template <int... P>
constexpr std::array<fixed_writer, sizeof...(P)> fixed_writers(std::integer_sequence<int, P...>) {
  return {format_fixed_to<P>...};
}

}  // namespace

char* format_fixed(char* out, double value, int precision, bool show_plus, int width) {
  static constexpr auto writers = fixed_writers(std::make_integer_sequence<int, 18>{});
  return writers[static_cast<std::size_t>(std::clamp(precision, 0, 17))](out, value, show_plus, width);
}

char* format_ratio(char* out, const ratio_value& r) {
  const std::uint64_t magnitude = r.numerator < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(r.numerator)
                                                  : static_cast<std::uint64_t>(r.numerator);
  const char sign = r.numerator < 0 ? '-' : (r.show_plus ? '+' : '\0');
  switch (std::clamp(r.precision, 0, 6)) {
    case 0: return format_ratio_to<0>(out, magnitude, r.denominator, sign, r.width);
    case 1: return format_ratio_to<1>(out, magnitude, r.denominator, sign, r.width);
    case 2: return format_ratio_to<2>(out, magnitude, r.denominator, sign, r.width);
    case 3: return format_ratio_to<3>(out, magnitude, r.denominator, sign, r.width);
    case 4: return format_ratio_to<4>(out, magnitude, r.denominator, sign, r.width);
    case 5: return format_ratio_to<5>(out, magnitude, r.denominator, sign, r.width);
    default: return format_ratio_to<6>(out, magnitude, r.denominator, sign, r.width);
  }
}
