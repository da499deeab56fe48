// Builds the airport table file the commands look airports up in from the airports.csv and
// runways.csv of OurAirports' layout (the build runs it on data/, see data/CMakeLists.txt):
//
//   make_airport_index AIRPORTS_CSV RUNWAYS_CSV TABLE
//
// Exit status 0, or 2 with a message on standard error.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/airport_csv.h"
#include "analysis/airport_table.h"

namespace {

int fail(const std::string& message) {
  std::fprintf(stderr, "ERROR: %s\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return fail("usage: make_airport_index AIRPORTS_CSV RUNWAYS_CSV TABLE");
  std::vector<airport_entry> airports;
  csv_read_counts counts;
  std::FILE* in = std::fopen(argv[1], "rb");
  if (in == nullptr) return fail(std::string(argv[1]) + ": cannot be opened");
  std::string error = read_airports_csv(
      in, [](const geo_point&) { return true; }, [&](airport_entry&& a) { airports.push_back(std::move(a)); }, counts);
  std::fclose(in);
  if (!error.empty()) return fail(std::string(argv[1]) + ": " + error);

  std::stable_sort(airports.begin(), airports.end(),
                   [](const airport_entry& a, const airport_entry& b) { return a.ident < b.ident; });
  const auto first_with = [&](std::string_view ident) {
    return std::lower_bound(airports.begin(), airports.end(), ident,
                            [](const airport_entry& a, std::string_view id) { return a.ident < id; });
  };
  in = std::fopen(argv[2], "rb");
  if (in == nullptr) return fail(std::string(argv[2]) + ": cannot be opened");
  error = read_runways_csv(
      in,
      [&](std::string_view ident) {
        const auto a = first_with(ident);
        return a != airports.end() && a->ident == ident;
      },
      [&](std::string_view ident, airport_runway&& runway) { add_runway(*first_with(ident), std::move(runway)); },
      counts);
  std::fclose(in);
  if (!error.empty()) return fail(std::string(argv[2]) + ": " + error);

  error = write_airport_table(std::move(airports), argv[3]);
  return error.empty() ? 0 : fail(error);
}
