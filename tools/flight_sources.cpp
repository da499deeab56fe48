#include "flight_sources.h"

#include <cmath>

#include "flight_route.h"

namespace {

// The panel's analog inputs and their scale factors as the EFIS is set up.
constexpr double power_monitor_volts_per_count = 0.034896;
constexpr double internal_temp_per_count = 5.05 / 1024.0 * 10.0;
constexpr double general_input_volts_per_count = 0.018475;
constexpr double localiser_zero = 606.0;
constexpr double localiser_per_count = 0.987;  // deflection units per count; full scale is 150
constexpr double glideslope_zero = 610.0;
constexpr double glideslope_per_count = 0.98;

}  // namespace

std::uint8_t payload_sum(const std::vector<std::uint8_t>& payload, std::size_t checksum_offset) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < checksum_offset && i < payload.size(); ++i) sum += payload[i];
  return static_cast<std::uint8_t>(sum & 0xFF);
}

std::uint16_t valid_flag::next(bool valid, flight_random& rng) {
  const bool changed = valid != valid_;
  valid_ = valid;
  if (changed) return static_cast<std::uint16_t>(rng.between(11, 19));
  return static_cast<std::uint16_t>(valid ? rng.between(470, 500) : rng.between(2, 6));
}

ahrs_hr_fields ahrs_high_rate_reading(const aircraft_state& a, double magnetic_heading_deg, bool aligning,
                                      flight_random& rng) {
  ahrs_hr_fields f;
  f.mode = aligning ? 2 : 1;
  f.roll_angle = ahrs_angle(a.bank_deg + 0.05 * rng.noise());
  f.pitch_angle = ahrs_angle(a.pitch_deg + 0.05 * rng.noise());
  f.yaw_angle = ahrs_angle(wrap180(magnetic_heading_deg + 0.1 * rng.noise()));
  f.pressure_alt = clamped<std::uint16_t>(a.altitude_ft + 2.0 * rng.noise() + 5000.0);
  f.vsi = clamped<std::int16_t>(a.vertical_speed_fpm + (a.airborne ? 15.0 : 2.0) * rng.noise());
  f.asi = a.ias_kt >= 20.0 ? clamped<std::int16_t>(a.ias_kt * 16.878099) : 0;
  f.asi_roc = clamped<std::int16_t>(a.ias_rate_kt_s * 1.6878099 / 0.02 + 2.0 * rng.noise());
  f.accelerometer_roll_angle = ahrs_angle(a.slip_deg);
  f.acceleration = clamped<std::int16_t>(a.load_factor * 980.665);
  f.checksum = payload_sum(ahrs_hr_payload(f), 22);
  return f;
}

ahrs_lr_fields ahrs_low_rate_reading(double outside_temp_c, double bus_volts, double seconds, flight_random& rng) {
  ahrs_lr_fields f;
  f.outsidetemp = clamped<std::int8_t>(outside_temp_c);
  f.voltage_1 = clamped<std::int16_t>(bus_volts * 100.0 + rng.between(-3, 3));
  f.voltage_2 = clamped<std::int16_t>(1230.0 - seconds / 600.0 + rng.between(-2, 2));
  f.voltage_3 = clamped<std::int16_t>(500.0 + rng.between(-1, 1));
  f.internaltemp = clamped<std::uint8_t>(28.0 + std::min(12.0, seconds / 300.0));
  f.sw_internal_version_major = 3;
  f.sw_internal_version_minor = 1;
  f.checksum = payload_sum(ahrs_lr_payload(f), 20);
  return f;
}

eis_fields eis_reading(const aircraft_state& a, const engine_state& e, double outside_temp_c, double seconds,
                       std::size_t cylinders, double egt_noise, flight_random& rng) {
  eis_fields f;
  f.tachometer = e.rpm < 1.0 ? 0 : clamped<std::uint16_t>(e.rpm + (e.running ? 4.0 * rng.noise() : 0.0));
  for (std::size_t i = 0; i < cylinders && i < 6; ++i) {
    f.cht[i] = clamped<std::uint16_t>(e.cht[i] + 0.6 * rng.noise());
    f.egt[i] = clamped<std::uint16_t>(e.egt[i] + egt_noise * rng.noise());
  }
  f.airspeed = a.ias_kt >= 20.0 ? clamped<std::uint16_t>(a.ias_kt) : 0;
  f.altitude = clamped<std::uint16_t>(a.altitude_ft / 10.0);
  f.primaryvoltage = clamped<std::uint16_t>(e.bus_volts * 10.0);
  f.fuelflow = clamped<std::uint16_t>(e.fuel_flow_gph * 10.0);
  f.unittemp = clamped<std::uint8_t>(24.0 + std::min(14.0, seconds / 240.0));
  const double oat_f = outside_temp_c * 9.0 / 5.0 + 32.0;
  f.carbtemp = clamped<std::int8_t>(oat_f - (e.running ? 12.0 : 0.0));
  f.rateofclimb = clamped<std::int8_t>(a.vertical_speed_fpm / 100.0);
  f.outsidetemp = clamped<std::uint8_t>(oat_f + 50.0);
  f.oiltemp = clamped<std::uint16_t>(e.oil_temp_f);
  f.oilpressure = clamped<std::uint8_t>(e.oil_pressure_psi);
  f.elapsed_time = clamped<std::uint16_t>(std::floor(e.hobbs_hours * 10.0));
  f.fuelqty = clamped<std::uint16_t>(e.fuel_gal * 10.0);
  const auto timer = static_cast<long>(e.timer_seconds);
  f.flighttimer_hours = static_cast<std::uint8_t>(std::min(99L, timer / 3600));
  f.flighttimer_mins = static_cast<std::uint8_t>(timer / 60 % 60);
  f.flighttimer_secs = static_cast<std::uint8_t>(timer % 60);
  if (e.fuel_flow_gph > 0.5) {
    const auto endurance = static_cast<long>(e.fuel_gal / e.fuel_flow_gph * 60.0);  // minutes
    f.fuelendurance_hours = static_cast<std::uint8_t>(std::min(99L, endurance / 60));
    f.fuelendurance_mins = static_cast<std::uint8_t>(endurance % 60);
  }
  f.baroset = 2992;
  return f;
}

std::array<std::uint16_t, 16> analog_reading(const ils_view& ils, const aircraft_state& a, double bus_volts,
                                             double seconds, analog_flags& flags, flight_random& rng) {
  const double u = ils.u;
  const double v = ils.v;
  // Localiser antenna 300 m beyond the far end, glideslope antenna beside the aiming point.
  const double to_localiser = ils.runway_length_m + 300.0 - u;
  const double loc_angle = degrees(std::atan2(v, to_localiser));
  const bool loc_valid = to_localiser > 0.0 && std::fabs(loc_angle) < 35.0 && to_localiser < 18.0 * metres_per_nm;
  const double to_glideslope = std::hypot(300.0 - u, v + 120.0);
  const double height_m = ils.height_above_field_ft * metres_per_foot - 3.0;
  const double elevation = degrees(std::atan2(height_m, to_glideslope));
  const bool gs_valid = u < 300.0 && to_glideslope < 10.0 * metres_per_nm && std::fabs(loc_angle) < 8.0 &&
                        elevation > 1.35 && elevation < 5.25;
  std::array<std::uint16_t, 16> values{};
  const auto counts = [&rng](double volts, double per_count) {
    return clamped<std::uint16_t>(volts / per_count + rng.between(-1, 1));
  };
  values[0] = counts(12.3 - seconds / 36000.0, power_monitor_volts_per_count);  // voltage 3: standby battery
  values[1] = counts(bus_volts - 0.3, power_monitor_volts_per_count);           // voltage 2: essential bus
  values[2] = counts(bus_volts, power_monitor_volts_per_count);                 // voltage 1: main bus
  values[3] = clamped<std::uint16_t>(
      localiser_zero + std::clamp(loc_angle / 2.5, -2.0, 2.0) * 150.0 / localiser_per_count + rng.between(-1, 1));
  values[4] = flags.localiser.next(loc_valid, rng);
  values[5] = clamped<std::uint16_t>(
      glideslope_zero + std::clamp((elevation - glidepath_deg) / 0.7, -2.0, 2.0) * 150.0 / glideslope_per_count +
      rng.between(-1, 1));
  values[6] = flags.glideslope.next(gs_valid, rng);
  values[7] = counts(26.0 + std::min(12.0, seconds / 300.0), internal_temp_per_count);
  values[8] = counts(bus_volts * 0.85, general_input_volts_per_count);                // avionics supply sense
  values[9] = counts(0.5 + a.flaps_deg / 30.0 * 4.0, general_input_volts_per_count);  // flap position
  values[10] = counts(2.5 + 0.02 * a.pitch_deg, general_input_volts_per_count);       // pitch trim position
  return values;
}
