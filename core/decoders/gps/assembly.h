// GPS sentence assembly for both serial ports (source types 3 and 11).
#pragma once

#include <cstdint>

#include "decoders/gps/gps_state.h"

// Feeds one GPS record's payload (`length` bytes, at most 255) to its port by the port's
// format; other formats ignore it. Each returns true when the record completed a sentence that
// was accepted, so that the port's fix is new.
bool process_gps_entry(const std::uint8_t* payload, std::uint32_t length, gps_composite_state* state);
bool process_gps_entry_aviation(const std::uint8_t* payload, std::uint32_t length, gps_composite_state* state);
bool process_gps_composite_aviation_entry(gps_composite_state* state);
bool process_gps_entry_nmea(const std::uint8_t* payload, std::uint32_t length, gps_composite_state* state);

// For a pass that has written all it will: follows only how full an aviation port's buffer
// stands (buffer_full as assembly would set it), without storing or reading sentences. The
// port's sentence and fix are then stale; only a new pass, which resets the port, reads it again.
void follow_gps_buffer_fill(const std::uint8_t* payload, std::uint32_t length, gps_composite_state* state);

// A port set to read `format`, with nothing assembled yet.
void reset_gps_port(gps_composite_state* state, std::int32_t format);
