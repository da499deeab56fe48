// Local time from the system's time-zone database: the compiled TZif files of
// /usr/share/zoneinfo (Debian's tzdata), or of the folder the environment variable TZDIR names.
//
// A TZif file (versions 1 to 4) holds a table of the instants at which a zone's offset changed,
// the local time types (offset, daylight saving, abbreviation) they change to, and from version 2
// on the same table with 64-bit times followed by a footer: a POSIX TZ string (tz_rule.h) for
// the instants after the table's last change. A zone is read whole when it is loaded (a few
// kilobytes) and answers from memory; it reads its files nowhere else.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/tz_rule.h"

class time_zone {
 public:
  // UTC, without a file.
  time_zone();

  const std::string& name() const { return name_; }
  // What the zone's clocks read at an instant in seconds since 1970-01-01 UTC.
  local_offset offset_at(std::int64_t utc_seconds) const;

 private:
  friend struct time_zone_reader;

  struct local_type {
    std::int32_t utc_offset_s;
    bool daylight_saving;
    std::uint8_t abbreviation_at;  // into abbreviations_
  };
  struct leap_second {
    std::int64_t at;  // in the file's time scale
    std::int32_t correction_s;
  };

  local_offset offset_of_type(std::size_t type) const;

  std::string name_;
  std::vector<std::int64_t> changes_;      // ascending
  std::vector<std::uint8_t> change_types_;  // the type each change brings
  std::vector<local_type> types_;          // the first one holds before the first change
  std::string abbreviations_;              // NUL-terminated names
  std::vector<leap_second> leap_seconds_;  // only in zones that count leap seconds ("right/")
  std::optional<tz_rule> rule_;            // after the last change
};

struct time_zone_load {
  std::optional<time_zone> zone;
  std::string error;  // why there is no zone
};

// Whether a zone name is one to look for in the database: relative names of letters, digits and
// "_+-." in components that do not start with a dot ("America/Los_Angeles", "Etc/GMT+5"),
// so that a name from the command line cannot reach files outside it.
bool is_time_zone_name(std::string_view name);

// Reads the zone `name` from $TZDIR, or /usr/share/zoneinfo when TZDIR is not set.
time_zone_load load_time_zone(std::string_view name);

// Reads a zone from the bytes of a TZif file. Damaged bytes give an error.
time_zone_load read_time_zone(std::string_view name, std::span<const std::uint8_t> tzif);
