// Airports found for takeoff and landing points: the built table (from data/) and OurAirports'
// own CSV layout (an excerpt beside this test) answer the same known points at Seattle's
// airports, thresholds and true tracks taken from the data; damaged tables give errors.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "analysis/airport_csv.h"
#include "analysis/airport_lookup.h"
#include "analysis/airport_rules.h"
#include "analysis/airport_table_format.h"
#include "support/run_program.h"

namespace {

const std::string built_table = std::string(ORVEX_BINARY_DIR) + "/share/orvexdecode/airports.idx";
const std::string excerpt = std::string(ORVEX_SOURCE_DIR) + "/tests/analysis/airports/airports.csv";
constexpr double no_track = std::numeric_limits<double>::quiet_NaN();

airport_lookup open_lookup(const std::string& source) {
  airport_lookup::opened o = airport_lookup::open(source);
  EXPECT_EQ(o.error, "") << source;
  return std::move(o.lookup);
}

std::optional<airport_match> find_one(const airport_lookup& lookup, geo_point p, double track,
                                      const airport_options& options = {}) {
  const airport_query q{p, track};
  std::vector<std::optional<airport_match>> matches;
  const std::string error = lookup.find_all({&q, 1}, options, matches);
  EXPECT_EQ(error, "");
  return matches.empty() ? std::nullopt : matches[0];
}

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string answer(const std::optional<airport_match>& m) {
  return m ? m->ident + " " + (m->runway.empty() ? "-" : m->runway) : "nothing";
}

struct known_point {
  const char* where;
  geo_point point;
  double track;  // true
  const char* expected;  // ident and runway ("-": none), or "nothing"
  double radius_m = default_capture_radius_m;
  bool other_bases = false;
  bool in_excerpt = true;  // the CSV excerpt holds the airport
};

// clang-format off
const known_point known_points[] = {
  {"KSEA 16L threshold, landing south", {47.463799, -122.307999}, 180, "KSEA 16L"},
  {"KSEA 34R threshold, taking off north", {47.431198, -122.307999}, 0.5, "KSEA 34R"},
  {"KSEA 16C threshold, between its parallels", {47.463799, -122.310997}, 181, "KSEA 16C"},
  {"KSEA halfway along 34L", {47.452, -122.318001}, 358, "KSEA 34L"},
  {"KSEA 34R threshold, 1.9 km from the reference point, radius 1.5 km", {47.431198, -122.307999}, 359, "KSEA 34R", 1500},
  {"KSEA without a track", {47.45, -122.31}, no_track, "KSEA -"},
  {"KSEA 16L, track 160: the designator times ten, 20 deg off the true heading", {47.463799, -122.307999}, 160, "KSEA -"},
  {"KSEA 16L, track 164.5: just past 15 deg", {47.463799, -122.307999}, 164.5, "KSEA -"},
  {"KSEA 16L, track 165.5: just within 15 deg", {47.463799, -122.307999}, 165.5, "KSEA 16L"},
  {"KRNT 16 threshold", {47.5005, -122.217003}, 174, "KRNT 16"},
  {"KRNT 34 threshold", {47.4858, -122.214996}, 354, "KRNT 34"},
  {"KRNT 16 with seaplane bases asked for: W36 lies 170 m off", {47.5005, -122.217003}, 170, "KRNT 16", 3000, true},
  {"KBFI 14R threshold", {47.540501, -122.310997}, 140, "KBFI 14R"},
  {"KBFI 32R threshold, its parallel 32L 180 m off", {47.529202, -122.300003}, 320, "KBFI 32R"},
  {"KPAE 16R threshold", {47.921299, -122.286003}, 179, "KPAE 16R", 3000, false, false},
  {"KPAE 34R threshold", {47.898201, -122.272003}, 2, "KPAE 34R", 3000, false, false},
  {"Mount Rainier's summit", {46.853, -121.760}, 90, "nothing"},
  {"Harborview Medical Center's roof", {47.604, -122.322998}, 90, "nothing"},
  {"Harborview Medical Center's roof, heliports asked for", {47.604, -122.322998}, 90, "WA53 -", 3000, true},
  {"00A, a helipad whose place the data does not give", {40.070985, -74.933689}, 90, "00A -", 3000, true},
  {"Sand Point, a closed naval air station", {47.68164, -122.25347}, 90, "nothing"},
  {"2.7 km from Rabi Island (NFFR), across the 180th meridian", {-16.5337, -179.999}, 90, "NFFR -", 3000, false, false},
};
// clang-format on

}  // namespace

TEST(AirportLookup, KnownPointsFindTheirAirportAndRunway) {
  const airport_lookup table = open_lookup(built_table);
  const airport_lookup csv = open_lookup(excerpt);
  ASSERT_TRUE(table.enabled());
  for (const known_point& k : known_points) {
    const airport_options o{k.radius_m, k.other_bases};
    EXPECT_EQ(answer(find_one(table, k.point, k.track, o)), k.expected) << "table: " << k.where;
    if (k.in_excerpt) {
      EXPECT_EQ(answer(find_one(csv, k.point, k.track, o)), k.expected) << "CSV: " << k.where;
    }
  }
}

TEST(AirportLookup, AnswersCarryTheAirportsFacts) {
  const std::optional<airport_match> m = find_one(open_lookup(built_table), {47.5005, -122.217003}, 174);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->name, "Renton Municipal Airport");
  EXPECT_EQ(m->type, airport_type::small_airport);
  EXPECT_TRUE(m->has_elevation);
  EXPECT_EQ(m->elevation_ft, 32);
  EXPECT_EQ(m->country, "US");
  EXPECT_EQ(m->time_zone, "America/Los_Angeles");
  EXPECT_NEAR(m->distance_m, 0.0, 1.0);
  EXPECT_NEAR(m->runway_distance_m, 0.0, 1.0);
  EXPECT_NEAR(m->runway_heading_true_deg, 174.0, 0.05);
}

TEST(AirportLookup, FarEndOfALongRunwayIsWithinReachThoughTheReferencePointIsNot) {
  // 1.5 km past the 34R threshold on the extended centre line of KSEA's 3.6 km runway 16L/34R.
  const geo_point p{47.4177, -122.307999};
  const geo_point reference{47.447943, -122.310276};
  ASSERT_GT(distance_m(p, reference), 3000.0);
  for (const std::string& source : {built_table, excerpt}) {
    const std::optional<airport_match> m = find_one(open_lookup(source), p, 0.0);
    ASSERT_TRUE(m) << source;
    EXPECT_EQ(answer(m), "KSEA 34R") << source;
    EXPECT_NEAR(m->distance_m, 1500.0, 15.0) << source;
    EXPECT_NEAR(m->runway_distance_m, 1500.0, 15.0) << source;
  }
}

TEST(AirportLookup, BatchAnswersEachQueryInItsPlace) {
  const airport_query queries[] = {
      {{47.5005, -122.217003}, 174}, {{46.853, -121.760}, 0}, {{91.0, 0.0}, 0}, {{47.463799, -122.307999}, 180}};
  for (const std::string& source : {built_table, excerpt}) {
    std::vector<std::optional<airport_match>> m;
    ASSERT_EQ(open_lookup(source).find_all(queries, {}, m), "");
    ASSERT_EQ(m.size(), 4u);
    EXPECT_EQ(answer(m[0]) + ", " + answer(m[1]) + ", " + answer(m[2]) + ", " + answer(m[3]),
              "KRNT 16, nothing, nothing, KSEA 16L")
        << source;
  }
}

TEST(AirportLookup, NoneTurnsLookupsOff) {
  const airport_lookup off = open_lookup("none");
  EXPECT_FALSE(off.enabled());
  EXPECT_EQ(answer(find_one(off, {47.5005, -122.217003}, 174)), "nothing");
}

TEST(AirportLookup, DefaultTableIsFoundBesideTheExecutableOrWhereTheEnvironmentSays) {
  unsetenv("ORVEXDECODE_AIRPORTS");
  EXPECT_EQ(default_airport_table_path(), std::filesystem::path(built_table).lexically_normal().string());
  EXPECT_TRUE(airport_lookup::open("").lookup.enabled());
  setenv("ORVEXDECODE_AIRPORTS", excerpt.c_str(), 1);
  EXPECT_EQ(default_airport_table_path(), excerpt);
  EXPECT_EQ(airport_lookup::open("").lookup.source(), excerpt);
  setenv("ORVEXDECODE_AIRPORTS", "none", 1);
  EXPECT_FALSE(airport_lookup::open("").lookup.enabled());
  EXPECT_EQ(airport_lookup::open("").error, "");
  unsetenv("ORVEXDECODE_AIRPORTS");
}

// OurAirports' CSV has no zones: its airports take the default table's nearest airport's.
TEST(AirportLookup, CsvAirportsTakeTheZoneOfTheDefaultTablesNearestAirport) {
  struct case_ {
    const char* where;
    const char* default_table;  // ORVEXDECODE_AIRPORTS; "" to unset it (the built table)
    geo_point point;
    bool other_bases;
    const char* zone;
  };
  // clang-format off
  const case_ cases[] = {
    {"KRNT, the built table", "", {47.4858, -122.214996}, false, "America/Los_Angeles"},
    {"KBFI, the built table named", built_table.c_str(), {47.540501, -122.310997}, false, "America/Los_Angeles"},
    {"00A, a Pennsylvania heliport", "", {40.070985, -74.933689}, true, "America/New_York"},
    {"KRNT, no default table", "none", {47.4858, -122.214996}, false, ""},
    {"KRNT, the CSV itself as the default", excerpt.c_str(), {47.4858, -122.214996}, false, ""},
  };
  // clang-format on
  for (const case_& c : cases) {
    if (*c.default_table == '\0') {
      unsetenv("ORVEXDECODE_AIRPORTS");
    } else {
      setenv("ORVEXDECODE_AIRPORTS", c.default_table, 1);
    }
    const airport_lookup csv = open_lookup(excerpt);
    airport_options options;
    options.other_bases = c.other_bases;
    const std::optional<airport_match> m = find_one(csv, c.point, no_track, options);
    ASSERT_TRUE(m) << c.where;
    EXPECT_EQ(m->time_zone, c.zone) << c.where;
  }
  unsetenv("ORVEXDECODE_AIRPORTS");
}

TEST(AirportCsv, ReadsOurAirportsQuotingLineEndsAndClosedRows) {
  // A file saved by a spreadsheet: a byte order mark before its first column, CRLF line ends.
  temp_files dir;
  dir.write("airports.csv",
            "\xEF\xBB\xBF\"ident\",\"id\",\"type\",\"name\",\"latitude_deg\",\"longitude_deg\",\"elevation_ft\"\r\n"
            "\"XA\",1,\"small_airport\",\"Strip \"\"Two\"\", North,\r\nEnd\",10.0,20.0,\r\n"
            "\"XB\",2,\"closed\",\"Gone\",10.01,20.0,5\r\n"
            "\"XC\",3,\"small_airport\",\"Bad\",100.0,20.0,5\r\n"
            "\"XD\",4,\"small_airport\",\"Dot\",10.2,20.0,7");
  dir.write("runways.csv",
            "\"airport_ident\",\"closed\",\"le_ident\",\"le_heading_degT\",\"he_ident\",\"he_heading_degT\"\n"
            "\"XA\",1,\"09\",95,\"27\",275\n"
            "\"XA\",0,\"18\",183,\"36\",\n");
  const airport_lookup csv = open_lookup(dir.path("airports.csv"));
  const std::optional<airport_match> xa = find_one(csv, {10.0, 20.0}, 3.5);  // the reverse of 18's heading
  ASSERT_TRUE(xa);
  EXPECT_EQ(xa->name, "Strip \"Two\", North,\r\nEnd");  // a line break in quotes is kept as it is
  EXPECT_FALSE(xa->has_elevation);
  EXPECT_EQ(xa->runway, "36");  // 09/27 is closed
  EXPECT_TRUE(std::isnan(xa->runway_distance_m));
  EXPECT_EQ(answer(find_one(csv, {10.01, 20.0}, no_track)), "XA -");  // XB is closed
  EXPECT_EQ(answer(find_one(csv, {10.2, 20.0}, no_track)), "XD -");   // the last line has no line end
}

TEST(AirportCsv, RefusesFilesItCannotRead) {
  temp_files dir;
  const struct {
    const char* airports;
    const char* says;
  } rows[] = {
      {"", "airports.csv is empty"},
      {"\"ident\",\"type\",\"latitude_deg\"\n", "airports.csv has no column \"longitude_deg\""},
  };
  for (const auto& r : rows) {
    const airport_lookup::opened o = airport_lookup::open(dir.write("airports.csv", r.airports));
    EXPECT_NE(o.error.find(r.says), std::string::npos) << o.error;
    EXPECT_FALSE(o.lookup.enabled());
  }
  EXPECT_NE(airport_lookup::open(dir.path("missing.csv")).error.find("No such file"), std::string::npos);
  EXPECT_NE(airport_lookup::open(dir.dir).error.find("not a file"), std::string::npos);

  // Errors found while reading rows come with their line.
  const std::string header = "ident,type,latitude_deg,longitude_deg\n";
  const struct {
    std::string airports;
    const char* says;
  } late[] = {
      {header + "XA,small_airport,10,20\nXB,small_airport,\"10,20\n", "line 3: a quoted field has no closing quote"},
      {header + "XA,small_airport,10,20," + std::string(70000, 'x') + "\n", "line 2: a row is longer than 64 KiB"},
      {header + std::string(300, ',') + "\n", "line 2: a row has more than 256 fields"},
  };
  for (const auto& r : late) {
    const airport_lookup csv = open_lookup(dir.write("airports.csv", r.airports));
    const airport_query q{{10.0, 20.0}, 0};
    std::vector<std::optional<airport_match>> m;
    const std::string error = csv.find_all({&q, 1}, {}, m);
    EXPECT_NE(error.find(r.says), std::string::npos) << error;
    EXPECT_FALSE(m[0]);
  }
}

TEST(AirportTable, DamagedOrCutFilesGiveAnErrorNeverAWrongAnswer) {
  // A small table of the excerpt's Seattle airports, all read by the query below: its bytes cut
  // at every length, and every byte changed.
  std::vector<airport_entry> airports;
  csv_read_counts counts;
  std::FILE* f = std::fopen(excerpt.c_str(), "rb");
  ASSERT_EQ(read_airports_csv(f, [](const geo_point&) { return true; },
                              [&](airport_entry&& a) { airports.push_back(std::move(a)); }, counts), "");
  std::fclose(f);
  std::erase_if(airports, [](const airport_entry& a) { return a.reference.latitude_deg < 47.0; });
  const std::string runways = std::filesystem::path(excerpt).parent_path() / "runways.csv";
  f = std::fopen(runways.c_str(), "rb");
  ASSERT_EQ(read_runways_csv(f, [](std::string_view) { return true; },
                             [&](std::string_view ident, airport_runway&& r) {
                               for (airport_entry& a : airports) {
                                 if (a.ident == ident) add_runway(a, std::move(r));
                               }
                             }, counts), "");
  std::fclose(f);
  temp_files dir;
  const std::string path = dir.path("airports.idx");
  ASSERT_EQ(write_airport_table(airports, path), "");
  const std::string good = read_bytes(path);
  const airport_query q{{47.5005, -122.217003}, 174};  // KRNT: its cell and its neighbours' are read
  const airport_options o{default_capture_radius_m, true};
  airport_table::opened t = airport_table::open(path);
  ASSERT_TRUE(t.table) << t.error;
  const airport_lookup_result sound = t.table->find(q, o);
  ASSERT_TRUE(sound.ok());
  ASSERT_EQ(answer(sound.match), "KRNT 16");

  // Every byte but those of the grid rows (720 of 12 bytes, most of them zeros), of which every
  // seventh.
  const auto next = [](std::size_t at) {
    const bool in_grid = at >= airport_file::header_size && at < airport_file::zones_offset;
    return at + (in_grid ? 7 : 1);
  };
  for (std::size_t size = 0; size < good.size(); size = next(size)) {
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);
    const airport_table::opened cut = airport_table::open(path);
    EXPECT_FALSE(cut.table) << size;
    EXPECT_FALSE(cut.error.empty());
  }
  dir.write("airports.idx", good);
  const int fd = open(path.c_str(), O_WRONLY);
  std::size_t tried = 0;
  std::size_t detected = 0;
  for (std::size_t at = 0; at < good.size(); at = next(at), ++tried) {
    const char changed = static_cast<char>(good[at] ^ 0x41);
    ASSERT_EQ(pwrite(fd, &changed, 1, static_cast<off_t>(at)), 1);
    airport_table::opened damaged = airport_table::open(path);
    const airport_lookup_result r = damaged.table ? damaged.table->find(q, o) : airport_lookup_result{};
    ASSERT_EQ(pwrite(fd, &good[at], 1, static_cast<off_t>(at)), 1);
    if (!damaged.table || !r.ok()) {
      ++detected;
      EXPECT_FALSE(r.match);
    } else {
      EXPECT_EQ(answer(r.match), "KRNT 16") << "byte " << at;
    }
  }
  close(fd);
  EXPECT_EQ(detected, tried);
}

TEST(AirportTable, CellsOfAnyContentAreReadWithinTheirBounds) {
  // A cell whose bytes were changed and whose checks were made again: the reader must hold to
  // the cell's bounds whatever the bytes say.
  airport_entry a;
  a.ident = "KRNT";
  a.name = "Renton";
  a.reference = {47.4930992126, -122.216003418};
  a.runways.resize(1);
  a.runways[0].ends[0] = {"16", true, {47.5005, -122.217003}, 174.0};
  a.runways[0].ends[1] = {"34", true, {47.4858, -122.214996}, 354.0};
  temp_files dir;
  const std::string path = dir.path("airports.idx");
  ASSERT_EQ(write_airport_table({a}, path), "");
  const std::string good = read_bytes(path);
  using namespace airport_file;
  const std::size_t directory = u32_at(reinterpret_cast<const std::uint8_t*>(good.data()) + at_directory_offset);
  const std::size_t cells = u32_at(reinterpret_cast<const std::uint8_t*>(good.data()) + at_cells_offset);
  const std::size_t row = row_of(a.reference.latitude_deg);
  const int fd = open(path.c_str(), O_WRONLY);
  std::uint32_t seed = 12345;
  for (int trial = 0; trial < 3000; ++trial) {
    std::string bad = good;
    auto* bytes = reinterpret_cast<std::uint8_t*>(bad.data());
    for (int n = 0; n < 1 + trial % 4; ++n) {
      seed = seed * 1103515245u + 12345u;
      const std::size_t at = cells + (seed >> 8) % (bad.size() - cells);
      bytes[at] = static_cast<std::uint8_t>(seed >> 24);
    }
    const auto set = [&](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    set(directory + 12, crc32({bytes + cells, bad.size() - cells}));
    set(header_size + row * row_entry_size + 8, crc32({bytes + directory, directory_entry_size}));
    set(at_front_crc, crc32({bytes + header_size, directory - header_size}, crc32({bytes, at_front_crc})));
    ASSERT_EQ(pwrite(fd, bad.data(), bad.size(), 0), static_cast<ssize_t>(bad.size()));
    airport_table::opened t = airport_table::open(path);
    ASSERT_TRUE(t.table) << t.error;
    const airport_lookup_result r = t.table->find({{47.5005, -122.217003}, 174}, {});
    if (!r.ok()) {
      EXPECT_NE(r.error.find("cannot be read"), std::string::npos) << r.error;
    }
  }
  close(fd);
}

TEST(AirportTable, RefusesWhatIsNoTable) {
  temp_files dir;
  const struct {
    std::string bytes;
    const char* says;
  } rows[] = {
      {"", "shorter than its header"},
      {std::string(64, 'x'), "not an airport table"},
      {std::string("ORVXAPT1\x02\0\0\0", 12) + std::string(52, '\0'), "another version"},
  };
  for (const auto& r : rows) {
    const airport_table::opened o = airport_table::open(dir.write("t.idx", r.bytes));
    EXPECT_NE(o.error.find(r.says), std::string::npos) << o.error;
  }
  EXPECT_NE(airport_table::open(dir.path("none.idx")).error.find("No such file"), std::string::npos);
}
