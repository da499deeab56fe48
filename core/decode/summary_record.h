// The latest-value cache: the latest record of each periodic source, the two GPS ports and the
// engine monitor's settings, as they stand after the records read so far. Summaries, the flight
// path, the flight figures and the exports all read it; each slot owns its decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

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

// The latest record of one kind: a fixed-size image of its payload and the decoder bound to
// the slot, which reads the image once, the first time its values are asked for after a record.
template <std::size_t Size, typename Decoder>
class cached_payload {
 public:
  using values_type = decltype(std::declval<const Decoder&>()(static_cast<const std::uint8_t*>(nullptr)));
  static constexpr std::size_t size = Size;

  // Binds the slot's decoder (the analog slot's carries the pass's constants).
  void bind(const Decoder& decoder) {
    decoder_ = decoder;
    decoded_ = false;
  }

  void store(std::uint32_t timestamp, std::uint32_t length, payload_image_source source) {
    ++stores_;
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
  // How many records the slot has taken: a slot whose count moved since a moment took one since.
  std::uint64_t stores() const { return stores_; }
  const std::uint8_t* image() const { return image_; }
  // Whether the record held the field: a record shorter than its layout holds the fields it
  // reaches, and its image reads zeros past them.
  bool holds(const layout_field& field) const { return length_ >= std::uint32_t{field.offset} + field.width; }

  // The values of the record, decoded once.
  const values_type& values() {
    if (!decoded_) {
      values_ = decoder_(image_);
      decoded_ = true;
    }
    return values_;
  }

 private:
  Decoder decoder_{};
  std::uint32_t timestamp_ = 0;
  std::uint32_t length_ = 0;
  std::uint64_t stores_ = 0;
  bool decoded_ = false;
  std::uint8_t image_[Size] = {};
  values_type values_{};
};

// A slot's decoder that needs nothing but the image.
template <auto Decode>
struct decoded_by {
  auto operator()(const std::uint8_t* image) const { return Decode(image); }
};

// The analog inputs' decoder, with the constants of the pass.
struct analog_decoder {
  analog_input_const constants{};
  analog_values operator()(const std::uint8_t* image) const { return decode_analog(image, constants); }
};

using eis_slot = cached_payload<eis_layout::size, decoded_by<decode_eis>>;
// The high-rate slot reads its record as a high-rate message whatever the type byte says (a
// slot that never received a record reads as zeros), so it keeps the message's bytes alone: a
// whole message is then one fixed-size copy. The low-rate slot reads by its type byte.
using ahrs_hr_slot = cached_payload<ahrs_hr_layout::size, decoded_by<decode_ahrs_high_rate>>;
using ahrs_lr_slot = cached_payload<ahrs_payload_size, decoded_by<decode_ahrs>>;
using analog_slot = cached_payload<analog_layout::size, analog_decoder>;

// What the set menu said last about how the engine monitor stores its values; -1 while the
// LOG has not said.
struct engine_settings {
  std::int32_t temperature_units = -1;  // 0 Fahrenheit, 1 Celsius, 2 Celsius except CHT
  std::int32_t fluid_units = -1;        // 0 gallons, 1 litres, 2 litres with extra conversion
  std::int32_t cylinders = -1;
};

struct summary_record {
  eis_slot eis;
  ahrs_hr_slot ahrs_hr;
  ahrs_lr_slot ahrs_lr;
  analog_slot analog;
  gps_composite_state gps_1;
  gps_composite_state gps_2;
  set_menu_values set_menu;  // the latest set-menu record
  engine_settings settings;
};

// The payload bytes the largest cache image holds; a record's bytes past its length never
// reach further than this into the cache.
constexpr std::size_t largest_cached_payload = eis_layout::size;
static_assert(ahrs_payload_size <= largest_cached_payload && analog_layout::size <= largest_cached_payload);
