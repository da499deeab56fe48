// The aircraft limits file that orvexdecode-info and orvexdecode-report check flights against.
#pragma once

#include <string>
#include <vector>

#include "analysis/limits.h"

// The limits the file at path holds. A file that can't be opened or read, or that holds a bad
// line, prints "ERROR: ..." (with the line number for a bad line) and ends with status 2.
std::vector<aircraft_limit> read_limits_file(const std::string& path);
