// Typed reads of payload bytes. Multi-byte fields are big-endian in the LOG and sit at their
// file offsets with no alignment, so each is assembled from its bytes (no casts of unaligned
// pointers); the compiler turns these into single loads and byte swaps.
#pragma once

#include <cstddef>
#include <cstdint>

inline std::uint8_t u8_at(const std::uint8_t* p, std::size_t off) { return p[off]; }

inline std::int8_t s8_at(const std::uint8_t* p, std::size_t off) { return static_cast<std::int8_t>(p[off]); }

inline std::uint16_t be_u16_at(const std::uint8_t* p, std::size_t off) {
  return static_cast<std::uint16_t>((p[off] << 8) | p[off + 1]);
}

inline std::int16_t be_s16_at(const std::uint8_t* p, std::size_t off) {
  return static_cast<std::int16_t>(be_u16_at(p, off));
}

inline std::uint32_t be_u32_at(const std::uint8_t* p, std::size_t off) {
  return (std::uint32_t{p[off]} << 24) | (std::uint32_t{p[off + 1]} << 16) | (std::uint32_t{p[off + 2]} << 8) |
         std::uint32_t{p[off + 3]};
}
