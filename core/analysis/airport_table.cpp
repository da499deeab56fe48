#include "analysis/airport_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "analysis/airport_rules.h"
#include "analysis/airport_table_format.h"

using namespace airport_file;

namespace {

constexpr std::array<std::uint32_t, 256> crc_table = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

// Reads exactly size bytes at offset; false on a short read or an error.
bool read_at(int fd, std::uint64_t offset, std::uint8_t* into, std::size_t size) {
  while (size > 0) {
    const ssize_t n = pread(fd, into, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    into += n;
    offset += static_cast<std::uint64_t>(n);
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Reads the fields of a record one after another; once a read would pass the end, every read
// gives zero and ok() is false.
class byte_cursor {
 public:
  byte_cursor(const std::uint8_t* p, std::size_t size) : p_(p), left_(size) {}
  bool ok() const { return ok_; }
  bool at_end() const { return left_ == 0; }
  std::uint8_t u8() { return take(1) ? p_[-1] : 0; }
  std::uint16_t u16() { return take(2) ? u16_at(p_ - 2) : 0; }
  std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
  std::int32_t s32() { return take(4) ? static_cast<std::int32_t>(u32_at(p_ - 4)) : 0; }
  std::string_view text(std::size_t n) {
    return take(n) ? std::string_view(reinterpret_cast<const char*>(p_ - n), n) : std::string_view();
  }
  std::string_view short_text() { return text(u8()); }

 private:
  bool take(std::size_t n) {
    if (!ok_ || n > left_) {
      ok_ = false;
      left_ = 0;
      return false;
    }
    p_ += n;
    left_ -= n;
    return true;
  }
  const std::uint8_t* p_;
  std::size_t left_;
  bool ok_ = true;
};

bool read_position(byte_cursor& in, geo_point& p) {
  const std::int32_t latitude = in.s32();
  const std::int32_t longitude = in.s32();
  p = {latitude / position_unit, longitude / position_unit};
  return std::abs(p.latitude_deg) <= 90.0 && std::abs(p.longitude_deg) <= 180.0;
}

// Reads one runway end; false when its values cannot be.
bool read_end(byte_cursor& in, runway_end& end) {
  end.ident = in.short_text();
  const std::int32_t latitude = in.s32();
  const std::int32_t longitude = in.s32();
  const std::int16_t heading = in.s16();
  end.has_position = latitude != no_position;
  if (end.has_position) {
    end.position = {latitude / position_unit, longitude / position_unit};
    if (std::abs(end.position.latitude_deg) > 90.0 || std::abs(end.position.longitude_deg) > 180.0) return false;
  }
  if (heading == no_heading) {
    end.heading_true_deg = std::nan("");
  } else if (heading >= 0 && heading < 360 * heading_unit) {
    end.heading_true_deg = heading / heading_unit;
  } else {
    return false;
  }
  return in.ok();
}

std::string damaged(const std::string& path, const std::string& what) {
  return path + ": the airport table is damaged (" + what + ")";
}

}  // namespace

std::uint32_t airport_file::crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
  crc = ~crc;
  for (const std::uint8_t b : bytes) crc = crc_table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

airport_table::airport_table(airport_table&& other) noexcept { *this = std::move(other); }

airport_table& airport_table::operator=(airport_table&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    path_ = std::move(other.path_);
    file_size_ = other.file_size_;
    airport_count_ = other.airport_count_;
    cell_count_ = other.cell_count_;
    directory_offset_ = other.directory_offset_;
    cells_offset_ = other.cells_offset_;
    largest_cell_ = other.largest_cell_;
    reach_m_ = other.reach_m_;
    front_ = std::move(other.front_);
    zones_ = other.zones_;
    zone_names_at_ = other.zone_names_at_;
  }
  return *this;
}

airport_table::~airport_table() {
  if (fd_ >= 0) close(fd_);
}

airport_table::opened airport_table::open(const std::string& path) {
  opened result;
  airport_table t;
  t.path_ = path;
  t.fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (t.fd_ < 0) {
    result.error = path + ": " + std::strerror(errno);
    return result;
  }
  struct stat st {};
  if (fstat(t.fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    result.error = path + ": not a file";
    return result;
  }
  std::uint8_t header[header_size];
  if (st.st_size < static_cast<off_t>(header_size) || !read_at(t.fd_, 0, header, header_size)) {
    result.error = damaged(path, "shorter than its header");
    return result;
  }
  if (!std::equal(magic.begin(), magic.end(), header)) {
    result.error = path + ": not an airport table";
    return result;
  }
  if (u32_at(header + at_version) != version) {
    result.error = path + ": an airport table of another version (" + std::to_string(u32_at(header + at_version)) +
                   "; this program reads " + std::to_string(version) + ")";
    return result;
  }
  t.file_size_ = u32_at(header + at_file_size);
  t.airport_count_ = u32_at(header + at_airports);
  t.cell_count_ = u32_at(header + at_cells);
  t.zones_ = u32_at(header + at_zones);
  t.directory_offset_ = u32_at(header + at_directory_offset);
  t.cells_offset_ = u32_at(header + at_cells_offset);
  t.largest_cell_ = u32_at(header + at_largest_cell);
  t.reach_m_ = u32_at(header + at_reach);
  if (static_cast<std::uint64_t>(st.st_size) != t.file_size_) {
    result.error =
        damaged(path, std::to_string(st.st_size) + " bytes where " + std::to_string(t.file_size_) + " were written");
    return result;
  }
  const std::uint64_t names_at = zones_offset + 4ull * (t.zones_ + 1ull);
  if (u32_at(header + at_zones_offset) != zones_offset || t.zones_ > max_zones || t.directory_offset_ < names_at ||
      t.directory_offset_ - header_size > max_front_bytes ||
      t.cells_offset_ != t.directory_offset_ + std::uint64_t{directory_entry_size} * t.cell_count_ ||
      t.cells_offset_ > t.file_size_ || t.largest_cell_ > max_cell_bytes || t.reach_m_ > max_reach_m) {
    result.error = damaged(path, "its header does not hold together");
    return result;
  }
  t.front_.resize(t.directory_offset_ - header_size);
  if (!read_at(t.fd_, header_size, t.front_.data(), t.front_.size())) {
    result.error = damaged(path, "cut short");
    return result;
  }
  std::uint32_t crc = crc32({header, at_front_crc});
  crc = crc32(t.front_, crc);
  if (crc != u32_at(header + at_front_crc)) {
    result.error = damaged(path, "its header or grid fails its check");
    return result;
  }
  // The rows' cells follow one another through the directory; the zone names' offsets rise.
  std::uint64_t next_cell = 0;
  for (std::uint32_t row = 0; row < rows; ++row) {
    const std::uint8_t* entry = t.front_.data() + row * row_entry_size;
    if (u32_at(entry) != next_cell || u32_at(entry + 4) > columns) {
      result.error = damaged(path, "grid row " + std::to_string(row));
      return result;
    }
    next_cell += u32_at(entry + 4);
  }
  t.zone_names_at_ = static_cast<std::uint32_t>(names_at - header_size);
  const std::uint8_t* offsets = t.front_.data() + (zones_offset - header_size);
  bool rising = u32_at(offsets) == 0;
  std::uint32_t previous = 0;
  for (std::uint32_t z = 0; z <= t.zones_; ++z) {
    const std::uint32_t at = u32_at(offsets + 4 * z);
    rising = rising && at >= previous;
    previous = at;
  }
  if (next_cell != t.cell_count_ || !rising || t.zone_names_at_ + std::uint64_t{previous} != t.front_.size()) {
    result.error = damaged(path, "its grid or zone names do not hold together");
    return result;
  }
  result.table = std::move(t);
  return result;
}

std::string airport_table::read_cell(std::uint32_t number, const std::uint8_t* entry, const airport_query& query,
                                     const airport_options& options, double reach_m,
                                     std::optional<airport_match>& best) const {
  const std::uint32_t offset = u32_at(entry + 4);
  const std::uint32_t size = u32_at(entry + 8);
  const std::string cell_name = "cell " + std::to_string(number);
  if (offset < cells_offset_ || size > largest_cell_ || std::uint64_t{offset} + size > file_size_) {
    return damaged(path_, cell_name + " lies outside the file");
  }
  std::vector<std::uint8_t> bytes(size);
  if (!read_at(fd_, offset, bytes.data(), size)) return damaged(path_, cell_name + " cannot be read");
  if (crc32(bytes) != u32_at(entry + 12)) return damaged(path_, cell_name + " fails its check");

  const std::uint8_t* offsets = front_.data() + (zones_offset - header_size);
  const char* names = reinterpret_cast<const char*>(front_.data() + zone_names_at_);
  byte_cursor in(bytes.data(), bytes.size());
  airport_entry a;
  while (!in.at_end()) {
    bool sound = read_position(in, a.reference);
    const std::int16_t elevation = in.s16();
    const std::uint8_t type = in.u8();
    const std::uint8_t flags = in.u8();
    const std::uint16_t zone = in.u16();
    const std::string_view country = in.text(2);
    const std::string_view ident = in.short_text();
    const std::string_view name = in.short_text();
    const std::uint8_t runways = in.u8();
    sound = sound && type <= static_cast<std::uint8_t>(airport_type::balloonport) && (zone < zones_ || zone == no_zone);
    const bool near = distance_m(a.reference, query.point) <= reach_m;
    a.runways.resize(runways);
    for (airport_runway& r : a.runways) sound = read_end(in, r.ends[0]) && read_end(in, r.ends[1]) && sound;
    if (!sound || !in.ok()) return damaged(path_, cell_name + " holds an airport that cannot be read");
    if (!near) continue;
    a.ident = ident;
    a.name = name;
    a.type = static_cast<airport_type>(type);
    a.has_elevation = elevation != no_elevation;
    a.elevation_ft = elevation;
    a.country = country[0] == '\0' ? std::string_view() : country;
    a.time_zone.clear();
    if (zone != no_zone) {
      const std::uint32_t from = u32_at(offsets + 4 * zone);
      a.time_zone.assign(names + from, u32_at(offsets + 4 * (zone + 1)) - from);
    }
    a.has_unplaced_runway = (flags & flag_unplaced_runway) != 0;
    std::optional<airport_match> m = match_airport(a, query, options);
    if (m && (!best || is_better_match(*m, *best))) best = std::move(m);
  }
  return "";
}

airport_lookup_result airport_table::find(const airport_query& query, const airport_options& options) const {
  airport_lookup_result result;
  result.error = search(query, options, result.match);
  if (!result.ok()) result.match.reset();
  return result;
}

std::string airport_table::search(const airport_query& query, const airport_options& options,
                                  std::optional<airport_match>& best) const {
  const geo_point p = query.point;
  if (!(std::abs(p.latitude_deg) <= 90.0 && std::abs(p.longitude_deg) <= 180.0 && options.capture_radius_m >= 0.0 &&
        options.capture_radius_m <= 1.0e6)) {
    return "";  // no place, or no radius: nothing lies within it
  }
  // The airports within reach: their reference point lies within the capture radius and the
  // farthest placed threshold's distance of the point (with a margin for the plane's error).
  const double reach_m = options.capture_radius_m + reach_m_ + 50.0;
  const double dlat = reach_m / 110000.0;  // a degree of latitude is longer than 110 km
  const double south = std::max(-90.0, p.latitude_deg - dlat);
  const double north = std::min(90.0, p.latitude_deg + dlat);
  const double widest = std::max(std::abs(south), std::abs(north));
  const double dlon = widest >= 89.0 ? 360.0 : dlat / std::cos(widest * 3.14159265358979323846 / 180.0);
  const bool every_column = dlon >= 180.0;
  const long west = static_cast<long>(std::floor((p.longitude_deg - dlon + 180.0) * cells_per_degree));
  const long east = static_cast<long>(std::floor((p.longitude_deg + dlon + 180.0) * cells_per_degree));
  const auto wanted_column = [&](std::uint32_t column) {
    const long from_west = ((static_cast<long>(column) - west) % long{columns} + columns) % columns;
    return every_column || from_west <= east - west;
  };

  std::vector<std::uint8_t> directory;
  for (std::uint32_t row = row_of(south); row <= row_of(north); ++row) {
    const std::uint8_t* row_entry = front_.data() + row * row_entry_size;
    const std::uint32_t first = u32_at(row_entry);
    const std::uint32_t count = u32_at(row_entry + 4);
    if (count == 0) continue;
    directory.resize(std::size_t{count} * directory_entry_size);
    if (!read_at(fd_, directory_offset_ + std::uint64_t{first} * directory_entry_size, directory.data(),
                 directory.size())) {
      return damaged(path_, "cut short");
    }
    if (crc32(directory) != u32_at(row_entry + 8)) {
      return damaged(path_, "the directory of grid row " + std::to_string(row) + " fails its check");
    }
    std::uint32_t previous = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* entry = directory.data() + i * directory_entry_size;
      const std::uint32_t number = u32_at(entry);
      if (number / columns != row || (i > 0 && number <= previous)) {
        return damaged(path_, "the directory of grid row " + std::to_string(row) + " is out of order");
      }
      previous = number;
      if (!wanted_column(number % columns)) continue;
      if (std::string error = read_cell(number, entry, query, options, reach_m, best); !error.empty()) return error;
    }
  }
  return "";
}
