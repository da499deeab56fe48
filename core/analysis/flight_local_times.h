// The logbook's local times once the flights' airports are known: every flight in the zone the
// user names, else each end in the zone of its airport (the departure's for out and off, the
// arrival's for on and in). An end without an airport, or whose airport has no zone, has no
// local time and the documents say so.
#pragma once

#include <string>

#include "analysis/airport_lookup.h"
#include "analysis/log_summary.h"
#include "analysis/time_zone.h"

// chosen: --time-zone, or nullptr for the airports' zones.
void give_flights_local_times(log_summary& summary, const time_zone* chosen);

// What every front end tells of a LOG's flights after the time line: their airports (when
// lookup is given, locate_flights) and then their local times. Returns "" or the lookup's error
// (the flights then have neither).
std::string place_flights(log_summary& summary, const airport_lookup* lookup, const airport_options& options,
                          const time_zone* chosen);
