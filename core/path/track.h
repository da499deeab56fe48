// Tab-separated track files written from the summary path.
#pragma once

#include <cstdint>

#include "path/summary_path.h"
#include "text/output_writer.h"

// Airspeed column of the binary track: tenths of a foot per second to whole knots,
// truncated toward zero.
int track_airspeed_knots(std::int16_t asi);

// The documents for the stored points (slots 1 to count - 1). Each returns the result of the
// write of its closing "EOF" line.
int print_frc_track(output_writer& out, const path_point* points, std::int32_t count);
int print_frc_binary_track(output_writer& out, const path_point* points, std::int32_t count);
