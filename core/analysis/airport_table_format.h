// The layout of the airport table file (described in airport_table.h), shared by its reader and
// its writer: the header's fields, the grid, the limits a reader holds a file to, and the
// little-endian getters and CRC-32 both use.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

namespace airport_file {

constexpr std::array<std::uint8_t, 8> magic = {'O', 'R', 'V', 'X', 'A', 'P', 'T', '1'};
constexpr std::uint32_t version = 1;

// Header fields: byte offsets.
constexpr std::size_t header_size = 64;
constexpr std::size_t at_version = 8;
constexpr std::size_t at_file_size = 12;
constexpr std::size_t at_airports = 16;
constexpr std::size_t at_cells = 20;
constexpr std::size_t at_zones = 24;
constexpr std::size_t at_zones_offset = 28;
constexpr std::size_t at_directory_offset = 32;
constexpr std::size_t at_cells_offset = 36;
constexpr std::size_t at_largest_cell = 40;
constexpr std::size_t at_reach = 44;
constexpr std::size_t at_front_crc = 60;  // CRC-32 of the header before it and of the front after it

// The grid: 0.25 degree cells, rows from 90 S, columns from 180 W.
constexpr int cells_per_degree = 4;
constexpr std::uint32_t rows = 180 * cells_per_degree;
constexpr std::uint32_t columns = 360 * cells_per_degree;
constexpr std::size_t row_entry_size = 12;        // first cell, cell count, CRC-32 of the row's entries
constexpr std::size_t directory_entry_size = 16;  // cell number, offset, size, CRC-32
constexpr std::size_t zones_offset = header_size + rows * row_entry_size;

// What a reader accepts; the writer keeps within it.
constexpr std::uint32_t max_front_bytes = 256 * 1024;  // grid rows and zone names
constexpr std::uint32_t max_cell_bytes = 1024 * 1024;
constexpr std::uint32_t max_zones = 65535;
constexpr std::uint32_t max_reach_m = 20000;

// Record values that mean "unknown".
constexpr std::int16_t no_elevation = -32768;
constexpr std::uint16_t no_zone = 0xFFFF;
constexpr std::int32_t no_position = INT32_MIN;
constexpr std::int16_t no_heading = -1;
constexpr std::uint8_t flag_unplaced_runway = 1;
constexpr double position_unit = 1e7;  // int32 steps per degree
constexpr double heading_unit = 10.0;  // int16 steps per degree

inline std::uint32_t cell_number(std::uint32_t row, std::uint32_t column) { return row * columns + column; }
// The grid row of a latitude in [-90, 90] and the grid column of a longitude in [-180, 180].
inline std::uint32_t row_of(double latitude_deg) {
  const double row = std::floor((latitude_deg + 90.0) * cells_per_degree);
  return row <= 0.0 ? 0 : row >= rows - 1 ? rows - 1 : static_cast<std::uint32_t>(row);
}
inline std::uint32_t column_of(double longitude_deg) {
  const double column = std::floor((longitude_deg + 180.0) * cells_per_degree);
  return column <= 0.0 || column >= columns ? 0 : static_cast<std::uint32_t>(column);
}

inline std::uint16_t u16_at(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t u32_at(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}

// CRC-32 (IEEE 802.3, as zlib computes it), continued from crc (0 to start).
std::uint32_t crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

}  // namespace airport_file
