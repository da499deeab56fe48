// Typed access to payload bytes. Payload fields sit at their file offsets with no alignment,
// so every multi-byte read and write goes through memcpy rather than a cast pointer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

inline std::uint8_t u8_at(const std::uint8_t* p, std::size_t off) { return p[off]; }
inline std::int8_t s8_at(const std::uint8_t* p, std::size_t off) {
  return static_cast<std::int8_t>(p[off]);
}

// Host-order 16-bit values (after the payload has been converted in place).
inline std::uint16_t u16_at(const std::uint8_t* p, std::size_t off) {
  std::uint16_t v;
  std::memcpy(&v, p + off, sizeof v);
  return v;
}
inline std::int16_t s16_at(const std::uint8_t* p, std::size_t off) {
  return static_cast<std::int16_t>(u16_at(p, off));
}

// Big-endian 32-bit value as it stands in the file.
inline std::uint32_t u32_be(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

// Exchanges the two bytes of a 16-bit field in place (big-endian file -> little-endian host).
inline void swap16_at(std::uint8_t* p, std::size_t off) {
  const std::uint8_t t = p[off];
  p[off] = p[off + 1];
  p[off + 1] = t;
}

// Exchanges the bytes of every 16-bit field listed in a layout's offset table.
template <typename Offsets>
inline void swap16_fields(std::uint8_t* p, const Offsets& offsets) {
  for (const auto off : offsets) swap16_at(p, off);
}
