// The flight simulator: flies the simulated aircraft and writes what its EFIS would log, every
// source the decoder knows at the rates a real installation delivers them.
//
//   AHRS high-rate (254)   25 Hz        attitude, pressure altitude, vsi, airspeed, acceleration
//   AHRS low-rate (253)    1 Hz         temperature and voltages
//   AHRS 252 and 251       occasionally user calibration and maintenance messages
//   EIS                    3 Hz         engine, fuel, timers
//   analog inputs          1 Hz         bus voltages, localiser and glideslope with valid flags
//   GPS 1                  1 Hz         aviation sentences, cut into records as the serial port delivers them
//   GPS 2                  1 Hz         NMEA $GPRMC, one sentence per record
//   set menu               at power-up  id=value settings
//   SL30, SL40, state, ARINC, weather   a few records each
//
// Timestamps count milliseconds (100 per decisecond) and never fall.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "flight_random.h"

struct flight_options {
  std::uint64_t seed = 1;
  double minutes = 10.0;
  bool swap_gps = false;    // GPS 1 sends $GPRMC and GPS 2 the aviation format
  int aviation_format = 1;  // 1: with the altitude item; 3: without it, CR LF after each ETX
};

// The bundled demo flight in samples/.
flight_options demo_flight_options();

// Receives the LOG in order, about one second of flight at a time; false stops the simulation.
using log_sink = std::function<bool(std::span<const std::uint8_t>)>;

// What the simulated aircraft did, in LOG time (the timestamps of the records written at those
// moments), for tests that check what a decoder finds in the LOG.
struct sortie_times {
  std::uint32_t engine_start_ms = 0;  // the engine fires
  std::uint32_t takeoff_ms = 0;       // lift-off
  std::uint32_t landing_ms = 0;       // touchdown
  std::uint32_t engine_stop_ms = 0;   // 0 when the LOG ends first
};

struct flight_notes {
  std::vector<sortie_times> sorties;
  std::array<std::uint16_t, 6> cht_max{};  // the highest values the EIS records carry
  std::array<std::uint16_t, 6> egt_max{};
  std::int64_t utc_ms_at_log_zero = 0;  // UTC of LOG time 0, as the NMEA sentences tell it
};

// Writes the whole LOG to the sink; false when the sink refused bytes. notes, when given,
// receives what the aircraft did.
bool simulate_flight(const flight_options& options, const log_sink& sink, flight_notes* notes = nullptr);

// The whole LOG in memory.
std::string simulated_log(const flight_options& options, flight_notes* notes = nullptr);

// The flight length that gives a LOG of about this many megabytes (10^6 bytes).
double minutes_for_megabytes(double megabytes);

// The longest LOG the timestamps can cover with room to spare.
constexpr double longest_flight_minutes = 40.0 * 24.0 * 60.0;

// The records an EFIS writes for bytes arriving on a serial port: the bytes start to arrive at
// `start` (milliseconds), one every byte_ms; the port is polled every 15 to 40 ms (now and then
// later) and each poll that found bytes logs them as one record stamped with the poll time.
std::vector<std::pair<std::uint32_t, std::string>> serial_records(std::string_view bytes, std::uint32_t start,
                                                                  double byte_ms, flight_random& rng);
