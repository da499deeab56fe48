// The airport table on disk: airports filed by the cell of a 0.25-degree grid their reference
// point lies in, the cells sorted, and read on demand. A lookup reads the directory of the few
// grid rows near the point and the cells near it (a few KiB each), never the whole table, so a
// process holds about 20 KiB for an open table and a lookup adds its cells' bytes.
//
// The file (every number little-endian):
//
//   header      64 bytes: magic "ORVXAPT1", the format version, the file size, the counts of
//               airports, cells and time zones, the offsets of the parts below, the largest
//               cell, the farthest placed threshold from its reference point, and a CRC-32 of
//               the header and the grid rows and zone names that follow it
//   grid rows   720 rows of 0.25 degree from the south pole: the first cell of the row in the
//               cell directory, the row's count of cells, the CRC-32 of its directory entries
//   zones       the offsets (count + 1) and bytes of the time zone names, sorted
//   directory   one 16-byte entry for each cell that holds airports, by cell number (row *
//               1440 + column of 0.25 degree from 180 W): number, offset, size, CRC-32 of bytes
//   cells       the airports of each cell, one after another:
//                 latitude, longitude   int32, 1e-7 degree
//                 elevation_ft          int16 (-32768: unknown)
//                 type                  uint8 (airport_type)
//                 flags                 uint8 (1: the airport has a runway the table does not place)
//                 time zone             uint16 index into the zones (65535: none)
//                 country               2 bytes (zeros: unknown)
//                 ident, name           each a uint8 length and its bytes (a name is cut at 255
//                                       bytes, on a UTF-8 character boundary)
//                 runway count          uint8, then for each runway its two ends:
//                   ident               a uint8 length and its bytes
//                   latitude, longitude int32, 1e-7 degree (INT32_MIN: no position)
//                   true heading        int16, 0.1 degree (-1: unknown)
//
// Every part read is checked against its CRC-32 and its bounds: a damaged or cut file gives
// an error, never a wrong read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/airport_data.h"

struct airport_lookup_result;

class airport_table {
 public:
  airport_table(airport_table&& other) noexcept;
  airport_table& operator=(airport_table&& other) noexcept;
  airport_table(const airport_table&) = delete;
  airport_table& operator=(const airport_table&) = delete;
  ~airport_table();

  struct opened;
  // Opens a table file; the error names the file and says what is wrong with it.
  static opened open(const std::string& path);

  // The best airport for the query (rules in airport_rules.h), or nothing; an error when a part
  // of the file read for it is damaged. Safe to call from several threads at once.
  airport_lookup_result find(const airport_query& query, const airport_options& options) const;

  const std::string& path() const { return path_; }
  std::uint32_t airport_count() const { return airport_count_; }

 private:
  airport_table() = default;
  std::string search(const airport_query& query, const airport_options& options,
                     std::optional<airport_match>& best) const;
  std::string read_cell(std::uint32_t number, const std::uint8_t* entry, const airport_query& query,
                        const airport_options& options, double reach_m, std::optional<airport_match>& best) const;
  int fd_ = -1;
  std::string path_;
  std::uint32_t file_size_ = 0;
  std::uint32_t airport_count_ = 0;
  std::uint32_t cell_count_ = 0;
  std::uint32_t directory_offset_ = 0;
  std::uint32_t cells_offset_ = 0;
  std::uint32_t largest_cell_ = 0;
  std::uint32_t reach_m_ = 0;
  std::vector<std::uint8_t> front_;  // the grid rows and zone names, checked once at open
  std::uint32_t zones_ = 0;
  std::uint32_t zone_names_at_ = 0;  // within front_
};

struct airport_lookup_result {
  std::optional<airport_match> match;
  std::string error;  // "" when the lookup read what it needed
  bool ok() const { return error.empty(); }
};

struct airport_table::opened {
  std::optional<airport_table> table;
  std::string error;
};

// Writes the airports (with their runways) as a table file. Returns "" or the error.
std::string write_airport_table(std::vector<airport_entry> airports, const std::string& path);
