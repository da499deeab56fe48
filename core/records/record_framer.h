// Frames LOG records from blocks of the input handed in one after another, as record_reader
// frames the same bytes: each record read whole goes to the sink with its offset (counted from
// the first block's first byte) and its payload, in the block where it lies whole or staged
// here where it straddles two. A record with length 0 is passed over, a longer payload than
// 255 bytes is skipped whole; a record the input ends inside never reaches the sink.
//
// For a reading thread's worker (read_ahead.h) that needs the records of the blocks it is given.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "records/byte_order.h"
#include "records/efis_record.h"

class record_framer {
 public:
  // sink(const efis_record&) for every record read whole in block (size bytes) whose type
  // wanted(type) takes.
  template <typename Wanted, typename Sink>
  void take(const std::uint8_t* block, std::size_t size, Wanted&& wanted, Sink&& sink) {
    std::size_t pos = 0;
    while (pos < size) {
      if (skip_ == 0 && !staging_payload_ && header_staged_ == 0) {
        // Records that lie whole in the block, one after another: only their lengths and types
        // are read until a wanted one comes. Below whole_below the longest record fits.
        constexpr std::size_t longest = record_header_size + max_payload_size;
        const std::size_t whole_below = size > longest ? size - longest : 0;
        for (;;) {
          const std::uint8_t* header = block + pos;
          if (pos >= whole_below && size - pos < record_header_size) break;
          const std::uint32_t length = be_u32_at(header, 5);
          if (length - 1 >= max_payload_size) break;
          if (pos >= whole_below && size - pos - record_header_size < length) break;
          if (wanted(header[0])) {
            record_.offset = offset_ + pos;
            take_header(header);
            record_.payload = header + record_header_size;
            sink(static_cast<const efis_record&>(record_));
          }
          pos += record_header_size + length;
        }
        if (pos == size) break;
      }
      const std::size_t left = size - pos;
      if (skip_ > 0) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(skip_, left));
        skip_ -= n;
        pos += n;
      } else if (staging_payload_) {
        const std::size_t n = std::min<std::size_t>(record_.length - staged_, left);
        std::memcpy(payload_ + staged_, block + pos, n);
        staged_ += n;
        pos += n;
        if (staged_ == record_.length) {
          staging_payload_ = false;
          record_.payload = payload_;
          if (wanted(record_.source_type)) sink(static_cast<const efis_record&>(record_));
        }
      } else if (header_staged_ == 0 && left >= record_header_size) {
        // A record whose payload does not lie whole in the block, or whose length drops it.
        record_.offset = offset_ + pos;
        pos += record_header_size;
        begin_payload(block + pos - record_header_size);
      } else {
        if (header_staged_ == 0) record_.offset = offset_ + pos;
        const std::size_t n = std::min(record_header_size - header_staged_, left);
        std::memcpy(header_ + header_staged_, block + pos, n);
        header_staged_ += n;
        pos += n;
        if (header_staged_ == record_header_size) {
          header_staged_ = 0;
          begin_payload(header_);
        }
      }
    }
    offset_ += size;
  }

 private:
  void take_header(const std::uint8_t* header) {
    record_.source_type = header[0];
    record_.timestamp = be_u32_at(header, 1);
    record_.length = be_u32_at(header, 5);
  }
  // After a header whose payload does not lie whole behind it in the block.
  void begin_payload(const std::uint8_t* header) {
    take_header(header);
    if (record_.length == 0) return;
    if (record_.length > max_payload_size) {
      skip_ = record_.length;
      return;
    }
    staging_payload_ = true;
    staged_ = 0;
  }

  std::uint64_t offset_ = 0;  // of the next block's first byte
  efis_record record_{};      // the record being framed
  std::uint8_t header_[record_header_size];
  std::size_t header_staged_ = 0;
  bool staging_payload_ = false;
  std::size_t staged_ = 0;
  std::uint64_t skip_ = 0;  // bytes of an oversized payload still to pass over
  std::uint8_t payload_[max_payload_size];
};
