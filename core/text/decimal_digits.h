// Decimal digits written in place, two at a time, for the number formatters.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace decimal_digits {

// 10^0 to 10^19, every power of ten a 64-bit number holds.
// clang-format off
inline constexpr std::uint64_t powers_of_ten[] = {
    1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull, 100000000ull,
    1000000000ull, 10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull,
    100000000000000ull, 1000000000000000ull, 10000000000000000ull, 100000000000000000ull,
    1000000000000000000ull, 10000000000000000000ull};
// clang-format on

// Number of decimal digits of n (1 for 0): the count its bit width suggests (log10(2) is about
// 1233 / 4096), one less when n lies below that count's power of ten.
inline int count(std::uint64_t n) {
  const int guess = (static_cast<int>(std::bit_width(n | 1)) * 1233) >> 12;  // 0 to 19
  return guess + ((n | 1) >= powers_of_ten[guess] ? 1 : 0);
}

inline constexpr char pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The two digits of n (below 100) at out.
inline void write_pair(char* out, std::uint64_t n) {
  // One two-byte copy: a load and a store.
  std::memcpy(out, pairs + 2 * n, 2);
}

// Writes exactly `digits` decimal digits of n (leading zeros) so that they end at `end`.
inline void write_ending_at(char* end, std::uint64_t n, int digits) {
  while (digits >= 2) {
    end -= 2;
    write_pair(end, n % 100);
    n /= 100;
    digits -= 2;
  }
  if (digits == 1) *--end = static_cast<char>('0' + n % 10);
}

// Exactly Digits decimal digits of n (below 10^Digits) at out, the leading pair first: each
// step a division by a constant, no loop.
template <int Digits>
inline void write_exactly(char* out, std::uint64_t n) {
  if constexpr (Digits == 1) {
    *out = static_cast<char>('0' + n);
  } else if constexpr (Digits == 2) {
    write_pair(out, n);
  } else if constexpr (Digits > 2) {
    constexpr std::uint64_t rest = powers_of_ten[Digits - 2];
    const std::uint64_t lead = n / rest;
    write_pair(out, lead);
    write_exactly<Digits - 2>(out + 2, n - lead * rest);
  }
}

// The digits of n, at least min_digits of them; returns the end.
inline char* write(char* out, std::uint64_t n, int min_digits = 1) {
  // The numbers of a report are mostly below 10000: written without counting their digits.
  if (n < 10000 && min_digits <= 1) {
    if (n < 100) {
      if (n < 10) {
        *out = static_cast<char>('0' + n);
        return out + 1;
      }
      write_pair(out, n);
      return out + 2;
    }
    const std::uint64_t high = n / 100;
    if (high < 10) {
      *out++ = static_cast<char>('0' + high);
    } else {
      write_pair(out, high);
      out += 2;
    }
    write_pair(out, n % 100);
    return out + 2;
  }
  const int digits = count(n);
  const int written = digits > min_digits ? digits : min_digits;
  write_ending_at(out + written, n, written);
  return out + written;
}

}  // namespace decimal_digits
