// The numbers of an accepted GPS sentence, read once from its text fields.
#pragma once

#include <cstdint>

#include "decoders/gps/gps_state.h"

gps_fix fix_of(std::int32_t format, const gps_fields& fields);

// Seconds since 1970-01-01 of a proleptic Gregorian date and time (UTC).
std::int64_t utc_seconds_of(int year, int month, int day, int hour, int minute, int second);
