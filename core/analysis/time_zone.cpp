// A TZif file, all integers big-endian:
//
//   header   "TZif", version ('\0', '2', '3' or '4'), 15 reserved bytes, then six 32-bit counts:
//            UT/local indicators, standard/wall indicators, leap seconds, changes, types, and
//            characters of abbreviations
//   data     the change times (32-bit in the first data block, 64-bit in the second), the type
//            each change brings (one byte), the types (32-bit UTC offset, daylight flag,
//            abbreviation index), the abbreviations, the leap seconds (time, 32-bit correction),
//            and the two rows of indicators (not needed to tell the time)
//   v2+      a second header and data block with 64-bit times, then "\n" TZ string "\n"
//
// Every count is checked against the bytes that remain before anything is read, and every index
// against what it indexes; a file that breaks a rule is refused with the reason.
#include "analysis/time_zone.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "records/byte_order.h"

namespace {

constexpr std::size_t header_size = 44;
// The database's files are a few kilobytes; anything much larger is not one.
constexpr std::size_t largest_file = std::size_t{1} << 20;
constexpr std::int64_t farthest_s = std::int64_t{1} << 40;
// Offsets beyond a day and a bit are refused, as the format asks.
constexpr std::int32_t most_west_s = -89999;
constexpr std::int32_t most_east_s = 93599;

struct tzif_counts {
  std::uint32_t utc_indicators;
  std::uint32_t standard_indicators;
  std::uint32_t leap_seconds;
  std::uint32_t changes;
  std::uint32_t types;
  std::uint32_t characters;
};

std::int64_t time_at(const std::uint8_t* p, std::size_t off, std::size_t time_size) {
  if (time_size == 4) return static_cast<std::int32_t>(be_u32_at(p, off));
  const std::uint64_t high = be_u32_at(p, off);
  return static_cast<std::int64_t>((high << 32) | be_u32_at(p, off + 4));
}

// The bytes of a data block with times of time_size bytes.
std::uint64_t block_size(const tzif_counts& c, std::size_t time_size) {
  return std::uint64_t{c.changes} * (time_size + 1) + std::uint64_t{c.types} * 6 + c.characters +
         std::uint64_t{c.leap_seconds} * (time_size + 4) + c.standard_indicators + c.utc_indicators;
}

std::string quoted(std::string_view text) {
  std::string q;
  q.reserve(text.size() + 2);
  q += '"';
  q += text;
  q += '"';
  return q;
}

const char* check_counts(const tzif_counts& c) {
  if (c.types == 0 || c.types > 256) return "the number of local time types is out of range";
  if (c.characters == 0) return "it has no abbreviations";
  if ((c.utc_indicators != 0 && c.utc_indicators != c.types) ||
      (c.standard_indicators != 0 && c.standard_indicators != c.types)) {
    return "its indicator counts do not match its types";
  }
  return nullptr;
}

}  // namespace

// Reads a TZif image into a zone.
struct time_zone_reader {
  std::string_view name;
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
  time_zone zone{};

  bool header(tzif_counts& c, char& version) {
    if (bytes.size() - at < header_size) return false;
    const std::uint8_t* p = bytes.data() + at;
    if (p[0] != 'T' || p[1] != 'Z' || p[2] != 'i' || p[3] != 'f') return false;
    version = static_cast<char>(p[4]);
    c = {be_u32_at(p, 20), be_u32_at(p, 24), be_u32_at(p, 28), be_u32_at(p, 32), be_u32_at(p, 36), be_u32_at(p, 40)};
    at += header_size;
    return true;
  }

  // The data block at `at`, whose size has been checked against the bytes.
  const char* data(const tzif_counts& c, std::size_t time_size) {
    const std::uint8_t* p = bytes.data() + at;
    std::size_t off = 0;
    zone.changes_.resize(c.changes);
    for (std::int64_t& t : zone.changes_) {
      t = time_at(p, off, time_size);
      off += time_size;
    }
    if (std::adjacent_find(zone.changes_.begin(), zone.changes_.end(), std::greater_equal<>()) != zone.changes_.end()) {
      return "its changes are not in time order";
    }
    zone.change_types_.assign(p + off, p + off + c.changes);
    off += c.changes;
    for (const std::uint8_t type : zone.change_types_) {
      if (type >= c.types) return "a change names a type it does not have";
    }
    zone.types_.resize(c.types);
    for (time_zone::local_type& type : zone.types_) {
      const auto offset = static_cast<std::int32_t>(be_u32_at(p, off));
      const std::uint8_t daylight = p[off + 4];
      const std::uint8_t abbreviation = p[off + 5];
      off += 6;
      if (offset < most_west_s || offset > most_east_s) return "a type's UTC offset is out of range";
      if (daylight > 1 || abbreviation >= c.characters) return "a type is damaged";
      type = {offset, daylight == 1, abbreviation};
    }
    zone.abbreviations_.assign(reinterpret_cast<const char*>(p + off), c.characters);
    off += c.characters;
    for (const time_zone::local_type& type : zone.types_) {
      if (zone.abbreviations_.find('\0', type.abbreviation_at) == std::string::npos) {
        return "an abbreviation is not terminated";
      }
    }
    zone.leap_seconds_.resize(c.leap_seconds);
    for (time_zone::leap_second& leap : zone.leap_seconds_) {
      leap = {time_at(p, off, time_size), static_cast<std::int32_t>(be_u32_at(p, off + time_size))};
      off += time_size + 4;
    }
    const auto out_of_order = [](const time_zone::leap_second& a, const time_zone::leap_second& b) {
      return a.at >= b.at;
    };
    if (std::adjacent_find(zone.leap_seconds_.begin(), zone.leap_seconds_.end(), out_of_order) !=
        zone.leap_seconds_.end()) {
      return "its leap seconds are not in time order";
    }
    at += off + c.standard_indicators + c.utc_indicators;
    return nullptr;
  }

  // "\n" TZ string "\n" after the second data block.
  const char* footer() {
    const auto text = std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()).substr(at);
    const std::size_t end = text.size() >= 2 && text[0] == '\n' ? text.find('\n', 1) : std::string_view::npos;
    if (end == std::string_view::npos) return "its footer is missing";
    const std::string_view rule = text.substr(1, end - 1);
    if (rule.empty()) return nullptr;
    zone.rule_ = parse_tz_rule(rule);
    return zone.rule_ ? nullptr : "its footer is not a TZ string";
  }

  const char* read() {
    tzif_counts c{};
    char version = 0;
    if (!header(c, version)) return "it is not a TZif file";
    if (version != '\0' && (version < '2' || version > '4')) return "its TZif version is unknown";
    if (const char* wrong = check_counts(c)) return wrong;
    std::size_t time_size = 4;
    if (version != '\0') {
      // The first block serves readers of 32-bit times; this reader skips to the second.
      if (block_size(c, 4) > bytes.size() - at) return "it is truncated";
      at += static_cast<std::size_t>(block_size(c, 4));
      if (!header(c, version)) return "it is truncated or its second header is damaged";
      if (const char* wrong = check_counts(c)) return wrong;
      time_size = 8;
    }
    if (block_size(c, time_size) > bytes.size() - at) return "it is truncated";
    if (const char* wrong = data(c, time_size)) return wrong;
    zone.name_ = name;
    return time_size == 8 ? footer() : nullptr;
  }
};

time_zone::time_zone() : name_("UTC"), types_{{0, false, 0}}, abbreviations_("UTC", 4) {}

local_offset time_zone::offset_of_type(std::size_t type) const {
  const local_type& t = types_[type];
  local_offset o;
  o.utc_offset_s = t.utc_offset_s;
  o.daylight_saving = t.daylight_saving;
  set_abbreviation(o, abbreviations_.c_str() + t.abbreviation_at);
  return o;
}

local_offset time_zone::offset_at(std::int64_t utc_seconds) const {
  const std::int64_t t = std::clamp(utc_seconds, -farthest_s, farthest_s);
  // A zone that counts leap seconds gives its changes in a time scale that includes them.
  std::int64_t file_time = t;
  for (auto leap = leap_seconds_.rbegin(); leap != leap_seconds_.rend(); ++leap) {
    if (leap->at <= t + leap->correction_s) {
      file_time = t + leap->correction_s;
      break;
    }
  }
  if (rule_ && (changes_.empty() || file_time >= changes_.back())) return tz_rule_offset_at(*rule_, t);
  if (changes_.empty() || file_time < changes_.front()) return offset_of_type(0);
  const auto next = std::upper_bound(changes_.begin(), changes_.end(), file_time);
  return offset_of_type(change_types_[static_cast<std::size_t>(next - changes_.begin()) - 1]);
}

bool is_time_zone_name(std::string_view name) {
  if (name.empty() || name.size() > 255) return false;
  std::size_t component_start = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '/') {
      if (i == component_start || name[component_start] == '.') return false;
      component_start = i + 1;
      continue;
    }
    const char c = name[i];
    const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                         c == '+' || c == '-' || c == '.';
    if (!allowed) return false;
  }
  return true;
}

time_zone_load read_time_zone(std::string_view name, std::span<const std::uint8_t> tzif) {
  time_zone_reader reader{name, tzif};
  if (const char* wrong = reader.read()) return {std::nullopt, std::string(wrong)};
  return {std::move(reader.zone), {}};
}

time_zone_load load_time_zone(std::string_view name) {
  if (!is_time_zone_name(name)) return {std::nullopt, quoted(name) + " is not a time zone name"};
  const char* tzdir = std::getenv("TZDIR");
  const std::string folder = tzdir != nullptr && *tzdir != '\0' ? tzdir : "/usr/share/zoneinfo";
  // The name holds no "." or empty component, so the file is the folder and the name joined.
  const std::string path = folder + (folder.back() == '/' ? "" : "/") + std::string(name);
  struct stat status;
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    return {std::nullopt, "no time zone " + quoted(name) + " in " + folder};
  }
  // Read with the C library's streams, which the WebAssembly build has too.
  std::FILE* in = std::fopen(path.c_str(), "rb");
  std::vector<std::uint8_t> bytes;
  bool read_whole = false;
  if (in != nullptr) {
    bytes.reserve(8192);
    std::uint8_t block[4096];
    while (bytes.size() <= largest_file) {
      const std::size_t n = std::fread(block, 1, sizeof block, in);
      bytes.insert(bytes.end(), block, block + n);
      if (n < sizeof block) {
        read_whole = std::ferror(in) == 0;
        break;
      }
    }
    std::fclose(in);
  }
  if (bytes.size() > largest_file) return {std::nullopt, path + " is too large to be a time zone file"};
  if (!read_whole) return {std::nullopt, "cannot read the time zone file " + path};
  time_zone_load load = read_time_zone(name, bytes);
  if (!load.zone) load.error = "the time zone file " + path + " is damaged: " + load.error;
  return load;
}
