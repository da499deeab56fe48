#include "records/record_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

void record_reader::reset(FILE* input) {
  ahead_.stop();
  input_ = input;
  start_ = input != nullptr ? std::ftell(input) : -1;
  block_ = blocks_[0];
  may_read_ahead_ = read_ahead::suits(input);
  pos_ = end_ = 0;
  whole_records_below_ = 0;
  block_offset_ = 0;
  exhausted_ = false;
  stats_ = reader_stats{};
}

bool record_reader::seek(std::uint64_t offset) {
  ahead_.stop();
  pos_ = end_ = 0;
  whole_records_below_ = 0;
  block_offset_ = offset;
  exhausted_ = true;
  if (input_ == nullptr || start_ < 0 || offset > static_cast<std::uint64_t>(LONG_MAX - start_) ||
      std::fseek(input_, start_ + static_cast<long>(offset), SEEK_SET) != 0) {
    return false;
  }
  exhausted_ = false;
  may_read_ahead_ = read_ahead::suits(input_);
  return true;
}

bool record_reader::read_with(block_worker* worker) {
  if (!may_read_ahead_ || end_ != 0 || exhausted_) return false;
  may_read_ahead_ = false;
  return start_reading_ahead(worker);
}

bool record_reader::start_reading_ahead(block_worker* worker) {
  std::uint8_t* spare[read_ahead::spares];
  int n = 0;
  for (std::uint8_t* block : blocks_) {
    if (block != block_ && n < read_ahead::spares) spare[n++] = block;
  }
  return ahead_.start(input_, spare, block_size, worker);
}

void record_reader::stop_reading() {
  ahead_.stop();
  exhausted_ = true;
  pos_ = end_;
  whole_records_below_ = 0;
}

bool record_reader::refill() {
  if (exhausted_) return false;
  block_offset_ += end_;
  pos_ = 0;
  bool read_error = false;
  if (ahead_.running()) {
    block_ = ahead_.exchange(block_, end_, read_error);
  } else {
    end_ = std::fread(block_, 1, block_size, input_);
    read_error = end_ == 0 && std::ferror(input_) != 0;
    if (end_ == block_size && may_read_ahead_) {
      // A file longer than one block: read its next blocks ahead from here on.
      may_read_ahead_ = false;
      start_reading_ahead(nullptr);
    }
  }
  constexpr std::size_t longest_record = record_header_size + max_payload_size;
  whole_records_below_ = end_ > longest_record ? end_ - longest_record : 0;
  if (end_ == 0) {
    // End of file or a read error: either way nothing more will come.
    exhausted_ = true;
    stats_.input_error = read_error;
    ahead_.stop();
    return false;
  }
  return true;
}

bool record_reader::take(std::uint8_t* dest, std::size_t n) {
  while (n > 0) {
    if (pos_ == end_ && !refill()) return false;
    const std::size_t part = std::min(n, end_ - pos_);
    std::memcpy(dest, block_ + pos_, part);
    pos_ += part;
    dest += part;
    n -= part;
  }
  return true;
}

bool record_reader::skip(std::uint64_t n) {
  while (n > 0) {
    if (pos_ == end_ && !refill()) return false;
    const std::size_t part = static_cast<std::size_t>(std::min<std::uint64_t>(n, end_ - pos_));
    pos_ += part;
    n -= part;
  }
  return true;
}

void record_reader::note_drop(std::uint64_t offset) {
  if (stats_.drops_noted < stats_.first_drop_offsets.size()) {
    stats_.first_drop_offsets[stats_.drops_noted++] = offset;
  }
}

read_outcome record_reader::next_across_blocks(efis_record& rec) {
  if (pos_ == end_ && !refill()) return read_outcome::end;
  const std::uint64_t offset = block_offset_ + pos_;
  const auto cut_short = [&] {
    ++stats_.truncated;
    note_drop(offset);
    return read_outcome::end;
  };
  std::uint8_t header[record_header_size];
  if (!take(header, record_header_size)) return cut_short();
  rec.source_type = header[0];
  rec.timestamp = be_u32_at(header, 1);
  rec.length = be_u32_at(header, 5);
  rec.offset = offset;
  if (rec.length == 0) {
    ++stats_.zero_length;
    note_drop(offset);
    return read_outcome::dropped;
  }
  if (rec.length > max_payload_size) {
    if (!skip(rec.length)) return cut_short();
    ++stats_.oversized;
    note_drop(offset);
    if (rec.length > stats_.largest_skip) {
      stats_.largest_skip = rec.length;
      stats_.largest_skip_offset = offset;
    }
    return read_outcome::dropped;
  }
  if (end_ - pos_ >= rec.length) {
    rec.payload = block_ + pos_;
    pos_ += rec.length;
  } else {
    if (!take(staged_, rec.length)) return cut_short();
    rec.payload = staged_;
  }
  ++stats_.by_type[rec.source_type];
  return read_outcome::record;
}

std::uint64_t record_reader::unknown_type_records() const {
  std::uint64_t known = 0;
  for (std::uint32_t type = 1; type <= last_source_type; ++type) known += stats_.by_type[type];
  return stats().records - known;
}
