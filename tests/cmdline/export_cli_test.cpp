// orvexdecode-export as a user meets it: arguments, streams, messages and exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "path/path_logs.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/run_program.h"

namespace {

const std::string program = ORVEX_EXPORT_PATH;

// Two GPS 1 fixes a second apart, an NMEA time on GPS 2 and an engine snapshot.
std::string small_log() {
  log_writer log;
  log.gps2(100, "$GPRMC,222246,A,4723.450,N,12212.340,W,095.5,123.4,110326,003.1,E*6A\r\n");
  log.gps1(200, aviation_fix("N 47 2345", "W 122 1234")).eis(300, {.tachometer = 2400});
  log.gps1(1200, aviation_fix("N 47 2346", "W 122 1234")).record(13, 2200, "end");
  return log.str();
}

}  // namespace

TEST(ExportCommandLine, FileAndRequestErrorsEndWithStatus2AndLeaveNoOutput) {
  const temp_files t;
  const std::string log = t.write("flight.LOG", small_log());
  const std::string out = t.path("out.csv");
  const struct {
    std::string args;
    const char* says;
  } rows[] = {
      {"csv " + t.path("missing.LOG") + " " + out, "ERROR: LOG can't be opened for reading: "},
      {"csv " + log + " " + log, "ERROR: Output file is the LOG itself: "},
      {"csv " + log + " " + t.path("no/such/dir/out.csv"), "ERROR: Output file can't be opened for writing: "},
      {"gpx --flight 2 " + log + " " + out, "ERROR: the LOG holds 0 flights, not flight 2\n"},
      {"gpx --airports " + t.path("missing.csv") + " " + log + " " + out, "ERROR: Airports can't be read: "},
      {"csv --airports " + t.path("missing.csv") + " " + log, ""},  // the plain CSV opens none
      {"csv --utc-start 2026-03-11T22:00:00Z --gps_2_aviation --from 2026-03-11T22:00:00Z " + log, ""},
  };
  for (const auto& r : rows) {
    const program_result result = run_program(program, r.args);
    if (r.says[0] == '\0') {  // runs that succeed: the user's clock places a UTC window in a LOG without GPS time
      EXPECT_EQ(result.status, 0) << r.args << result.err;
      continue;
    }
    EXPECT_EQ(result.status, 2) << r.args;
    EXPECT_TRUE(result.err.starts_with(r.says)) << r.args << "\n" << result.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << r.args;
  }
  EXPECT_EQ(read_file(log), small_log());
}

TEST(ExportCommandLine, StandardInputGivesWhatTheFileGives) {
  const temp_files t;
  const std::string log = t.write("flight.LOG", small_log());
  for (const char* format : {"csv", "avionics-csv", "gpx", "kml"}) {
    const program_result from_file = run_program(program, std::string(format) + " " + shell_quote(log));
    const program_result from_pipe = run_program(program, std::string(format) + " -", small_log());
    const program_result from_redirect = run_program(program, std::string(format) + " - - < " + shell_quote(log));
    EXPECT_EQ(from_file.status, 0) << from_file.err;
    EXPECT_EQ(from_pipe.status, 0) << from_pipe.err;
    EXPECT_EQ(from_pipe.out, from_file.out) << format;
    EXPECT_EQ(from_redirect.out, from_file.out) << format;
    EXPECT_GT(from_file.out.size(), 300u) << format;
  }
}

TEST(ExportCommandLine, AnEmptyWindowWarnsAndStillSucceeds) {
  const temp_files t;
  const std::string log = t.write("flight.LOG", small_log());
  const program_result r = run_program(program, "gpx --from 500 " + shell_quote(log));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "warning: the time window holds no record of the LOG\n");
  EXPECT_NE(r.out.find("</gpx>\n"), std::string::npos);
  EXPECT_EQ(r.out.find("<trk>"), std::string::npos);
}

// E1 MAP of the avionics CSV: empty without a profile; with one that maps aux 1, the manifold
// pressure the scenario planted there, its mean over each planted climb and cruise within a
// tenth of an inch of the truth's.
TEST(ExportCommandLine, TheProfileFillsE1MapFromItsAuxInput) {
  const temp_files t;
  scenario planned;
  scenario_error error;
  ASSERT_TRUE(read_scenario(read_file(std::string(ORVEX_SOURCE_DIR) + "/samples/scenarios/four_cylinder_map.scenario"),
                            planned, error));
  scenario_truth truth;
  const std::string log = t.write("map.LOG", scenario_log(planned, &truth, &error));
  const std::string profile = t.write("map.profile", "aux1 = manifold_pressure_inhg / 10   # tenths of inHg\n");
  const struct {
    const char* options;
    bool filled;
  } rows[] = {{"", false}, {"--profile map.profile", true}, {"--profile-set 'aux1=manifold_pressure_inhg/10'", true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.options);
    const program_result r = run_program(
        "/bin/sh", "-c " + shell_quote("cd " + shell_quote(t.dir) + " && " + shell_quote(program) +
                                       " avionics-csv " + row.options + " map.LOG"));
    ASSERT_EQ(r.status, 0) << r.err;
    // Column 28 (from 0) is E1 MAP; Lcl Time is column 1.
    std::map<std::int64_t, double> map_at;  // by UTC second
    std::size_t filled = 0;
    std::istringstream lines(r.out);
    std::string line;
    for (int n = 0; std::getline(lines, line); ++n) {
      if (n < 3) continue;
      std::vector<std::string> cells;
      std::istringstream cell_stream(line);
      for (std::string cell; std::getline(cell_stream, cell, ',');) {
        const std::size_t first = cell.find_first_not_of(" \r");
        cells.push_back(first == std::string::npos ? std::string() : cell.substr(first));
      }
      ASSERT_GT(cells.size(), 28u);
      if (cells[28].empty()) continue;
      ++filled;
      const int hours = std::stoi(cells[1].substr(0, 2));
      const int minutes = std::stoi(cells[1].substr(3, 2));
      const int seconds = std::stoi(cells[1].substr(6, 2));
      map_at[hours * 3600 + minutes * 60 + seconds] = std::stod(cells[28]);
    }
    if (!row.filled) {
      EXPECT_EQ(filled, 0u);
      continue;
    }
    ASSERT_GT(filled, 100u);
    std::size_t checked = 0;
    for (const truth_phase& p : truth.flights.at(0).phases) {
      if (p.phase != flown_phase::cruise && p.phase != flown_phase::climb) continue;
      double sum = 0.0;
      std::size_t count = 0;
      for (std::int64_t ms = p.start.utc_ms + 1000; ms + 1000 < p.end.utc_ms; ms += 1000) {
        const auto found = map_at.find((ms / 1000) % 86400);
        if (found == map_at.end()) continue;
        sum += found->second;
        ++count;
      }
      if (count < 30) continue;
      EXPECT_NEAR(sum / count, *p.engine.manifold_pressure_inhg.mean(), 0.1) << phase_name(p.phase);
      ++checked;
    }
    EXPECT_GE(checked, 2u);
  }
}
