// The aircraft limits file that orvexdecode-info and orvexdecode-report check flights against.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/limits.h"

// The largest limits file read: 64 limits with their comments fit many times over.
constexpr std::size_t most_limits_file_bytes = 1 << 20;  // 1 MiB

// The text of the limits file at path, checked line by line. A file that can't be opened or read, that is not a regular
// file (a folder, a device such as /dev/zero, a FIFO), that is larger than
// most_limits_file_bytes, or that holds a bad line prints "ERROR: ..." (with the line number
// for a bad line) and ends with status 2, before any LOG is read.
std::string read_limits_file(const std::string& path);
