// Tab-separated track files written from the summary path.
#pragma once

#include <cstdint>

#include "path/summary_path.h"

// Airspeed column of the binary track: tenths of a foot per second to whole knots,
// truncated toward zero.
int track_airspeed_knots(std::int16_t asi);

// The documents for the stored points (slots 1 to count - 1), written to the library's
// writer. Each returns the result of the write of its closing "EOF" line.
int print_frc_track(const path_point* points, std::int32_t count);
int print_frc_binary_track(const path_point* points, std::int32_t count);
