// Set-menu records (source type 7): one "id=value" setting change as text.
//
// The parse decodes the entry in place: the payload area holds the set_menu_entry, the text as
// it came from the LOG followed by the decoded fields (773 bytes, no alignment):
//   text[255] at 0, int32 id at 255, float value at 259,
//   id_description[255] at 263, value_description[255] at 518.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

constexpr std::size_t set_menu_text_offset = 0;
constexpr std::size_t set_menu_text_size = 255;
constexpr std::size_t set_menu_id_offset = 255;
constexpr std::size_t set_menu_value_offset = 259;
constexpr std::size_t set_menu_id_description_offset = 263;
constexpr std::size_t set_menu_description_size = 255;
constexpr std::size_t set_menu_value_description_offset = 518;
constexpr std::size_t set_menu_entry_size = 773;

// The decoded id and value of a parsed entry (the fields are unaligned, so they are copied out).
inline std::int32_t set_menu_id(const std::uint8_t* payload) {
  std::int32_t id;
  std::memcpy(&id, payload + set_menu_id_offset, sizeof id);
  return id;
}
inline float set_menu_value(const std::uint8_t* payload) {
  float value;
  std::memcpy(&value, payload + set_menu_value_offset, sizeof value);
  return value;
}

// Parses the text of the payload (its first `length` bytes, up to the first zero byte) and
// fills the decoded fields behind it, in place.
void process_set_menu_entry(std::uint8_t* payload, std::uint32_t length);

// Writes the set_menu element of a payload already parsed by process_set_menu_entry.
int print_xml_set_menu_entry(const std::uint8_t* payload);
