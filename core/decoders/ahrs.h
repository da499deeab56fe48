// AHRS records (source type 1): high-rate, low-rate and user-calibration messages.
#pragma once

#include <cstdint>

// Copies the AHRS type name into dest and returns dest.
char* enum_value_ahrs_type(char* dest, std::uint32_t ahrs_type);

// Converts the sub-payload selected by the AHRS type (payload byte 2) in place.
void swapendian_ahrs_log_entry(std::uint8_t* payload);

// Writes the ahrs_log_entry element of a converted payload (fills its ahrs_type_desc).
int print_xml_ahrs_log_entry(std::uint8_t* payload);
