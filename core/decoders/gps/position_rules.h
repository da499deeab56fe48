// When a GPS fix gives a position. Each rule is named once here and read by every document of
// its meaning; the documents differ in what they accept.
#pragma once

#include "decoders/gps/gps_state.h"

// The position the flight time line, the charts and the report's map follow: the receiver
// says the fix is valid and it is not exactly 0, 0 (what a sentence without a position reads as).
inline bool has_position(const gps_fix& fix) {
  return fix.receiver_valid && !(fix.latitude_deg == 0.0f && fix.longitude_deg == 0.0f);
}
