#include "log_writer.h"

#include <cmath>
#include <cstdio>

payload_builder& payload_builder::u8(std::size_t off, std::uint8_t v) {
  if (off >= bytes_.size()) bytes_.resize(off + 1, 0);
  bytes_[off] = v;
  return *this;
}

payload_builder& payload_builder::u16(std::size_t off, std::uint16_t v) {
  u8(off, static_cast<std::uint8_t>(v >> 8));
  return u8(off + 1, static_cast<std::uint8_t>(v & 0xFF));
}

std::int16_t ahrs_angle(double degrees) {
  double raw = std::round(degrees * 32768.0 / 180.0);
  if (raw > 32767) raw = 32767;
  if (raw < -32768) raw = -32768;
  return static_cast<std::int16_t>(raw);
}

std::vector<std::uint8_t> eis_payload(const eis_fields& f) {
  payload_builder p(73);
  p.u16(3, f.tachometer);
  for (std::size_t i = 0; i < 6; ++i) {
    p.u16(5 + 2 * i, f.cht[i]);
    p.u16(17 + 2 * i, f.egt[i]);
  }
  p.s16(29, f.aux[4]).s16(31, f.aux[5]);
  p.u16(33, f.airspeed).u16(35, f.altitude).u16(37, f.primaryvoltage).u16(39, f.fuelflow);
  p.u8(41, f.unittemp).s8(42, f.carbtemp).s8(43, f.rateofclimb).u8(44, f.outsidetemp);
  p.u16(45, f.oiltemp).u8(47, f.oilpressure);
  p.s16(48, f.aux[0]).s16(50, f.aux[1]).s16(52, f.aux[2]).s16(54, f.aux[3]);
  p.u16(56, f.coolanttemp).u16(58, f.elapsed_time).u16(60, f.fuelqty);
  p.u8(62, f.flighttimer_hours).u8(63, f.flighttimer_mins).u8(64, f.flighttimer_secs);
  p.u8(65, f.fuelendurance_hours).u8(66, f.fuelendurance_mins);
  p.u16(67, f.baroset).u16(69, f.tachometer_2).u8(72, f.checksum);
  return p.bytes();
}

std::vector<std::uint8_t> ahrs_hr_payload(const ahrs_hr_fields& f) {
  payload_builder p(23);
  p.u8(2, 254).u8(3, f.mode);
  p.s16(4, f.roll_angle).s16(6, f.pitch_angle).s16(8, f.yaw_angle).u16(10, f.pressure_alt);
  p.s16(12, f.vsi).s16(14, f.asi).s16(16, f.asi_roc).s16(18, f.accelerometer_roll_angle);
  p.s16(20, f.acceleration).u8(22, f.checksum);
  return p.bytes();
}

std::vector<std::uint8_t> ahrs_lr_payload(const ahrs_lr_fields& f) {
  payload_builder p(21);
  p.u8(2, 253).s8(3, f.outsidetemp);
  p.s16(4, f.voltage_1).s16(6, f.voltage_2).s16(8, f.voltage_3);
  p.s8(10, f.status_word1).s8(11, f.status_word2).s8(12, f.status_word3);
  p.u8(13, f.internaltemp).s8(14, f.sw_internal_version_major).s8(15, f.sw_internal_version_minor);
  p.u8(20, f.checksum);
  return p.bytes();
}

std::vector<std::uint8_t> analog_payload(const std::array<std::uint16_t, 16>& values) {
  payload_builder p(35);
  for (std::size_t i = 0; i < values.size(); ++i) p.u16(3 + 2 * i, values[i]);
  return p.bytes();
}

log_writer& log_writer::header(std::uint8_t type, std::uint32_t timestamp, std::uint32_t declared_length) {
  data_.push_back(type);
  for (const std::uint32_t v : {timestamp, declared_length}) {
    for (int shift = 24; shift >= 0; shift -= 8) data_.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  return *this;
}

log_writer& log_writer::bytes(std::span<const std::uint8_t> data) {
  data_.insert(data_.end(), data.begin(), data.end());
  return *this;
}

log_writer& log_writer::bytes(std::string_view data) {
  data_.insert(data_.end(), data.begin(), data.end());
  return *this;
}

log_writer& log_writer::record(std::uint8_t type, std::uint32_t timestamp, std::span<const std::uint8_t> payload) {
  header(type, timestamp, static_cast<std::uint32_t>(payload.size()));
  return bytes(payload);
}

log_writer& log_writer::record(std::uint8_t type, std::uint32_t timestamp, std::string_view text) {
  header(type, timestamp, static_cast<std::uint32_t>(text.size()));
  return bytes(text);
}

log_writer& log_writer::eis(std::uint32_t timestamp, const eis_fields& f) {
  return record(2, timestamp, eis_payload(f));
}

log_writer& log_writer::ahrs_hr(std::uint32_t timestamp, const ahrs_hr_fields& f) {
  return record(1, timestamp, ahrs_hr_payload(f));
}

log_writer& log_writer::ahrs_lr(std::uint32_t timestamp, const ahrs_lr_fields& f) {
  return record(1, timestamp, ahrs_lr_payload(f));
}

log_writer& log_writer::ahrs_user_cal(std::uint32_t timestamp, const std::array<std::uint16_t, 8>& words,
                                      std::uint8_t checksum) {
  payload_builder p(25);
  p.u8(2, 252).u16(3, words[0]);
  for (std::size_t i = 1; i < 8; ++i) p.u16(6 + 2 * (i - 1), words[i]);
  p.u8(24, checksum);
  return record(1, timestamp, p.bytes());
}

log_writer& log_writer::ahrs_raw(std::uint32_t timestamp, std::uint8_t ahrs_type, std::span<const std::uint8_t> sub) {
  std::vector<std::uint8_t> payload = {0, 0, ahrs_type};
  payload.insert(payload.end(), sub.begin(), sub.end());
  return record(1, timestamp, payload);
}

log_writer& log_writer::analog(std::uint32_t timestamp, const std::array<std::uint16_t, 16>& values) {
  return record(4, timestamp, analog_payload(values));
}

log_writer& log_writer::set_menu(std::uint32_t timestamp, std::string_view text) { return record(7, timestamp, text); }

log_writer& log_writer::gps1(std::uint32_t timestamp, std::string_view bytes) { return record(3, timestamp, bytes); }

log_writer& log_writer::gps2(std::uint32_t timestamp, std::string_view bytes) { return record(11, timestamp, bytes); }

bool log_writer::save(const std::string& path) const {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = std::fwrite(data_.data(), 1, data_.size(), f) == data_.size();
  return std::fclose(f) == 0 && ok;
}
