// Where each flight went, in the text and JSON summaries: the airports of its takeoff and
// landing with the runway and the distance from it, and the route.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "analysis/log_summary.h"
#include "text/json_writer.h"

// The text lines (label, text) of a flight's places; none when the airports were not looked up.
std::vector<std::pair<std::string, std::string>> place_lines(const log_summary& s, const flight_record& w);

// The window's "airports" key: its places, or null when the airports were not looked up.
void write_places_json(json_writer& json, const log_summary& s, const flight_record& w);
// The LOG's "airports" key: where the airports came from and the options, or null.
void write_airport_search_json(json_writer& json, const log_summary& s);
