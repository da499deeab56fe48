#include "analysis/airport_csv.h"

#include <array>
#include <cmath>

#include "text/float_from_chars.h"

namespace {

// Column indexes by header name; -1 for a column the header lacks.
template <std::size_t N>
std::array<int, N> find_columns(const csv_rows& rows, const std::array<std::string_view, N>& names) {
  std::array<int, N> columns;
  columns.fill(-1);
  for (std::size_t i = 0; i < rows.field_count(); ++i) {
    for (std::size_t n = 0; n < N; ++n) {
      if (rows.field(static_cast<int>(i)) == names[n] && columns[n] < 0) columns[n] = static_cast<int>(i);
    }
  }
  return columns;
}

std::string missing_column(std::string_view file, std::string_view column) {
  return std::string(file) + " has no column \"" + std::string(column) + "\" in its first line";
}

bool read_number(std::string_view text, double& value) {
  if (text.empty()) return false;
  if (text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = float_from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool read_position(std::string_view latitude, std::string_view longitude, geo_point& p) {
  return read_number(latitude, p.latitude_deg) && read_number(longitude, p.longitude_deg) &&
         std::fabs(p.latitude_deg) <= 90.0 && std::fabs(p.longitude_deg) <= 180.0;
}

// The header row, or the error of a file that has none.
std::string read_header(csv_rows& rows, std::string_view file) {
  if (rows.next()) return "";
  return rows.error().empty() ? std::string(file) + " is empty" : rows.error();
}

// The columns read, by header name; those before airport_required (runway_required) must be there.
enum { ident, type, latitude, longitude, name, elevation, country, time_zone };
constexpr std::array<std::string_view, 8> airport_names = {"ident", "type",         "latitude_deg", "longitude_deg",
                                                           "name",  "elevation_ft", "iso_country",  "time_zone"};
constexpr int airport_required = longitude + 1;

enum { airport, closed, le_ident, le_latitude, le_longitude, le_heading, he_ident };
constexpr std::array<std::string_view, 10> runway_names = {
    "airport_ident",   "closed",   "le_ident",        "le_latitude_deg",  "le_longitude_deg",
    "le_heading_degT", "he_ident", "he_latitude_deg", "he_longitude_deg", "he_heading_degT"};
constexpr int runway_required = airport + 1;

template <std::size_t N>
std::string read_columns(csv_rows& rows, std::string_view file, const std::array<std::string_view, N>& names,
                         int required, std::array<int, N>& column) {
  if (std::string e = read_header(rows, file); !e.empty()) return e;
  column = find_columns(rows, names);
  for (int i = 0; i < required; ++i) {
    if (column[i] < 0) return missing_column(file, names[i]);
  }
  return "";
}

std::string airport_columns(csv_rows& rows, std::array<int, airport_names.size()>& column) {
  return read_columns(rows, "airports.csv", airport_names, airport_required, column);
}

std::string runway_columns(csv_rows& rows, std::array<int, runway_names.size()>& column) {
  return read_columns(rows, "runways.csv", runway_names, runway_required, column);
}

}  // namespace

std::string check_airports_csv_header(std::FILE* file) {
  csv_rows rows(file);
  std::array<int, airport_names.size()> column;
  return airport_columns(rows, column);
}

std::string check_runways_csv_header(std::FILE* file) {
  csv_rows rows(file);
  std::array<int, runway_names.size()> column;
  return runway_columns(rows, column);
}

int csv_rows::read_char() {
  if (at_ == filled_) {
    filled_ = std::fread(buffer_, 1, sizeof buffer_, file_);
    at_ = 0;
    if (filled_ == 0) return EOF;
  }
  return static_cast<unsigned char>(buffer_[at_++]);
}

bool csv_rows::fail(const std::string& what) {
  error_ = "line " + std::to_string(row_line_) + ": " + what;
  return false;
}

bool csv_rows::next() {
  row_.clear();
  bounds_.clear();
  if (!error_.empty()) return false;
  row_line_ = line_;
  int c = read_char();
  if (line_ == 1 && c == 0xEF) {  // the UTF-8 byte order mark a spreadsheet may put first
    const int b = read_char();
    const int m = read_char();
    if (b != 0xBB || m != 0xBF) return fail("the file does not start as UTF-8 text");
    c = read_char();
  }
  if (c == EOF) return std::ferror(file_) ? fail("the file cannot be read") : false;
  std::size_t field_start = 0;
  bool in_quotes = false;
  const auto append = [&](int ch) {
    if (row_.size() == max_row_bytes) return false;
    row_ += static_cast<char>(ch);
    return true;
  };
  for (;; c = read_char()) {
    if (c == EOF && std::ferror(file_)) return fail("the file cannot be read");
    if (in_quotes) {
      if (c == EOF) return fail("a quoted field has no closing quote");
      if (c == '"') {
        c = read_char();
        if (c != '"') in_quotes = false;  // the closing quote; c is what follows it
      }
      if (in_quotes) {
        if (c == '\n') ++line_;
        if (!append(c)) return fail("a row is longer than 64 KiB");
        continue;
      }
    }
    if (c == '\r') {  // a CRLF line end reads as a LF; a lone CR stays in its field
      c = read_char();
      if (c != '\n' && c != EOF && !append('\r')) return fail("a row is longer than 64 KiB");
    }
    if (c == ',' || c == '\n' || c == EOF) {
      if (bounds_.size() == max_fields) return fail("a row has more than 256 fields");
      bounds_.emplace_back(field_start, row_.size());
      if (c != ',') {
        if (c == '\n') ++line_;
        return true;
      }
      field_start = row_.size();
    } else if (c == '"' && row_.size() == field_start) {
      in_quotes = true;
    } else if (!append(c)) {
      return fail("a row is longer than 64 KiB");
    }
  }
}

std::string_view csv_rows::field(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= bounds_.size()) return {};
  const auto [begin, end] = bounds_[static_cast<std::size_t>(index)];
  return std::string_view(row_).substr(begin, end - begin);
}

std::string read_airports_csv(std::FILE* file, const std::function<bool(const geo_point&)>& wanted,
                              const std::function<void(airport_entry&&)>& take, csv_read_counts& counts) {
  csv_rows rows(file);
  std::array<int, airport_names.size()> column;
  if (std::string e = airport_columns(rows, column); !e.empty()) return e;
  while (rows.next()) {
    ++counts.rows;
    airport_entry a;
    const std::string_view id = rows.field(column[ident]);
    if (id.empty() || !airport_type_from_name(rows.field(column[type]), a.type) ||
        !read_position(rows.field(column[latitude]), rows.field(column[longitude]), a.reference)) {
      ++counts.skipped;
      continue;
    }
    if (!wanted(a.reference)) continue;
    a.ident = id;
    a.name = rows.field(column[name]);
    double elevation_ft = 0.0;
    if (read_number(rows.field(column[elevation]), elevation_ft) && std::fabs(elevation_ft) < 100000.0) {
      a.has_elevation = true;
      a.elevation_ft = static_cast<int>(std::lround(elevation_ft));
    }
    a.country = rows.field(column[country]);
    a.time_zone = rows.field(column[time_zone]);
    ++counts.taken;
    take(std::move(a));
  }
  return rows.error();
}

std::string read_runways_csv(std::FILE* file, const std::function<bool(std::string_view)>& wanted,
                             const std::function<void(std::string_view, airport_runway&&)>& take,
                             csv_read_counts& counts) {
  constexpr int per_end = he_ident - le_ident;
  csv_rows rows(file);
  std::array<int, runway_names.size()> column;
  if (std::string e = runway_columns(rows, column); !e.empty()) return e;
  while (rows.next()) {
    ++counts.rows;
    const std::string_view ident = rows.field(column[airport]);
    const std::string_view is_closed = rows.field(column[closed]);
    if (ident.empty() || is_closed == "1" || is_closed == "true") {
      ++counts.skipped;
      continue;
    }
    if (!wanted(ident)) continue;
    airport_runway runway;
    for (int end = 0; end < 2; ++end) {
      const int at = le_ident + end * per_end;
      runway_end& e = runway.ends[end];
      e.ident = rows.field(column[at]);
      e.has_position = read_position(rows.field(column[at + 1]), rows.field(column[at + 2]), e.position);
      double heading = 0.0;
      if (read_number(rows.field(column[at + 3]), heading) && heading >= 0.0 && heading <= 360.0) {
        e.heading_true_deg = heading == 360.0 ? 0.0 : heading;
      }
    }
    ++counts.taken;
    take(ident, std::move(runway));
  }
  return rows.error();
}

void add_runway(airport_entry& airport, airport_runway&& runway) {
  const auto known = [](const runway_end& e) { return !e.ident.empty() || e.has_position; };
  if (known(runway.ends[0]) || known(runway.ends[1])) {
    airport.runways.push_back(std::move(runway));
  } else {
    airport.has_unplaced_runway = true;
  }
}
