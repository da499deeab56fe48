// Writes LOG files from readable descriptions, for tests, the flight simulator and benchmarks.
//
//   log_writer log;
//   log.eis(1000, {.tachometer = 2400, .oiltemp = 180});
//   log.gps1(1200, "\x02z01234\r\nA N 47 2345\r\n...\x03");
//   log.save("flight.LOG");
//
// Every record is type byte, big-endian timestamp, big-endian length, payload.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Payload bytes with big-endian fields placed at their file offsets.
class payload_builder {
 public:
  explicit payload_builder(std::size_t size) : bytes_(size, 0) {}
  payload_builder& u8(std::size_t off, std::uint8_t v);
  payload_builder& s8(std::size_t off, std::int8_t v) { return u8(off, static_cast<std::uint8_t>(v)); }
  payload_builder& u16(std::size_t off, std::uint16_t v);
  payload_builder& s16(std::size_t off, std::int16_t v) { return u16(off, static_cast<std::uint16_t>(v)); }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Engineering fields of an EIS snapshot, as stored (raw units of the LOG).
struct eis_fields {
  std::uint16_t tachometer = 0;
  std::array<std::uint16_t, 6> cht = {};
  std::array<std::uint16_t, 6> egt = {};
  std::array<std::int16_t, 6> aux = {};  // aux1..aux6
  std::uint16_t airspeed = 0;
  std::uint16_t altitude = 0;        // tens of feet
  std::uint16_t primaryvoltage = 0;  // tenths of volts
  std::uint16_t fuelflow = 0;        // tenths
  std::uint8_t unittemp = 0;
  std::int8_t carbtemp = 0;
  std::int8_t rateofclimb = 0;    // hundreds of fpm
  std::uint8_t outsidetemp = 50;  // degrees + 50
  std::uint16_t oiltemp = 0;
  std::uint8_t oilpressure = 0;
  std::uint16_t coolanttemp = 0;
  std::uint16_t elapsed_time = 0;  // tenths of hours
  std::uint16_t fuelqty = 0;       // tenths
  std::uint8_t flighttimer_hours = 0, flighttimer_mins = 0, flighttimer_secs = 0;
  std::uint8_t fuelendurance_hours = 0, fuelendurance_mins = 0;
  std::uint16_t baroset = 0;  // hundredths of inHg
  std::uint16_t tachometer_2 = 0;
  std::uint8_t checksum = 0;
};

// AHRS high-rate message (AHRS type 254); angles in 1/32768 of a half turn.
struct ahrs_hr_fields {
  std::uint8_t mode = 0;
  std::int16_t roll_angle = 0, pitch_angle = 0, yaw_angle = 0;
  std::uint16_t pressure_alt = 5000;  // feet + 5000
  std::int16_t vsi = 0;
  std::int16_t asi = 0;  // tenths of feet per second
  std::int16_t asi_roc = 0;
  std::int16_t accelerometer_roll_angle = 0;
  std::int16_t acceleration = 0;  // hundredths of m/s^2
  std::uint8_t checksum = 0;
};

// AHRS low-rate message (AHRS type 253).
struct ahrs_lr_fields {
  std::int8_t outsidetemp = 0;
  std::int16_t voltage_1 = 0, voltage_2 = 0, voltage_3 = 0;  // hundredths of volts
  std::int8_t status_word1 = 0, status_word2 = 0, status_word3 = 0;
  std::uint8_t internaltemp = 0;
  std::int8_t sw_internal_version_major = 0, sw_internal_version_minor = 0;
  std::uint8_t checksum = 0;
};

// Converts degrees to the AHRS angle encoding (signed fraction of a half turn).
std::int16_t ahrs_angle(double degrees);

class log_writer {
 public:
  // One record with exactly these payload bytes.
  log_writer& record(std::uint8_t type, std::uint32_t timestamp, std::span<const std::uint8_t> payload);
  log_writer& record(std::uint8_t type, std::uint32_t timestamp, std::string_view text);
  // A header that declares `declared_length` payload bytes, followed by `payload` as given
  // (for damaged records whose length does not match).
  log_writer& header(std::uint8_t type, std::uint32_t timestamp, std::uint32_t declared_length);
  log_writer& bytes(std::span<const std::uint8_t> data);
  log_writer& bytes(std::string_view data);

  log_writer& eis(std::uint32_t timestamp, const eis_fields& f);
  log_writer& ahrs_hr(std::uint32_t timestamp, const ahrs_hr_fields& f);
  log_writer& ahrs_lr(std::uint32_t timestamp, const ahrs_lr_fields& f);
  log_writer& ahrs_user_cal(std::uint32_t timestamp, const std::array<std::uint16_t, 8>& words,
                            std::uint8_t checksum = 0);
  // An AHRS record of any type byte with the given sub-payload bytes after the 3-byte header.
  log_writer& ahrs_raw(std::uint32_t timestamp, std::uint8_t ahrs_type, std::span<const std::uint8_t> sub);
  log_writer& analog(std::uint32_t timestamp, const std::array<std::uint16_t, 16>& values);
  log_writer& set_menu(std::uint32_t timestamp, std::string_view text);
  log_writer& gps1(std::uint32_t timestamp, std::string_view bytes);
  log_writer& gps2(std::uint32_t timestamp, std::string_view bytes);

  const std::vector<std::uint8_t>& data() const { return data_; }
  std::string str() const { return {data_.begin(), data_.end()}; }
  // Writes the LOG to a file; false on failure.
  bool save(const std::string& path) const;

 private:
  std::vector<std::uint8_t> data_;
};

std::vector<std::uint8_t> eis_payload(const eis_fields& f);
std::vector<std::uint8_t> ahrs_hr_payload(const ahrs_hr_fields& f);
std::vector<std::uint8_t> ahrs_lr_payload(const ahrs_lr_fields& f);
std::vector<std::uint8_t> analog_payload(const std::array<std::uint16_t, 16>& values);
