// The cylinders a LOG says are fitted, the engine timer (Hobbs) and the fuel on board, through
// every document a user takes them from: the CSV and avionics CSV exports, orvexdecode-info's
// text and JSON, and the HTML report. Scenario LOGs plant the engine and say what they wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "log_writer.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/info_schema_check.h"
#include "support/run_program.h"

namespace {

const std::string source_dir = ORVEX_SOURCE_DIR;

struct flown {
  scenario_truth truth;
  std::string log;
};

const flown& fly(const std::string& name) {
  static std::map<std::string, flown> cache;
  const auto found = cache.find(name);
  if (found != cache.end()) return found->second;
  flown& f = cache[name];
  scenario planned;
  scenario_error error;
  EXPECT_TRUE(read_scenario(read_file(source_dir + "/samples/scenarios/" + name + ".scenario"), planned, error));
  f.log = scenario_log(planned, &f.truth, &error);
  return f;
}

// The LOG without its cylinder setting (set-menu 58).
std::string without_cylinder_setting(const std::string& log) {
  log_writer w;
  for (const log_entry& r : split_log(log)) {
    if (r.type == 7 && r.payload.starts_with("58=")) continue;
    w.record(static_cast<std::uint8_t>(r.type), r.timestamp, r.payload);
  }
  return w.str();
}

std::vector<std::string> cells_of(const std::string& line, const std::string& separator) {
  std::vector<std::string> cells;
  for (std::size_t start = 0;;) {
    const std::size_t end = line.find(separator, start);
    cells.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return cells;
    start = end + separator.size();
  }
}

// Per column named: how many rows hold a cell that is not empty. The header is the first line
// that holds `first_column`.
std::map<std::string, std::size_t> filled_cells(const std::string& csv, const std::string& first_column,
                                                const std::string& separator) {
  std::istringstream in(csv);
  std::string line;
  std::vector<std::string> names;
  std::map<std::string, std::size_t> filled;
  while (std::getline(in, line)) {
    if (line.ends_with('\r')) line.pop_back();
    const std::vector<std::string> cells = cells_of(line, separator);
    if (names.empty()) {
      if (line.starts_with(first_column)) names = cells;
      continue;
    }
    for (std::size_t i = 0; i < cells.size() && i < names.size(); ++i) filled[names[i]] += cells[i].empty() ? 0 : 1;
  }
  return filled;
}

// The number after "key": at or after `from` in a JSON text (NaN when there is none: null).
double json_number(const std::string& json, const std::string& key, std::size_t from = 0) {
  const std::size_t at = json.find("\"" + key + "\":", from);
  if (at == std::string::npos) return std::nan("");
  const char* text = json.c_str() + at + key.size() + 3;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  return end == text ? std::nan("") : value;
}

}  // namespace

TEST(EngineFigures, OnlyTheFittedCylindersAreData) {
  const struct {
    const char* scenario;
    bool setting_removed;
    std::size_t taken;  // CSV, avionics CSV and JSON
    const char* taken_from;
    std::size_t shown;  // text and report: without the setting, the cylinders that read above 0
  } rows[] = {
      {"four_cylinder_map", false, 4, "setting", 4},
      {"healthy_flight", false, 6, "setting", 6},
      {"four_cylinder_map", true, 6, "all", 4},
  };
  const temp_files t;
  const std::string export_program = ORVEX_EXPORT_PATH;
  const std::string info_program = ORVEX_INFO_PATH;
  const std::string report_program = ORVEX_REPORT_PATH;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.scenario) + (row.setting_removed ? " without its setting" : ""));
    const std::string& flown_log = fly(row.scenario).log;
    const std::string log =
        t.write("flight.LOG", row.setting_removed ? without_cylinder_setting(flown_log) : flown_log);

    const std::map<std::string, std::size_t> csv =
        filled_cells(run_program(export_program, "csv " + log).out, "time_utc", ",");
    const std::map<std::string, std::size_t> avionics =
        filled_cells(run_program(export_program, "avionics-csv " + log).out, "Lcl Date", ", ");
    ASSERT_GT(csv.at("rpm"), 100u);
    ASSERT_GT(avionics.at("E1 RPM"), 100u);
    for (std::size_t c = 1; c <= 6; ++c) {
      const std::string n = std::to_string(c);
      const bool taken = c <= row.taken;
      EXPECT_EQ(csv.at("cht" + n + "_f"), taken ? csv.at("rpm") : 0u) << "cht" << n;
      EXPECT_EQ(csv.at("egt" + n + "_f"), taken ? csv.at("rpm") : 0u) << "egt" << n;
      EXPECT_EQ(avionics.at("E1 CHT" + n), taken ? avionics.at("E1 RPM") : 0u) << "E1 CHT" << n;
      EXPECT_EQ(avionics.at("E1 EGT" + n), taken ? avionics.at("E1 RPM") : 0u) << "E1 EGT" << n;
    }

    const program_result json = run_program(info_program, "--json " + log);
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"cylinders_taken\":" + std::to_string(row.taken) + ",\"cylinders_taken_from\":\"" +
                            row.taken_from + "\""),
              std::string::npos)
        << json.out;
    // Every list of cylinder maxima (the LOG's and the flight's CHT and EGT) has one per cylinder taken.
    const std::size_t lists = count_of(json.out, "_max\":[{");
    EXPECT_EQ(lists, 4u);
    EXPECT_EQ(count_of(json.out, "{\"value\":"), lists * row.taken);
    EXPECT_EQ(info_schema_errors(json.out), "");

    const std::string text = run_program(info_program, log).out;
    const std::string report = run_program(report_program, log + " -o -").out;
    for (std::size_t c = 1; c <= 6; ++c) {
      const std::string n = std::to_string(c);
      EXPECT_EQ(text.find("#" + n + " ") != std::string::npos, c <= row.shown) << "text #" << n << "\n" << text;
      EXPECT_EQ(report.find("data-name=\"CHT " + n + "\"") != std::string::npos, c <= row.shown) << "report CHT " << n;
      EXPECT_EQ(report.find("data-name=\"EGT " + n + "\"") != std::string::npos, c <= row.shown) << "report EGT " << n;
    }
  }
}

TEST(EngineFigures, HobbsAndFuelOnBoardAreTheLogsOwnAtEngineStartAndStop) {
  const temp_files t;
  for (const char* name : {"four_cylinder_map", "healthy_flight", "two_flights_power_off"}) {
    SCOPED_TRACE(name);
    const flown& f = fly(name);
    const std::string log = t.write("flight.LOG", f.log);
    const program_result json = run_program(ORVEX_INFO_PATH, "--json " + log);
    EXPECT_EQ(info_schema_errors(json.out), "");
    std::size_t at = json.out.find("\"flights\":[");
    ASSERT_EQ(count_of(json.out, "\"hobbs_start_h\":"), 1 + f.truth.flights.size());
    for (const truth_flight& flight : f.truth.flights) {
      at = json.out.find("\"number\":", at + 1);
      // The LOG's values in tenths; the decoder's engine run starts and ends within a record of
      // the truth's, across which the quantity may tick by a tenth.
      EXPECT_DOUBLE_EQ(json_number(json.out, "hobbs_start_h", at), *flight.hobbs_start_h);
      EXPECT_DOUBLE_EQ(json_number(json.out, "hobbs_end_h", at), *flight.hobbs_end_h);
      EXPECT_NEAR(json_number(json.out, "fuel_on_board_start", at), *flight.fuel_start_gal, 0.11);
      EXPECT_NEAR(json_number(json.out, "fuel_on_board_end", at), *flight.fuel_end_gal, 0.11);
      EXPECT_GT(*flight.hobbs_end_h, *flight.hobbs_start_h);
      EXPECT_LT(*flight.fuel_end_gal, *flight.fuel_start_gal);
    }
    const std::string text = run_program(ORVEX_INFO_PATH, log).out;
    const std::string report = run_program(ORVEX_REPORT_PATH, log + " -o -").out;
    for (const truth_flight& flight : f.truth.flights) {
      char hobbs[64];
      std::snprintf(hobbs, sizeof hobbs, "%.1f to %.1f", *flight.hobbs_start_h, *flight.hobbs_end_h);
      EXPECT_NE(text.find(std::string("  Hobbs       ") + hobbs + "\n"), std::string::npos) << text;
      EXPECT_NE(report.find(hobbs), std::string::npos) << hobbs;
    }
  }
}
