// The exports of a simulated flight read by the real readers their users have: xmllint with the
// published GPX 1.1 schema, GPSBabel (the GPX and the avionics CSV, which must give the same
// positions), a KML-to-GeoJSON converter under node (tests/export/kml_reader), which must see
// the times, and GDAL's LIBKML driver. Each test is skipped where its reader is not installed
// (CI installs them all) or, for the schema, where ../shared/schemas is missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>

#include "flight_simulator.h"
#include "support/capture.h"
#include "support/run_program.h"

namespace {

const std::string exporter = ORVEX_EXPORT_PATH;
const std::string kml_reader_dir = std::string(ORVEX_SOURCE_DIR) + "/tests/export/kml_reader";

bool has_command(const char* name) {
  return run_program("/bin/sh", std::string("-c 'command -v ") + name + "'").status == 0;
}

// One simulated flight, written once for every test here.
const std::string& flight_log_path() {
  static const temp_files files;
  static const std::string path = files.write("flight.LOG", simulated_log({.seed = 7, .minutes = 12.0}));
  return path;
}

// The document of one export of the flight, in a file.
std::string exported(const temp_files& t, const std::string& format, const std::string& options = "") {
  const std::string out = t.path("flight." + format);
  const program_result r =
      run_program(exporter, format + " " + options + " " + shell_quote(flight_log_path()) + " " + shell_quote(out));
  EXPECT_EQ(r.status, 0) << r.err;
  return out;
}

// The "latitude,longitude" pairs and times of GPSBabel's unicsv of a track file.
struct babel_points {
  std::set<std::string> positions;
  std::vector<std::string> times;
  std::size_t count = 0;
};

babel_points read_with_gpsbabel(const std::string& format, const std::string& path) {
  const program_result r = run_program("gpsbabel", "-t -i " + format + " -f " + shell_quote(path) + " -o unicsv -F -");
  EXPECT_EQ(r.status, 0) << r.err;
  babel_points p;
  std::istringstream lines(r.out);
  std::string line;
  std::getline(lines, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  EXPECT_EQ(line, "No,Latitude,Longitude,Altitude,Date,Time");
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, ',');) cells.push_back(cell);
    if (cells.size() < 6) continue;
    p.positions.insert(cells[1] + "," + cells[2]);
    p.times.push_back(cells[4] + " " + cells[5]);
    ++p.count;
  }
  return p;
}

}  // namespace

TEST(ExportReaders, GpxValidatesAgainstThePublishedSchema) {
  const std::string schema = std::string(ORVEX_SOURCE_DIR) + "/../shared/schemas/gpx-1.1.xsd";
  if (!std::filesystem::exists(schema)) GTEST_SKIP() << schema << " is missing";
  const temp_files t;
  for (const char* options : {"", "--flight 1", "--from 100 --to 200", "--from 999999"}) {
    const std::string gpx = exported(t, "gpx", options);
    const program_result r = run_program("xmllint", "--noout --schema " + shell_quote(schema) + " " + shell_quote(gpx));
    EXPECT_EQ(r.status, 0) << options << "\n" << r.err;
  }
}

TEST(ExportReaders, GpsbabelReadsTheSamePositionsFromTheGpxAndTheAvionicsCsv) {
  if (!has_command("gpsbabel")) GTEST_SKIP() << "gpsbabel is not installed (Debian package gpsbabel)";
  const temp_files t;
  const babel_points gpx = read_with_gpsbabel("gpx", exported(t, "gpx", "--flight 1"));
  const babel_points csv = read_with_gpsbabel("garmin_g1000", exported(t, "avionics-csv", "--flight 1"));
  ASSERT_GT(csv.count, 500u);  // about a row a second through the flight
  ASSERT_GT(gpx.count, 500u);
  // Every row holds the latest GPS 1 fix: a position the GPX has as a track point.
  for (const std::string& position : csv.positions) EXPECT_TRUE(gpx.positions.count(position)) << position;
  // One row a second, in UTC.
  EXPECT_EQ(std::set<std::string>(csv.times.begin(), csv.times.end()).size(), csv.count);
  EXPECT_EQ(csv.times.front().substr(0, 11), gpx.times.front().substr(0, 11));
}

TEST(ExportReaders, TogeojsonSeesTheTrackTimesAndTheWingtipSpans) {
  if (!has_command("node") || !std::filesystem::exists(kml_reader_dir + "/node_modules/@tmcw/togeojson/package.json")) {
    GTEST_SKIP() << "node or the npm packages of tests/export/kml_reader are not installed (scripts/test.sh)";
  }
  const temp_files t;
  const std::string kml = exported(t, "kml");
  const std::string csv = read_file(exported(t, "csv"));
  const program_result r = run_program("node", shell_quote(kml_reader_dir + "/read_kml.cjs") + " " + shell_quote(kml));
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(r.out.starts_with("root kml http://www.opengis.net/kml/2.2\n")) << r.out.substr(0, 200);
  // The track: as many times as positions, from the CSV's first row with a GPS 1 position.
  std::istringstream lines(r.out.substr(r.out.find("feature Flight path LineString ")));
  std::string word, count, times, first_time;
  lines >> word >> word >> word >> word >> count >> times;
  EXPECT_EQ(times, "times");
  lines >> word >> first_time;
  EXPECT_EQ(word, count);
  EXPECT_GT(std::stoul(count), 500u);
  EXPECT_EQ(count_of(r.out, "feature Left wingtip LineString 2\ntimespan 20"), std::stoul(count) - 1);
  EXPECT_EQ(count_of(r.out, "feature Right wingtip LineString 2\ntimespan 20"), std::stoul(count) - 1);
  EXPECT_NE(csv.find("\r\n" + first_time + ","), std::string::npos) << first_time;
}

TEST(ExportReaders, GdalReadsTheKmlTrackAndWingtips) {
  if (!has_command("ogrinfo")) GTEST_SKIP() << "ogrinfo is not installed (Debian package gdal-bin)";
  const temp_files t;
  const std::string kml = exported(t, "kml");
  const program_result r = run_program("ogrinfo", "-ro -al -geom=SUMMARY " + shell_quote(kml));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("using driver `LIBKML' successful"), std::string::npos) << r.out.substr(0, 400);
  EXPECT_NE(r.out.find("Name (String) = Flight path"), std::string::npos);
  EXPECT_NE(r.out.find("Layer name: Left wingtip"), std::string::npos);
  EXPECT_NE(r.out.find("Layer name: Right wingtip"), std::string::npos);
  EXPECT_NE(r.out.find("  LINESTRING : "), std::string::npos);
}
