#include "records/tail_records.h"

#include <algorithm>

#include "records/byte_order.h"
#include "records/efis_record.h"
#include "records/source_type.h"

namespace {

constexpr std::size_t least_records = 8;

struct run {
  std::size_t records = 0;
  std::uint32_t latest = 0;
};

// The records from start to the end of the bytes; nothing when one of them can't be a record
// (a type the LOG format does not use, or a length the reader drops).
std::optional<run> records_from(const std::uint8_t* bytes, std::size_t size, std::size_t start) {
  run r;
  std::size_t pos = start;
  while (size - pos >= record_header_size) {
    const std::uint8_t* header = bytes + pos;
    const std::uint32_t length = be_u32_at(header, 5);
    if (length - 1 >= max_payload_size || !(is_known_source_type(header[0]) || header[0] == source_summary)) {
      return std::nullopt;
    }
    if (size - pos - record_header_size < length) break;  // cut off by the end: dropped
    r.latest = r.records == 0 ? be_u32_at(header, 1) : std::max(r.latest, be_u32_at(header, 1));
    ++r.records;
    pos += record_header_size + length;
  }
  return r;
}

}  // namespace

std::optional<std::uint32_t> latest_time_at_end(const std::uint8_t* bytes, std::size_t size, bool from_a_record) {
  if (from_a_record) {
    const std::optional<run> r = records_from(bytes, size, 0);
    if (r && r->records > 0) return r->latest;
    return std::nullopt;
  }
  for (std::size_t start = 0; start + record_header_size <= size; ++start) {
    const std::optional<run> r = records_from(bytes, size, start);
    if (r && r->records >= least_records) return r->latest;
  }
  return std::nullopt;
}
