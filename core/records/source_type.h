// The source type byte that opens every LOG record.
#pragma once

#include <cstdint>

enum source_type : std::uint32_t {
  source_ahrs = 1,
  source_eis = 2,
  source_gps_1 = 3,
  source_analog = 4,
  source_sl30_1 = 5,
  source_sl30_2 = 6,
  source_set_menu = 7,
  source_state = 8,
  source_arinc = 9,
  source_weather = 10,
  source_gps_2 = 11,
  source_sl40 = 12,
  source_summary = 255,  // carried by summary elements; in a LOG it is an unknown type
};

// The highest type the LOG format defines; 0 and every type above it are unknown.
constexpr std::uint32_t last_source_type = source_sl40;

constexpr bool is_known_source_type(std::uint32_t type) { return type >= 1 && type <= last_source_type; }
