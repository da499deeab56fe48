// The records at the end of a LOG, framed from its last bytes alone: without the bytes before,
// where a record starts is not known, so every start is tried and a start whose records run
// one after another to the end of the bytes is taken. A guess, for a caller that checks it
// later: a payload can look like a run of records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

// The latest timestamp among the records that frame to the end of bytes (size bytes; a record
// the bytes end inside is left out, as the reader drops it). from_a_record says the bytes begin
// at a record (the LOG's start), so only that start is tried; otherwise a start is taken only
// with at least 8 records after it. Nothing when no start frames to the end.
std::optional<std::uint32_t> latest_time_at_end(const std::uint8_t* bytes, std::size_t size, bool from_a_record);
