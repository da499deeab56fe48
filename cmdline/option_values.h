// The values of options that orvexdecode-info, -export and -report share, read from their
// text. A text that is not such a value is a usage error: fail (the front end's own, which
// tells it and ends the run) is called with the message.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/time_zone.h"
#include "sampling/log_window.h"

using usage_failure = void (*)(const std::string& message);

// --flight N: 1 for the first flight.
int flight_number_option(const char* text, usage_failure fail);

// --from / --to: UTC in ISO 8601 or seconds of LOG time.
time_point time_option(const char* text, const char* option, usage_failure fail);

// --utc-start: UTC in ISO 8601, as milliseconds since 1970.
std::int64_t utc_start_option(const char* text, usage_failure fail);

// --every S: seconds from least_s to most_s, as whole milliseconds.
std::uint32_t period_option(const char* text, double least_s, double most_s, usage_failure fail);

// --time-zone ZONE: a zone of the system's time-zone data ($TZDIR, else /usr/share/zoneinfo).
time_zone time_zone_option(const char* text, usage_failure fail);

// A distance in nautical miles from 0 to 100,000 (--cross-country).
double distance_option(const char* text, const char* option, usage_failure fail);
