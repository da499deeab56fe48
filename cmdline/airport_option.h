// The airport options orvexdecode-info, orvexdecode-report and orvexdecode-export share:
//   --airports FILE|none   the airport table, OurAirports' airports.csv (runways.csv beside it)
//                          or none; without it, the table installed with the program
//   --airport-radius KM    the capture radius, default 3
//   --heliports            heliports, seaplane bases and balloon ports too
#pragma once

#include <string>

#include "analysis/airport_lookup.h"
#include "option_values.h"

struct airport_choice {
  bool given = false;   // --airports was given
  std::string source;   // its value
  airport_options options;
};

// --airports FILE|none: the source chosen (an empty one is a usage error).
void take_airports_option(airport_choice& choice, const char* text, usage_failure fail);

// --airport-radius KM: kilometres from 0 to 50, as metres.
double airport_radius_option(const char* text, usage_failure fail);

// Opens the airports chosen. A source given that cannot be read ends the run ("ERROR: ...",
// status 2); without --airports a missing table is told in a warning and the lookups are off.
airport_lookup open_chosen_airports(const airport_choice& choice);
