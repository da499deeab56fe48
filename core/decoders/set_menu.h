// Set-menu records (source type 7): one "id=value" setting change as text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

constexpr std::size_t set_menu_text_size = 255;

// Settings the rest of the decoder reads.
constexpr std::int32_t set_menu_cylinders = 58;           // 2, 4, 6 or 9 cylinders
constexpr std::int32_t set_menu_temperature_units = 345;  // 0 Fahrenheit, 1 Celsius, 2 Celsius except CHT
constexpr std::int32_t set_menu_fluid_units = 346;        // 0 gallons, 1 litres, 2 litres with extra conversion

struct set_menu_values {
  char text[set_menu_text_size];  // the record's text, up to its first zero byte
  std::uint8_t text_length;
  std::int32_t id;                     // 0 when no id could be read
  float value;                         // 0 when no value could be read
  std::string_view id_description;     // the setting's name, or "Unknown"
  std::string_view value_description;  // the value's name, "Unknown value" or "Unknown"

  std::string_view raw_text() const { return {text, text_length}; }
  // The value truncated toward zero; nothing when it is not finite or outside 32 bits.
  std::optional<std::int32_t> whole_value() const;
};

// Parses the text of a payload: its first `length` bytes (at most 255), up to the first zero.
set_menu_values decode_set_menu(const std::uint8_t* payload, std::uint32_t length);
