// Decimal digits written in place, two at a time, for the number formatters.
#pragma once

#include <cstdint>

namespace decimal_digits {

// Number of decimal digits of n (1 for 0).
inline int count(std::uint64_t n) {
  int digits = 1;
  while (n >= 10000) {
    n /= 10000;
    digits += 4;
  }
  if (n >= 100) digits += 2, n /= 100;
  return n >= 10 ? digits + 1 : digits;
}

// Writes exactly `digits` decimal digits of n (leading zeros) so that they end at `end`.
inline void write_ending_at(char* end, std::uint64_t n, int digits) {
  static constexpr char pairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  while (digits >= 2) {
    const auto pair = static_cast<unsigned>(n % 100) * 2;
    n /= 100;
    *--end = pairs[pair + 1];
    *--end = pairs[pair];
    digits -= 2;
  }
  if (digits == 1) *--end = static_cast<char>('0' + n % 10);
}

// The digits of n, at least min_digits of them; returns the end.
inline char* write(char* out, std::uint64_t n, int min_digits = 1) {
  const int digits = count(n);
  const int written = digits > min_digits ? digits : min_digits;
  write_ending_at(out + written, n, written);
  return out + written;
}

}  // namespace decimal_digits
