// What each EFIS source reads from the simulated aircraft: the AHRS messages, the engine
// snapshot, the analog inputs. Shared by the simulator of the classic sortie and by the
// scenario simulator, so that both write the same sensors the same way. Every reading draws
// its noise from the generator it is given, in a fixed order.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "flight_model.h"
#include "flight_random.h"
#include "log_writer.h"

// A value rounded and held within what the field can store.
template <typename T>
T clamped(double value) {
  const double lo = static_cast<double>(std::numeric_limits<T>::min());
  const double hi = static_cast<double>(std::numeric_limits<T>::max());
  return static_cast<T>(std::clamp(std::round(value), lo, hi));
}

// The sum of the payload bytes before the checksum byte, as the AHRS and EIS send it.
std::uint8_t payload_sum(const std::vector<std::uint8_t>& payload, std::size_t checksum_offset);

// A validity flag of the navigation receiver: well above 20 when valid, a few counts when not,
// and one sample in the doubtful band 11 to 19 as it changes.
class valid_flag {
 public:
  std::uint16_t next(bool valid, flight_random& rng);

 private:
  bool valid_ = false;
};

// The AHRS high-rate message; aligning just after power-up.
ahrs_hr_fields ahrs_high_rate_reading(const aircraft_state& a, double magnetic_heading_deg, bool aligning,
                                      flight_random& rng);

// The AHRS low-rate message, seconds after power-up.
ahrs_lr_fields ahrs_low_rate_reading(double outside_temp_c, double bus_volts, double seconds, flight_random& rng);

// The engine snapshot of the first `cylinders` probes (the others read 0), each CHT with noise
// of deviation 0.6 and each EGT of egt_noise. The aux inputs and the checksum are the caller's.
eis_fields eis_reading(const aircraft_state& a, const engine_state& e, double outside_temp_c, double seconds,
                       std::size_t cylinders, double egt_noise, flight_random& rng);

// Where the aircraft is from the runway the localiser and glideslope serve: metres down the
// runway from its threshold and to its left, and height above the runway's elevation.
struct ils_view {
  double u = 0.0;
  double v = 0.0;
  double runway_length_m = 0.0;
  double height_above_field_ft = 0.0;
};

struct analog_flags {
  valid_flag localiser;
  valid_flag glideslope;
};

// The sixteen analog inputs: bus voltages, localiser and glideslope with their flags, flap
// and trim positions; seconds after power-up.
std::array<std::uint16_t, 16> analog_reading(const ils_view& ils, const aircraft_state& a, double bus_volts,
                                             double seconds, analog_flags& flags, flight_random& rng);
