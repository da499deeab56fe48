#include "records/record_reader.h"

#include <algorithm>
#include <cstring>

bool record_reader::refill() {
  if (exhausted_) return false;
  pos_ = 0;
  end_ = std::fread(block_, 1, block_size, input_);
  if (end_ == 0) {
    // End of file or a read error: either way nothing more will come.
    exhausted_ = true;
    return false;
  }
  return true;
}

bool record_reader::take_slow(std::uint8_t* dest, std::size_t n) {
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

bool record_reader::skip(std::size_t n) {
  while (n > 0) {
    if (pos_ == end_ && !refill()) return false;
    const std::size_t part = std::min(n, end_ - pos_);
    pos_ += part;
    n -= part;
  }
  return true;
}
