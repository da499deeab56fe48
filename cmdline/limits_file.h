// The aircraft limits file that orvexdecode-info and orvexdecode-report check flights against,
// and the aircraft profile (aircraft_profile.h) the flight front ends read with --profile. Both
// are checked here, before any LOG is read, and go to the document calls as their texts.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "analysis/aircraft_profile.h"
#include "analysis/limits.h"

// The largest limits file or profile read: 64 limits with their comments fit many times over.
constexpr std::size_t most_limits_file_bytes = 1 << 20;  // 1 MiB

// The text of a small settings file. A file that can't be opened or read, that is not a regular
// file (a folder, a device such as /dev/zero, a FIFO) or that is larger than
// most_limits_file_bytes prints "ERROR: " what ("Limits file", "Profile") and the failure, and
// ends with status 2.
std::string read_settings_file(const std::string& path, const std::string& what);

// The text of the limits file at path, checked line by line: fails as read_settings_file, and a
// bad line prints "ERROR: FILE:LINE: ..." and ends with status 2.
std::string read_limits_file(const std::string& path);

// The profile of --profile FILE and --profile-set SETTING as the document calls take it. It is
// moved, never copied, so that setting_pointers keep pointing into settings.
struct profile_source {
  profile_source() = default;
  profile_source(profile_source&&) = default;
  profile_source& operator=(profile_source&&) = default;
  profile_source(const profile_source&) = delete;
  profile_source& operator=(const profile_source&) = delete;

  bool given = false;                         // --profile was given
  std::string text;                           // the file's text
  std::vector<std::string> settings;          // in their order, over the file's
  std::vector<const char*> setting_pointers;  // the settings' texts, for the calls
  aircraft_profile profile;                   // what the file and the settings make
};

// The profile of --profile FILE (none when file is empty; a bad line fails as in
// read_limits_file) with the --profile-set settings over it; a bad setting ends the run through
// usage_error ("--profile-set: ERROR: SETTING").
profile_source profile_option(const std::string& file, const std::vector<std::string>& settings,
                              void (*usage_error)(const std::string& message));
