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

void health_tracker::note_record(const efis_record& record) {
  if (any_record_ && record.timestamp < previous_ms_) {
    ++health_.time_backwards;
    const std::uint32_t step = previous_ms_ - record.timestamp;
    if (step > health_.largest_step_back_ms) health_.largest_step_back_ms = step;
  }
  any_record_ = true;
  previous_ms_ = record.timestamp;
}

void health_tracker::note_periodic(periodic_source s, std::uint32_t timestamp) {
  const auto i = static_cast<std::size_t>(s);
  // A record stamped before the one before it is no gap; time going backwards says that.
  if (seen_[i] && timestamp > last_ms_[i]) {
    const std::uint32_t gap = timestamp - last_ms_[i];
    if (gap > health_.gap_limit_ms) {
      source_gaps& g = health_.gaps[i];
      ++g.count;
      if (gap > g.longest_ms) {
        g.longest_ms = gap;
        g.longest_at_ms = last_ms_[i];
      }
    }
  }
  seen_[i] = true;
  last_ms_[i] = timestamp;
}
