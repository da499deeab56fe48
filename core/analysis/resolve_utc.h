// Gives UTC to the moments of a summary that were met before the LOG's clock was known (they
// come before its first fix, and map through it), or to all of them when the user anchors a
// LOG without NMEA time.
#pragma once

#include "analysis/log_summary.h"
#include "decode/utc_clock.h"

void resolve_utc(log_summary& summary, const utc_clock& clock);
