// Buffered reader of LOG records.
//
// The input is read in blocks of 256 KiB and each record is handed on in place: its header is
// decoded inside the block and its payload is a view of the block. Only a record that straddles
// two blocks is staged, in a buffer of its own. A record cut short by the end of the input (or
// by a read error) is dropped and ends the reading. A record with length 0 is consumed and
// dropped; a payload longer than 255 bytes is skipped whole and the record dropped; reading goes
// on after either. The reader counts what it read and dropped, for the LOG's health.
//
// A regular file longer than one block is read ahead on a second thread (see read_ahead.h);
// other inputs (pipes, terminals, memory streams) are read on the caller's thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "records/byte_order.h"
#include "records/efis_record.h"
#include "records/read_ahead.h"
#include "records/source_type.h"

enum class read_outcome { record, dropped, end };

struct reader_stats {
  std::uint64_t records = 0;                          // read whole
  std::array<std::uint64_t, 256> by_type{};           // records read whole, by source type byte
  std::uint64_t zero_length = 0;                      // dropped: length 0
  std::uint64_t oversized = 0;                        // dropped: longer than 255 bytes, skipped
  std::uint64_t truncated = 0;                        // dropped: cut short by the end of the input
  std::array<std::uint64_t, 4> first_drop_offsets{};  // of the first dropped records
  std::uint32_t drops_noted = 0;                      // how many of first_drop_offsets are set
  std::uint64_t largest_skip = 0;                     // payload bytes of the longest oversized record
  std::uint64_t largest_skip_offset = 0;
  bool input_error = false;  // reading stopped on a read error, not at the end
};

class record_reader {
 public:
  static constexpr std::size_t block_size = 1 << 18;

  // Starts reading input from its current position, with an empty block and clean counts.
  void reset(FILE* input);

  // After reset(): every block is read on the caller's thread, never ahead (for a caller that is
  // itself a thread beside another reading).
  void read_on_this_thread() { may_read_ahead_ = false; }

  // After reset(), before the first record: every block, the first included, is read ahead and
  // goes through worker on the reading thread before it is framed here (read_ahead.h). False
  // when the input is not read ahead (not a regular file, or no thread): the worker gets nothing.
  // The worker stays in use until the reading stops (stop_reading(), seek(), reset(), the end).
  bool read_with(block_worker* worker);
  bool reads_with(const block_worker* worker) const { return ahead_.working_with(worker); }

  // Ends the reading early (or after the end): any read-ahead stops, so the caller may use the
  // input again, and next() gives the end from here on. reset() starts again.
  void stop_reading();

  // Reads on from offset (counted from where reset() found the input), the counts kept: for a
  // pass that read ahead elsewhere in the input and comes back. Any read-ahead stops first, so
  // the caller may use the input until the next record is asked for. False (and the end from
  // here on) when the input can't be repositioned.
  bool seek(std::uint64_t offset);

  // The next record. For a dropped record the header fields are set (its payload is not);
  // at the end nothing is.
  read_outcome next(efis_record& rec) {
    if (pos_ < whole_records_below_) {
      // The longest record there can be fits in the block from here: only its length to check.
      const std::uint8_t* header = block_ + pos_;
      const std::uint32_t length = be_u32_at(header, 5);
      if (length - 1 < max_payload_size) return take_in_place(rec, header, length);
    }
    const std::size_t available = end_ - pos_;
    if (available >= record_header_size) {
      const std::uint8_t* header = block_ + pos_;
      const std::uint32_t length = be_u32_at(header, 5);
      // length - 1 < 255 is 1 <= length <= 255.
      if (length - 1 < max_payload_size && available - record_header_size >= length) {
        return take_in_place(rec, header, length);
      }
    }
    return next_across_blocks(rec);
  }

  // The counts so far. Only the counts by type move as records are read; their total is added
  // up here.
  const reader_stats& stats() const {
    std::uint64_t total = 0;
    for (const std::uint64_t n : stats_.by_type) total += n;
    stats_.records = total;
    return stats_;
  }

  // Records read whole of types the LOG format does not define.
  std::uint64_t unknown_type_records() const;

  // Bytes taken from the input so far.
  std::uint64_t bytes_read() const { return block_offset_ + end_; }

 private:
  // A record whose header and payload lie whole in the block at pos_.
  read_outcome take_in_place(efis_record& rec, const std::uint8_t* header, std::uint32_t length) {
    rec.source_type = header[0];
    rec.timestamp = be_u32_at(header, 1);
    rec.length = length;
    rec.payload = header + record_header_size;
    rec.offset = block_offset_ + pos_;
    pos_ += record_header_size + length;
    ++stats_.by_type[header[0]];
    return read_outcome::record;
  }

  read_outcome next_across_blocks(efis_record& rec);
  // Starts reading ahead into every block but the current one.
  bool start_reading_ahead(block_worker* worker);
  bool take(std::uint8_t* dest, std::size_t n);
  bool skip(std::uint64_t n);
  bool refill();
  void note_drop(std::uint64_t offset);

  FILE* input_ = nullptr;
  long start_ = -1;  // where reset() found the input; -1 when it can't tell
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  // Below this position a record of the longest length fits whole before end_ (0 when the
  // block is too short for one, or no block is read).
  std::size_t whole_records_below_ = 0;
  std::uint64_t block_offset_ = 0;  // input offset of block_[0]
  bool exhausted_ = false;
  bool may_read_ahead_ = false;  // a regular file whose first block is not read yet
  mutable reader_stats stats_;  // records: see stats()
  std::uint8_t* block_ = blocks_[0];  // the block records are read from
  std::uint8_t staged_[max_payload_size];
  // The current block and those read ahead (read_ahead.h).
  std::uint8_t blocks_[1 + read_ahead::spares][block_size];
  read_ahead ahead_;  // declared last: its thread stops before the blocks go
};
