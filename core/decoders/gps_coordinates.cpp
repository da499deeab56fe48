#include "decoders/gps_coordinates.h"

#include <cstdlib>

float aviation_latitude_decimal(const char*) { return 0.0f; }
float aviation_longitude_decimal(const char*) { return 0.0f; }
float nmea_latitude_decimal(const char*, const char*) { return 0.0f; }
float nmea_longitude_decimal(const char*, const char*) { return 0.0f; }
int whole_number(const char* text) { return static_cast<int>(std::strtol(text, nullptr, 10)); }
