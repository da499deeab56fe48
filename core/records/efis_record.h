// One LOG record as the reader hands it on.
//
// A LOG file is records back to back: a source type byte, a big-endian 32-bit timestamp, a
// big-endian 32-bit payload length, then the payload. At most 255 payload bytes are accepted.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t record_header_size = 9;
constexpr std::size_t max_payload_size = 255;

struct efis_record {
  std::uint32_t source_type;    // the type byte, 0-255
  std::uint32_t timestamp;      // 1 ms units; 100 make one decisecond
  std::uint32_t length;         // payload bytes, 1-255
  const std::uint8_t* payload;  // `length` bytes, valid until the reader moves on
  std::uint64_t offset;         // of the record's first byte in the LOG
};
