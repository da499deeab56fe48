// Gives UTC to the moments of a summary that were met before their segment's clock was known:
// those before its first fix, or before it settled, map through the clock the segment's entry
// says (its first anchor, the clock of a later segment the LOG timer ran on to, or the user's
// UTC for a LOG without NMEA time). A moment whose segment has no such clock keeps none.
#pragma once

#include "analysis/log_summary.h"

void resolve_utc(log_summary& summary);
