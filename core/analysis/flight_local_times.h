// The logbook's local times once the flights' airports are known: every flight in the zone the
// user names, else each end in the zone of its airport (the departure's for out and off, the
// arrival's for on and in). An end without an airport, or whose airport has no zone, has no
// local time and the documents say so.
#pragma once

#include "analysis/log_summary.h"
#include "analysis/time_zone.h"

// chosen: --time-zone, or nullptr for the airports' zones.
void give_flights_local_times(log_summary& summary, const time_zone* chosen);
