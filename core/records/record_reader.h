// Buffered reader of LOG records.
//
// The input is read in large blocks; header fields and payloads are taken from the block.
// A record cut short by the end of the input is dropped and ends the pass, as does a read
// error. A record with length 0 is consumed and dropped. A payload longer than the 255 bytes
// an efis_record holds is skipped whole and the record dropped; reading goes on after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "records/efis_record.h"

enum class read_outcome { record, dropped, end };

class record_reader {
 public:
  static constexpr std::size_t block_size = 1 << 18;

  // Starts reading input from its current position with an empty block.
  void reset(FILE* input) {
    input_ = input;
    pos_ = end_ = 0;
    exhausted_ = false;
  }

  // Reads the next record's header and payload into rec (which the pass has cleared).
  // after_timestamp(rec.timestamp) runs as soon as the timestamp has been read, before the
  // rest of the record.
  template <typename AfterTimestamp>
  read_outcome next(efis_record& rec, AfterTimestamp&& after_timestamp) {
    std::uint8_t header[4];
    if (!take(header, 1)) return read_outcome::end;
    rec.source_type = header[0];
    if (!take(header, 4)) return read_outcome::end;
    rec.timestamp = u32_be_of(header);
    after_timestamp(rec.timestamp);
    if (!take(header, 4)) return read_outcome::end;
    rec.length = u32_be_of(header);
    if (rec.length == 0) return read_outcome::dropped;
    if (rec.length > raw_payload_size) {
      return skip(rec.length) ? read_outcome::dropped : read_outcome::end;
    }
    if (!take(rec.raw, rec.length)) return read_outcome::end;
    __builtin_memcpy(rec.payload, rec.raw, rec.length);
    return read_outcome::record;
  }

 private:
  static std::uint32_t u32_be_of(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
           (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
  }

  // Copies n bytes to dest; false when the input ends (or fails) first.
  bool take(std::uint8_t* dest, std::size_t n) {
    if (end_ - pos_ >= n) {
      __builtin_memcpy(dest, block_ + pos_, n);
      pos_ += n;
      return true;
    }
    return take_slow(dest, n);
  }
  bool take_slow(std::uint8_t* dest, std::size_t n);
  bool skip(std::size_t n);
  bool refill();

  FILE* input_ = nullptr;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool exhausted_ = false;
  std::uint8_t block_[block_size];
};
