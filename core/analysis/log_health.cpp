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

void health_tracker::note_gap(periodic_source s, std::uint32_t from_ms, std::uint32_t to_ms, std::uint32_t segment) {
  source_gaps& g = health_.gaps[static_cast<std::size_t>(s)];
  ++g.count;
  if (to_ms - from_ms > g.longest_ms) {
    g.longest_ms = to_ms - from_ms;
    g.longest_at_ms = from_ms;
    g.longest_at_segment = segment;
  }
}
