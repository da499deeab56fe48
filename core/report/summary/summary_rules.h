// What the summaries of a LOG say alike, wherever they are written: the text summary, the JSON
// summary and the HTML flight report take each rule from here.
//
//   a moment     "15:04:56Z"; with its date ("2024-05-19 00:01:02Z") when that is not the LOG's
//                first UTC day; "LOG 0:04:56" in a LOG without a clock
//   a place      "47.48767 N 122.21484 W"
//   cylinders    those the LOG says are fitted (at most six), else up to the last that reads
//                above 0
//   health       records dropped, records read in part, time going back, gaps over the limit,
//                and per GPS port its format and whether another format seems to be sent
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/log_summary.h"

// Moments of one LOG as a person reads them.
class moment_reader {
 public:
  explicit moment_reader(const log_summary& summary);

  std::string text(const log_instant& at) const;
  // A LOG time of a segment as a moment, through that segment's clock.
  log_instant at(std::uint32_t log_ms, std::uint32_t segment) const;
  // The LOG's first UTC date ("2024-05-18"); empty in a LOG without a clock.
  const std::string& first_day() const { return first_day_; }

 private:
  const log_summary& summary_;
  std::string first_day_;
};

std::string place_text(const geo_point& p);

// The cylinders shown, given the LOG's setting (-1: not said) and whether cylinder i (0 to 5)
// reads above 0.
template <typename ReadsAboveZero>
std::size_t cylinders_shown(std::int32_t fitted, ReadsAboveZero reads_above_zero) {
  if (fitted > 0) return std::min(static_cast<std::size_t>(fitted), cylinder_count);
  std::size_t shown = 0;
  for (std::size_t i = 0; i < cylinder_count; ++i) {
    if (reads_above_zero(i)) shown = i + 1;
  }
  return shown;
}

std::uint64_t dropped_records(const reader_stats& r);
std::uint64_t records_read_in_part(const log_health& h);
std::uint64_t gaps_over_limit(const log_health& h);
// ", time never went back", ", time went back once", ", time went back 3 times".
std::string time_backwards_text(std::uint64_t times);
// A GPS port's format as the health tells it ("NMEA", "aviation"); the port is read when its
// format is not 0.
std::string_view gps_format_text(const gps_port_health& port);
// The port rejected every sentence it was sent: it may be set to the wrong format.
bool gps_maybe_other_format(const gps_port_health& port);
