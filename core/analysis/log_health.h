// The health of a LOG: what the reader read and dropped (it counts those itself), records of
// each source, time going backwards, gaps in the periodic sources, records shorter than their
// layout (read as far as they go), and the GPS sentences each port accepted and rejected.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "records/efis_record.h"
#include "records/record_reader.h"

// The sources that deliver records at a steady rate, whose gaps are worth telling.
enum class periodic_source : std::uint8_t { ahrs_high_rate, ahrs_low_rate, eis, analog, gps_1, gps_2 };
constexpr std::size_t periodic_source_count = 6;

// The name of a periodic source: the source type's name, or the AHRS message's.
std::string_view periodic_source_name(periodic_source s);

struct source_gaps {
  std::uint64_t count = 0;          // gaps longer than the limit
  std::uint32_t longest_ms = 0;     // the longest of them
  std::uint32_t longest_at_ms = 0;  // LOG time of the record before it
  std::uint32_t longest_at_segment = 0;
};

struct gps_port_health {
  std::int32_t format = 0;  // an ORVEX_GPS_FORMAT_* value; 0 when the port is not read
  std::uint64_t sentences_accepted = 0;
  std::uint64_t sentences_rejected = 0;
  bool buffer_full = false;
};

struct log_health {
  std::uint64_t bytes = 0;
  reader_stats reader;  // records read whole (by type) and dropped
  std::uint64_t unknown_source_records = 0;
  // Records stamped before the record read before them, by at most 2 s (more starts a new
  // segment of the LOG), and the largest such step.
  std::uint64_t time_backwards = 0;
  std::uint32_t largest_step_back_ms = 0;
  std::uint32_t gap_limit_ms = 0;
  std::array<source_gaps, periodic_source_count> gaps{};
  std::uint64_t short_eis_records = 0;   // shorter than their layout: read as far as they go
  std::uint64_t short_ahrs_records = 0;  // (AHRS high-rate messages)
  std::array<gps_port_health, 2> gps{};
};

// Why a LOG read to its end is not one ("empty", "no record could be read": no record of a
// type the LOG format defines), or nullptr when it is (or when the read failed, which is an
// error of its own).
const char* not_a_log_reason(const log_health& health);

// Follows the record times through the LOG. Called for every record: the usual case is a few
// instructions inline, what is rare (a step back, a gap) out of line.
class health_tracker {
 public:
  explicit health_tracker(std::uint32_t gap_limit_ms) {
    health_.gap_limit_ms = gap_limit_ms;
    begin_segment();
  }

  // A record stamped step_ms before the one read before it, within its segment.
  void note_step_back(std::uint32_t step_ms) {
    ++health_.time_backwards;
    if (step_ms > health_.largest_step_back_ms) health_.largest_step_back_ms = step_ms;
  }
  // A new segment of the LOG begins: the break before it is no gap of any source.
  void begin_segment() { gap_after_.fill(not_heard); }
  // A record of a periodic source, in the given segment. A record stamped before the one
  // before it is no gap; time going backwards says that.
  void note_periodic(periodic_source s, std::uint32_t timestamp, std::uint32_t segment) {
    std::int64_t& gap_after = gap_after_[static_cast<std::size_t>(s)];
    if (timestamp > gap_after) note_gap(s, gap_after - health_.gap_limit_ms, timestamp, segment);
    gap_after = std::int64_t{timestamp} + health_.gap_limit_ms;
  }
  void note_short_eis() { ++health_.short_eis_records; }
  void note_short_ahrs() { ++health_.short_ahrs_records; }

  log_health& health() { return health_; }

 private:
  static constexpr std::int64_t not_heard = INT64_MAX;
  void note_gap(periodic_source s, std::uint32_t from_ms, std::uint32_t to_ms, std::uint32_t segment);

  log_health health_;
  // For each source: a record of it later than this is one after a gap (its latest record in
  // this segment, plus the limit; not_heard before the first), one comparison per record.
  std::array<std::int64_t, periodic_source_count> gap_after_;
};
