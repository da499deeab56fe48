// Writes the airport table file (its layout is in airport_table.h). The same airports always
// give the same bytes: airports are filed by cell and then by ident, zone names sorted.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/airport_rules.h"
#include "analysis/airport_table.h"
#include "analysis/airport_table_format.h"

using namespace airport_file;

namespace {

void put_u8(std::vector<std::uint8_t>& out, std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v)); }
void put_u16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put_u8(out, v & 0xFF);
  put_u8(out, (v >> 8) & 0xFF);
}
void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put_u16(out, v & 0xFFFF);
  put_u16(out, v >> 16);
}
void put_text(std::vector<std::uint8_t>& out, std::string_view text) {
  put_u8(out, static_cast<std::uint32_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

std::uint32_t position_steps(double degrees) {
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(degrees * position_unit)));
}

void put_end(std::vector<std::uint8_t>& out, const runway_end& end) {
  put_text(out, end.ident);
  put_u32(out, end.has_position ? position_steps(end.position.latitude_deg) : static_cast<std::uint32_t>(no_position));
  put_u32(out, end.has_position ? position_steps(end.position.longitude_deg) : 0);
  const std::int16_t heading =
      std::isfinite(end.heading_true_deg) && end.heading_true_deg >= 0.0 && end.heading_true_deg <= 360.0
          ? static_cast<std::int16_t>(std::lround(end.heading_true_deg * heading_unit) % 3600)
          : no_heading;
  put_u16(out, static_cast<std::uint16_t>(heading));
}

bool in_range(const geo_point& p) { return std::abs(p.latitude_deg) <= 90.0 && std::abs(p.longitude_deg) <= 180.0; }

// What the table cannot hold: the airport's error, or "".
std::string check_airport(const airport_entry& a) {
  const auto too_long = [](std::string_view s) { return s.size() > 255; };
  if (a.ident.empty() || too_long(a.ident))
    return "an airport with an ident of " + std::to_string(a.ident.size()) + " bytes";
  if (!in_range(a.reference)) return a.ident + " has no position";
  if (a.runways.size() > 255) return a.ident + " has more than 255 runways";
  for (const airport_runway& r : a.runways) {
    for (const runway_end& e : r.ends) {
      if (too_long(e.ident) || (e.has_position && !in_range(e.position)))
        return a.ident + " has a runway end out of range";
    }
  }
  return "";
}

// The name cut to 255 bytes without splitting a UTF-8 character.
std::string_view short_name(std::string_view name) {
  if (name.size() <= 255) return name;
  std::size_t n = 255;
  while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
  return name.substr(0, n);
}

}  // namespace

std::string write_airport_table(std::vector<airport_entry> airports, const std::string& path) {
  std::vector<std::string> zones;
  double reach_m = 0.0;
  for (const airport_entry& a : airports) {
    if (std::string e = check_airport(a); !e.empty()) return e;
    if (!a.time_zone.empty()) zones.push_back(a.time_zone);
    for (const airport_runway& r : a.runways) {
      for (const runway_end& e : r.ends) {
        if (threshold_is_placed(a, e)) reach_m = std::max(reach_m, distance_m(a.reference, e.position));
      }
    }
  }
  std::sort(zones.begin(), zones.end());
  zones.erase(std::unique(zones.begin(), zones.end()), zones.end());
  if (zones.size() >= max_zones) return "more than " + std::to_string(max_zones - 1) + " time zones";

  const auto cell_of = [](const airport_entry& a) {
    return cell_number(row_of(a.reference.latitude_deg), column_of(a.reference.longitude_deg));
  };
  std::stable_sort(airports.begin(), airports.end(), [&](const airport_entry& a, const airport_entry& b) {
    const std::uint32_t ca = cell_of(a);
    const std::uint32_t cb = cell_of(b);
    return ca != cb ? ca < cb : a.ident < b.ident;
  });

  // Where the parts go: the grid rows and zone names, the directory of the cells, the cells.
  std::uint32_t cell_count = 0;
  for (std::size_t i = 0; i < airports.size(); ++i)
    cell_count += i == 0 || cell_of(airports[i]) != cell_of(airports[i - 1]);
  std::uint64_t front_size = rows * row_entry_size + 4 * (zones.size() + 1);
  for (const std::string& z : zones) front_size += z.size();
  if (front_size > max_front_bytes) return "the time zone names take more than 256 KiB";
  const std::uint64_t directory_offset = header_size + front_size;
  const std::uint64_t cells_offset = directory_offset + std::uint64_t{cell_count} * directory_entry_size;

  std::vector<std::uint8_t> cells;
  std::vector<std::uint8_t> directory;
  std::vector<std::uint32_t> row_counts(rows, 0);
  std::uint32_t largest_cell = 0;
  std::vector<std::uint8_t> cell;
  for (std::size_t i = 0; i < airports.size();) {
    const std::uint32_t number = cell_of(airports[i]);
    cell.clear();
    for (; i < airports.size() && cell_of(airports[i]) == number; ++i) {
      const airport_entry& a = airports[i];
      put_u32(cell, position_steps(a.reference.latitude_deg));
      put_u32(cell, position_steps(a.reference.longitude_deg));
      const bool has_elevation = a.has_elevation && std::abs(a.elevation_ft) <= 32767;
      put_u16(cell, static_cast<std::uint16_t>(has_elevation ? a.elevation_ft : no_elevation));
      put_u8(cell, static_cast<std::uint32_t>(a.type));
      put_u8(cell, a.has_unplaced_runway ? flag_unplaced_runway : 0);
      const auto zone = std::lower_bound(zones.begin(), zones.end(), a.time_zone);
      put_u16(cell, a.time_zone.empty() ? no_zone : static_cast<std::uint32_t>(zone - zones.begin()));
      put_u8(cell, a.country.size() == 2 ? static_cast<unsigned char>(a.country[0]) : 0);
      put_u8(cell, a.country.size() == 2 ? static_cast<unsigned char>(a.country[1]) : 0);
      put_text(cell, a.ident);
      put_text(cell, short_name(a.name));
      put_u8(cell, static_cast<std::uint32_t>(a.runways.size()));
      for (const airport_runway& r : a.runways) {
        put_end(cell, r.ends[0]);
        put_end(cell, r.ends[1]);
      }
    }
    if (cell.size() > max_cell_bytes) return "cell " + std::to_string(number) + " holds more than 1 MiB of airports";
    put_u32(directory, number);
    if (cells_offset + cells.size() + cell.size() > 0xFFFFFFFFu) return "the table would pass 4 GiB";
    put_u32(directory, static_cast<std::uint32_t>(cells_offset + cells.size()));
    put_u32(directory, static_cast<std::uint32_t>(cell.size()));
    put_u32(directory, crc32(cell));
    cells.insert(cells.end(), cell.begin(), cell.end());
    largest_cell = std::max(largest_cell, static_cast<std::uint32_t>(cell.size()));
    ++row_counts[number / columns];
  }

  // The front: grid rows, zone offsets, zone names.
  std::vector<std::uint8_t> front;
  std::uint32_t first = 0;
  for (std::uint32_t row = 0; row < rows; ++row) {
    put_u32(front, first);
    put_u32(front, row_counts[row]);
    const std::span<const std::uint8_t> entries(directory.data() + std::size_t{first} * directory_entry_size,
                                                std::size_t{row_counts[row]} * directory_entry_size);
    put_u32(front, crc32(entries));
    first += row_counts[row];
  }
  std::uint32_t name_at = 0;
  put_u32(front, 0);
  for (const std::string& z : zones) put_u32(front, name_at += static_cast<std::uint32_t>(z.size()));
  for (const std::string& z : zones) front.insert(front.end(), z.begin(), z.end());

  std::vector<std::uint8_t> header;
  header.insert(header.end(), magic.begin(), magic.end());
  put_u32(header, version);
  put_u32(header, static_cast<std::uint32_t>(cells_offset + cells.size()));
  put_u32(header, static_cast<std::uint32_t>(airports.size()));
  put_u32(header, cell_count);
  put_u32(header, static_cast<std::uint32_t>(zones.size()));
  put_u32(header, static_cast<std::uint32_t>(zones_offset));
  put_u32(header, static_cast<std::uint32_t>(directory_offset));
  put_u32(header, static_cast<std::uint32_t>(cells_offset));
  put_u32(header, largest_cell);
  put_u32(header, static_cast<std::uint32_t>(std::ceil(reach_m)));
  header.resize(at_front_crc, 0);
  put_u32(header, crc32(front, crc32(header)));

  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return path + ": cannot be written";
  bool written = true;
  for (const std::vector<std::uint8_t>* part : {&header, &front, &directory, &cells}) {
    written = written && std::fwrite(part->data(), 1, part->size(), out) == part->size();
  }
  written = std::fclose(out) == 0 && written;
  return written ? "" : path + ": cannot be written";
}
