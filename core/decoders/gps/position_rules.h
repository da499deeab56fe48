// When a GPS fix gives a position. Each rule is named once here and read by every document of
// its meaning; the documents differ in what they accept, and each keeps what it accepted.
#pragma once

#include <cmath>

#include "decoders/gps/gps_state.h"

// The position the flight time line, the charts and the report's map follow: the receiver says
// the fix is valid, and it is not exactly 0, 0 (what a sentence without a position reads as).
inline bool has_position(const gps_fix& fix) {
  return fix.receiver_valid && !(fix.latitude_deg == 0.0f && fix.longitude_deg == 0.0f);
}

// A position the GPX schema can hold (a track point): latitude within +-90, longitude from -180
// up to but not including 180.
inline bool fits_gpx(const gps_fix& fix) {
  const double lat = fix.latitude_deg;
  const double lon = fix.longitude_deg;
  return has_position(fix) && std::abs(lat) <= 90.0 && lon >= -180.0 && lon < 180.0;
}

// A position a globe viewer places (a sample of the KML with time): within +-90 and +-180.
inline bool fits_globe(const gps_fix& fix) {
  const double lat = fix.latitude_deg;
  const double lon = fix.longitude_deg;
  return has_position(fix) && std::abs(lat) <= 90.0 && std::abs(lon) <= 180.0;
}

// The classic flight path stores a point only where neither coordinate is 0.
inline bool path_keeps_position(float latitude_deg, float longitude_deg) {
  return latitude_deg != 0.0f && longitude_deg != 0.0f;
}
