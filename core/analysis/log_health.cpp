#include "analysis/log_health.h"

std::string_view periodic_source_name(periodic_source s) {
  switch (s) {
    case periodic_source::ahrs_high_rate: return "AHRS_High_Rate";
    case periodic_source::ahrs_low_rate: return "AHRS_Low_Rate";
    case periodic_source::eis: return "EIS_Input";
    case periodic_source::analog: return "ANALOG_Input";
    case periodic_source::gps_1: return "GPS1_Input";
    case periodic_source::gps_2: return "GPS2_Input";
  }
  return "Unknown";
}

const char* not_a_log_reason(const log_health& health) {
  if (health.reader.input_error) return nullptr;
  if (health.bytes == 0) return "empty";
  return health.reader.records == health.unknown_source_records ? "no record could be read" : nullptr;
}

void health_tracker::note_record(const efis_record& record, bool stepped_back) {
  if (stepped_back) {
    ++health_.time_backwards;
    const std::uint32_t step = previous_ms_ - record.timestamp;
    if (step > health_.largest_step_back_ms) health_.largest_step_back_ms = step;
  }
  previous_ms_ = record.timestamp;
}

void health_tracker::note_periodic(periodic_source s, std::uint32_t timestamp, std::uint32_t segment) {
  const auto i = static_cast<std::size_t>(s);
  // A record stamped before the one before it is no gap; time going backwards says that. Nor
  // is the break between two segments of the LOG: the segments tell it.
  if (seen_[i] && timestamp > last_ms_[i] && segment == last_segment_[i]) {
    const std::uint32_t gap = timestamp - last_ms_[i];
    if (gap > health_.gap_limit_ms) {
      source_gaps& g = health_.gaps[i];
      ++g.count;
      if (gap > g.longest_ms) {
        g.longest_ms = gap;
        g.longest_at_ms = last_ms_[i];
        g.longest_at_segment = last_segment_[i];
      }
    }
  }
  seen_[i] = true;
  last_ms_[i] = timestamp;
  last_segment_[i] = segment;
}
