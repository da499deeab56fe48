// When a GPS fix gives a position. One rule for the flight layer, the exports, the summaries and
// the report's map; the classic flight path keeps its own, older test.
#pragma once

#include <cmath>

#include "decoders/gps/gps_state.h"

// Coordinates that name a place on the earth: latitude within +-90, longitude within +-180 (a
// sentence can carry far more: two digits of degrees and a long minutes field, or a damaged
// number). NaN is no place.
inline bool in_position_range(double latitude_deg, double longitude_deg) {
  return std::abs(latitude_deg) <= 90.0 && std::abs(longitude_deg) <= 180.0;
}

// A position: the receiver says the fix is valid, it is not exactly 0, 0 (what a sentence
// without a position reads as), and its coordinates name a place. A fix that is no position
// still sets the clock.
inline bool has_position(const gps_fix& fix) {
  return fix.receiver_valid && !(fix.latitude_deg == 0.0f && fix.longitude_deg == 0.0f) &&
         in_position_range(fix.latitude_deg, fix.longitude_deg);
}

// The classic flight path stores a point only where neither coordinate is 0.
inline bool path_keeps_position(float latitude_deg, float longitude_deg) {
  return latitude_deg != 0.0f && longitude_deg != 0.0f;
}
