// The aircraft limits file that orvexdecode-info and orvexdecode-report check flights against,
// and the aircraft profile (aircraft_profile.h) the flight front ends read with --profile.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/aircraft_profile.h"
#include "analysis/limits.h"

// The largest limits file or profile read: 64 limits with their comments fit many times over.
constexpr std::size_t most_limits_file_bytes = 1 << 20;  // 1 MiB

// The limits the file at path holds. A file that can't be opened or read, that is not a regular
// file (a folder, a device such as /dev/zero, a FIFO), that is larger than
// most_limits_file_bytes, or that holds a bad line prints "ERROR: ..." (with the line number
// for a bad line) and ends with status 2, before any LOG is read.
std::vector<aircraft_limit> read_limits_file(const std::string& path);

// The text of a small settings file; what ("Limits file", "Profile") begins the messages of the
// same failures as read_limits_file's, which end the run with status 2.
std::string read_settings_file(const std::string& path, const std::string& what);

// The aircraft profile the file at path holds, over the default one; fails as read_limits_file.
aircraft_profile read_profile_file(const std::string& path);

// The profile of --profile FILE (the default one when file is empty; read as read_profile_file)
// with the --profile-set settings over it; a bad setting ends the run through usage_error
// ("--profile-set: ERROR: SETTING").
aircraft_profile profile_option(const std::string& file, const std::vector<std::string>& settings,
                                void (*usage_error)(const std::string& message));

// The limits a run checks: the profile's, but those a limits file gives for the same parameter
// and condition, then the file's in its order.
std::vector<aircraft_limit> limits_to_check(const aircraft_profile& profile, std::vector<aircraft_limit> file);
