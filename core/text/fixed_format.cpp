#include "text/fixed_format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "text/decimal_digits.h"

namespace {

using u128 = unsigned __int128;

constexpr std::uint64_t powers_of_ten[] = {
    1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull, 100000000ull,
    1000000000ull, 10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull,
    100000000000000ull, 1000000000000000ull, 10000000000000000ull, 100000000000000000ull,
};

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
  const u128 scaled = static_cast<u128>(mantissa) * powers_of_ten[precision];  // < 2^113
  if (exponent >= 0) return scaled << exponent;  // exponent is 0 here: |value| < 2^53
  const int shift = -exponent;
  if (shift > 120) return 0;  // far below half a unit of the last decimal
  const u128 quotient = scaled >> shift;
  const u128 remainder = scaled & ((u128{1} << shift) - 1);
  const u128 half = u128{1} << (shift - 1);
  if (remainder > half || (remainder == half && (quotient & 1) != 0)) return quotient + 1;
  return quotient;
}

}  // namespace

char* format_fixed(char* out, double value, int precision, bool show_plus, int width) {
  precision = std::clamp(precision, 0, 17);
  if (!std::isfinite(value) || std::fabs(value) >= 0x1p53) {
    // Huge values and nan/inf are rare enough for the general formatter.
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
  const u128 scaled = scaled_and_rounded(value, precision);
  const std::uint64_t divisor = powers_of_ten[precision];
  const char sign = std::signbit(value) ? '-' : (show_plus ? '+' : '\0');
  if (scaled <= UINT64_MAX) {
    // The common case: 64-bit arithmetic, digits written in place.
    const auto narrow = static_cast<std::uint64_t>(scaled);
    const std::uint64_t whole = narrow / divisor;
    const int whole_digits = decimal_digits::count(whole);
    const int length = (sign != '\0' ? 1 : 0) + whole_digits + (precision > 0 ? precision + 1 : 0);
    for (int i = length; i < width; ++i) *out++ = ' ';
    char* const end = out + length;
    char* p = end;
    if (precision > 0) {
      decimal_digits::write_ending_at(p, narrow % divisor, precision);
      p -= precision;
      *--p = '.';
    }
    decimal_digits::write_ending_at(p, whole, whole_digits);
    if (sign != '\0') *out = sign;
    return end;
  }
  char text[64];
  char* const end = text + sizeof text;
  char* p = end;
  if (precision > 0) {
    p = digits_backwards(p, static_cast<std::uint64_t>(scaled % divisor), precision);
    *--p = '.';
  }
  p = digits_backwards(p, scaled / divisor, 1);
  if (std::signbit(value)) {
    *--p = '-';
  } else if (show_plus) {
    *--p = '+';
  }
  const std::size_t length = static_cast<std::size_t>(end - p);
  if (width > 0 && length < static_cast<std::size_t>(width)) {
    const std::size_t pad = static_cast<std::size_t>(width) - length;
    std::memset(out, ' ', pad);
    out += pad;
  }
  std::memcpy(out, p, length);
  return out + length;
}
