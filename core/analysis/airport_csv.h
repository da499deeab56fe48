// OurAirports' CSV files, airports.csv and runways.csv, read once from start to end, one row at
// a time, with columns found by their header names (so a newer file with more columns, or the
// table this project derives from it, reads the same).
//
//   airports.csv  ident, type, name, latitude_deg, longitude_deg, elevation_ft, iso_country,
//                 and time_zone where the file has it (OurAirports' own file has none)
//   runways.csv   airport_ident, closed, and for each end (le_, he_) ident, latitude_deg,
//                 longitude_deg, heading_degT
//
// Fields are comma-separated; a field in double quotes may hold commas, line breaks and
// doubled quotes. A row longer than 64 KiB or of more than 256 fields ends the reading with an
// error; a row whose position or type cannot be read is skipped and counted, and so is a closed
// airport or runway.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/airport_data.h"

// One CSV row after another from a file, with a buffer of fixed size.
class csv_rows {
 public:
  static constexpr std::size_t max_row_bytes = 64 * 1024;
  static constexpr std::size_t max_fields = 256;

  explicit csv_rows(std::FILE* file) : file_(file) {}
  // Reads the next row; false at the end of the file or on an error (then error() is set).
  bool next();
  std::size_t field_count() const { return bounds_.size(); }
  // The field at index, unquoted; empty for an index past the row's end or below zero.
  std::string_view field(int index) const;
  std::uint64_t line() const { return row_line_; }  // where the row began, from 1
  const std::string& error() const { return error_; }

 private:
  int read_char();
  bool fail(const std::string& what);
  std::FILE* file_;
  char buffer_[16 * 1024];
  std::size_t at_ = 0;
  std::size_t filled_ = 0;
  std::string row_;
  std::vector<std::pair<std::size_t, std::size_t>> bounds_;
  std::uint64_t line_ = 1;
  std::uint64_t row_line_ = 0;
  std::string error_;
};

struct csv_read_counts {
  std::uint64_t rows = 0;     // rows after the header
  std::uint64_t taken = 0;    // handed on
  std::uint64_t skipped = 0;  // unreadable, or closed
};

// Reads airports.csv: each open airport whose reference point wanted() accepts goes to take(),
// without runways. Returns "" or the error, naming the line.
std::string read_airports_csv(std::FILE* file, const std::function<bool(const geo_point&)>& wanted,
                              const std::function<void(airport_entry&&)>& take, csv_read_counts& counts);
// Reads runways.csv: each open runway of an airport wanted() accepts goes to take() with the
// airport's ident.
std::string read_runways_csv(std::FILE* file, const std::function<bool(std::string_view)>& wanted,
                             const std::function<void(std::string_view, airport_runway&&)>& take,
                             csv_read_counts& counts);

// Checks the first line of an airports.csv or a runways.csv: "" or the column it lacks.
std::string check_airports_csv_header(std::FILE* file);
std::string check_runways_csv_header(std::FILE* file);

// Adds a runway read from runways.csv to its airport: a runway with neither an end's ident
// nor a threshold's position is only noted as one the table does not place.
void add_runway(airport_entry& airport, airport_runway&& runway);
