// The latest-value cache: the latest record of each periodic source, the two GPS ports and the
// engine monitor's settings, as they stand after the records read so far. Summaries, the flight
// path, the flight figures and the exports all read it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "decoders/ahrs.h"
#include "decoders/analog.h"
#include "decoders/eis.h"
#include "decoders/gps/gps_state.h"
#include "decoders/set_menu.h"
#include "records/short_copy.h"

// The bytes a cache slot takes from a record: `valid` bytes from `bytes`, and past them zeros.
struct payload_image_source {
  const std::uint8_t* bytes;
  std::size_t valid;
};

// The latest record of one kind: a fixed-size image of its payload, decoded on first use.
template <std::size_t Size, typename Values>
class cached_payload {
 public:
  static constexpr std::size_t size = Size;

  void store(std::uint32_t timestamp, std::uint32_t length, payload_image_source source) {
    timestamp_ = timestamp;
    length_ = length;
    if (source.valid >= Size) {
      std::memcpy(image_, source.bytes, Size);
    } else {
      std::memset(image_, 0, Size);
      copy_short(image_, source.bytes, source.valid);
    }
    decoded_ = false;
  }

  // A record whose timestamp is 0 counts as never received.
  bool received() const { return timestamp_ != 0; }
  std::uint32_t timestamp() const { return timestamp_; }
  std::uint32_t length() const { return length_; }
  const std::uint8_t* image() const { return image_; }

  // The values of the image, decoded once per record by decode(image).
  template <typename Decode>
  const Values& values(Decode&& decode) {
    if (!decoded_) {
      values_ = decode(image_);
      decoded_ = true;
    }
    return values_;
  }

 private:
  std::uint32_t timestamp_ = 0;
  std::uint32_t length_ = 0;
  bool decoded_ = false;
  std::uint8_t image_[Size] = {};
  Values values_{};
};

// What the set menu said last about how the engine monitor stores its values; -1 while the
// LOG has not said.
struct engine_settings {
  std::int32_t temperature_units = -1;  // 0 Fahrenheit, 1 Celsius, 2 Celsius except CHT
  std::int32_t fluid_units = -1;        // 0 gallons, 1 litres, 2 litres with extra conversion
  std::int32_t cylinders = -1;
};

struct summary_record {
  cached_payload<eis_layout::size, eis_values> eis;
  cached_payload<ahrs_payload_size, ahrs_values> ahrs_hr;
  cached_payload<ahrs_payload_size, ahrs_values> ahrs_lr;
  cached_payload<analog_layout::size, analog_values> analog;
  gps_composite_state gps_1;
  gps_composite_state gps_2;
  set_menu_values set_menu;  // the latest set-menu record
  engine_settings settings;
};

// The payload bytes the largest cache image holds; a record's bytes past its length never
// reach further than this into the cache.
constexpr std::size_t largest_cached_payload = eis_layout::size;
static_assert(ahrs_payload_size <= largest_cached_payload && analog_layout::size <= largest_cached_payload);
