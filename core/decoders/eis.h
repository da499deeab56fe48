// EIS engine snapshot (source type 2).
#pragma once

#include <cstdint>

// Exchanges the bytes of the 29 sixteen-bit fields in place.
void swapendian_eis_log_entry(std::uint8_t* payload);

// Writes the eis_log_entry element of a converted payload.
int print_xml_eis_log_entry(const std::uint8_t* payload);
