#include "analysis/airport_lookup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "analysis/airport_csv.h"
#include "analysis/airport_rules.h"
#include "analysis/airport_table_format.h"

namespace {

bool is_file(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Whether a query can be answered: a place on the Earth and a sound capture radius.
bool answerable(const airport_query& q, const airport_options& o) {
  return std::abs(q.point.latitude_deg) <= 90.0 && std::abs(q.point.longitude_deg) <= 180.0 &&
         o.capture_radius_m >= 0.0 && o.capture_radius_m <= 1.0e6;
}

// Closes a file when it goes out of scope.
struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

file_handle open_file(const std::string& path, std::string& error) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    error = path + ": " + std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(st.st_mode)) {
    error = path + ": not a file";
    return nullptr;
  }
  file_handle f(std::fopen(path.c_str(), "rb"));
  if (!f) error = path + ": " + std::strerror(errno);
  return f;
}

// The running program's own file, or "" where the system does not tell it.
std::string executable_path() {
  char buffer[4096];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer) return "";
  return std::string(buffer, static_cast<std::size_t>(length));
}

// The default table, when there is one that opens, to lend its zones to a CSV's airports.
std::optional<airport_table> zone_table(const std::string& csv_path) {
  const std::string path = default_airport_table_path();
  if (path.empty() || path == "none" || path == csv_path) return std::nullopt;
  airport_table::opened t = airport_table::open(path);
  return std::move(t.table);
}

// The zone of the table's airport nearest to a point (heliports and seaplane bases count: they
// are places as well), or "" when none lies within zone_borrow_radius_m or the table fails.
std::string zone_near(const airport_table& table, const geo_point& point) {
  const airport_lookup_result r = table.find({point, std::nan("")}, {zone_borrow_radius_m, true});
  return r.ok() && r.match ? r.match->time_zone : std::string();
}

}  // namespace

std::string default_airport_table_path(std::vector<std::string>* tried) {
  const auto look = [&](const std::string& place) {
    if (tried != nullptr) tried->push_back(place);
    return is_file(place);
  };
  if (const char* env = std::getenv("ORVEXDECODE_AIRPORTS"); env != nullptr && *env != '\0') {
    if (tried != nullptr) tried->push_back(env);
    return env;
  }
  if (const std::string executable = executable_path(); !executable.empty()) {
    const std::string beside = (std::filesystem::path(executable).parent_path() / ".." / "share" / "orvexdecode" /
                                "airports.idx")
                                   .lexically_normal()
                                   .string();
    if (look(beside)) return beside;
  }
#ifdef ORVEX_INSTALL_DATADIR
  const std::string installed = std::string(ORVEX_INSTALL_DATADIR) + "/orvexdecode/airports.idx";
  if (look(installed)) return installed;
#endif
  return "";
}

airport_lookup::opened airport_lookup::open(std::string_view source) {
  opened result;
  std::string path(source);
  if (path.empty()) {
    std::vector<std::string> tried;
    path = default_airport_table_path(&tried);
    if (path.empty()) {
      result.error = "no airport table found (looked for";
      for (const std::string& place : tried) result.error += " " + place;
      result.error += ")";
      return result;
    }
  }
  if (path == "none") return result;

  file_handle f = open_file(path, result.error);
  if (!f) return result;
  std::uint8_t start[airport_file::magic.size()] = {};
  const std::size_t n = std::fread(start, 1, sizeof start, f.get());
  if (n == sizeof start && std::equal(airport_file::magic.begin(), airport_file::magic.end(), start)) {
    airport_table::opened t = airport_table::open(path);
    if (!t.table) {
      result.error = t.error;
      return result;
    }
    result.lookup.kind_ = kind::table;
    result.lookup.table_ = std::move(t.table);
    result.lookup.source_ = path;
    return result;
  }
  // Not a table: OurAirports' airports.csv, with its runways.csv beside it when there is one.
  std::rewind(f.get());
  if (std::string e = check_airports_csv_header(f.get()); !e.empty()) {
    result.error = path + ": " + e;
    return result;
  }
  const std::string runways = (std::filesystem::path(path).parent_path() / "runways.csv").string();
  if (is_file(runways)) {
    file_handle r = open_file(runways, result.error);
    if (!r) return result;
    if (std::string e = check_runways_csv_header(r.get()); !e.empty()) {
      result.error = runways + ": " + e;
      return result;
    }
    result.lookup.runways_csv_ = runways;
  }
  result.lookup.kind_ = kind::csv;
  result.lookup.source_ = path;
  result.lookup.zones_ = zone_table(path);
  return result;
}

std::string airport_lookup::find_all(std::span<const airport_query> queries, const airport_options& options,
                                     std::vector<std::optional<airport_match>>& matches) const {
  matches.assign(queries.size(), std::nullopt);
  std::string error;
  if (kind_ == kind::table) {
    for (std::size_t i = 0; i < queries.size() && error.empty(); ++i) {
      airport_lookup_result r = table_->find(queries[i], options);
      error = r.error;
      matches[i] = std::move(r.match);
    }
  } else if (kind_ == kind::csv) {
    error = find_in_csv(queries, options, matches);
  }
  if (!error.empty()) matches.assign(queries.size(), std::nullopt);
  return error;
}

std::string airport_lookup::find_in_csv(std::span<const airport_query> queries, const airport_options& options,
                                        std::vector<std::optional<airport_match>>& matches) const {
  // The airports whose reference point lies within reach of a query: the capture radius and a
  // runway's farthest placed threshold (the same bound as the table's, plus the plane's margin).
  const double reach_m = options.capture_radius_m + runway_end_reach_m + 50.0;
  const double reach_deg = reach_m / 110000.0;
  std::vector<airport_query> answerable_queries;
  for (const airport_query& q : queries) {
    if (answerable(q, options)) answerable_queries.push_back(q);
  }
  if (answerable_queries.empty()) return "";
  const auto near_a_query = [&](const geo_point& p) {
    for (const airport_query& q : answerable_queries) {
      if (std::abs(q.point.latitude_deg - p.latitude_deg) <= reach_deg && distance_m(q.point, p) <= reach_m)
        return true;
    }
    return false;
  };
  std::vector<airport_entry> near;
  std::string error;
  csv_read_counts counts;
  {
    file_handle f = open_file(source_, error);
    if (!f) return error;
    error = read_airports_csv(
        f.get(), near_a_query, [&](airport_entry&& a) { near.push_back(std::move(a)); }, counts);
    if (!error.empty()) return source_ + ": " + error;
  }
  std::stable_sort(near.begin(), near.end(),
                   [](const airport_entry& a, const airport_entry& b) { return a.ident < b.ident; });
  const auto first_with = [&](std::string_view ident) {
    return std::lower_bound(near.begin(), near.end(), ident,
                            [](const airport_entry& a, std::string_view id) { return a.ident < id; });
  };
  if (!runways_csv_.empty() && !near.empty()) {
    file_handle f = open_file(runways_csv_, error);
    if (!f) return error;
    error = read_runways_csv(
        f.get(),
        [&](std::string_view ident) {
          const auto a = first_with(ident);
          return a != near.end() && a->ident == ident;
        },
        [&](std::string_view ident, airport_runway&& runway) {
          for (auto a = first_with(ident); a != near.end() && a->ident == ident; ++a) {
            add_runway(*a, airport_runway(runway));
          }
        },
        counts);
    if (!error.empty()) return runways_csv_ + ": " + error;
  }
  for (std::size_t i = 0; i < queries.size(); ++i) {
    if (!answerable(queries[i], options)) continue;
    for (const airport_entry& a : near) {
      std::optional<airport_match> m = match_airport(a, queries[i], options);
      if (m && (!matches[i] || is_better_match(*m, *matches[i]))) matches[i] = std::move(m);
    }
    if (matches[i] && matches[i]->time_zone.empty() && zones_) {
      matches[i]->time_zone = zone_near(*zones_, matches[i]->reference);
    }
  }
  return "";
}
