// Test support for the flight time line: LOGs of flight profiles written with the LOG writer,
// and the time line run over LOG bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/flight_timeline.h"

// A stretch of a profile: this long at this engine speed and this speed (airspeed, or ground
// speed when the LOG has no AHRS).
struct profile_leg {
  double seconds;
  int rpm;
  double kt;
};

struct profile_options {
  bool ahrs = true;                          // AHRS high-rate messages every 200 ms carry the speed
  bool gps_speed = false;                    // GPS 1 aviation fixes every second carry it as ground speed
  bool nmea_time = true;                     // GPS 2 RMC fixes every second with date and time
  std::int64_t utc_start_s = 1'716'044'400;  // UTC of the first second: 2024-05-18T15:00:00Z
  std::uint32_t first_ms = 1000;             // LOG time of the first second
  std::vector<std::string> settings = {};    // set-menu texts logged at the start, e.g. "345=1"
  double engine_hours = 0.0;                 // the engine timer at the start, counting while the engine runs
};

// The LOG of a profile: EIS every 500 ms (CHT rising with rpm: cylinder n of 4 reads
// rpm / 10 + n - 1; 40 gallons on board at the start, burned at rpm / 200 gallons an hour),
// the speed as the options say, the time on GPS 2.
std::string profile_log(const std::vector<profile_leg>& legs, const profile_options& options = {});

// LOG time of the first sample of leg `index` of a profile.
std::uint32_t leg_start_ms(const std::vector<profile_leg>& legs, std::size_t index,
                           const profile_options& options = {});

// An RMC sentence of a fix at UTC second utc_s, moving at kt.
std::string rmc_sentence(std::int64_t utc_s, double kt);

log_summary analyse_bytes(const std::string& log, const analysis_options& options = default_analysis_options());
