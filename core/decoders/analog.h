// Analog inputs (source type 4): power monitor, localiser, glideslope and general inputs.
#pragma once

#include <cstddef>
#include <cstdint>

// The payload: bytes 0-2 not decoded, then sixteen big-endian readings at offsets 3, 5, ... 33.
constexpr std::size_t analog_entry_size = 35;

// Exchanges the bytes of the sixteen readings in place.
void swapendian_analog_entry(std::uint8_t* payload);

// Writes the analog_input element of a converted payload.
int print_xml_analog_entry(const std::uint8_t* payload);

// Writes the analog_input_constants block with the working copy of the constants.
int print_xml_analog_constants();
