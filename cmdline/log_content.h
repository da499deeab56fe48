// Whether what a flight front end was given is a LOG at all. A file in which no record of a
// type the LOG format defines can be read whole (a picture, a CSV, an empty file) is refused
// with "ERROR: Not a LOG file (REASON): NAME" rather than reported as a LOG without flights.
#pragma once

#include <cstdio>

#include "analysis/log_health.h"

// Reads input from its position up to its first record of a defined type, or to its end, and
// gives not_a_log_reason (analysis/log_health.h) of what it read. A LOG stops the scan at its
// first record; the caller rewinds the input.
const char* scan_for_log_records(FILE* input);
