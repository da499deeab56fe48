// Copies of a few dozen bytes without a loop or a string instruction: two fixed-size copies
// that overlap in the middle cover every length of their range, and fixed-size copies compile
// to plain loads and stores. Each reads and writes exactly the n bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// n is at most 128.
inline void copy_short(std::uint8_t* dest, const std::uint8_t* src, std::size_t n) {
  if (n >= 32) {
    if (n >= 64) {
      std::memcpy(dest, src, 64);
      std::memcpy(dest + n - 64, src + n - 64, 64);
    } else {
      std::memcpy(dest, src, 32);
      std::memcpy(dest + n - 32, src + n - 32, 32);
    }
  } else if (n >= 16) {
    std::memcpy(dest, src, 16);
    std::memcpy(dest + n - 16, src + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(dest, src, 8);
    std::memcpy(dest + n - 8, src + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(dest, src, 4);
    std::memcpy(dest + n - 4, src + n - 4, 4);
  } else {
    for (std::size_t i = 0; i < n; ++i) dest[i] = src[i];
  }
}
