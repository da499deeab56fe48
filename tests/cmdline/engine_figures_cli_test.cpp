// The cylinders a LOG says are fitted, the engine timer (Hobbs) and the fuel on board, through
// every document a user takes them from: the CSV and avionics CSV exports, orvexdecode-info's
// text and JSON, and the HTML report. Scenario LOGs plant the engine and say what they wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

#include "log_writer.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/info_schema_check.h"
#include "support/run_program.h"

namespace {

const std::string info = ORVEX_INFO_PATH;
const std::string report = ORVEX_REPORT_PATH;

std::string flown_log(const std::string& name, scenario_truth& truth) {
  scenario s;
  scenario_error error;
  EXPECT_TRUE(read_scenario(read_file(std::string(ORVEX_SOURCE_DIR) + "/samples/scenarios/" + name + ".scenario"), s,
                            error));
  return scenario_log(s, &truth, &error);
}

// The LOG without its cylinder setting (set-menu 58).
std::string without_cylinder_setting(const std::string& log) {
  log_writer w;
  for (const log_entry& r : split_log(log)) {
    if (r.type != 7 || !r.payload.starts_with("58=")) w.record(static_cast<std::uint8_t>(r.type), r.timestamp, r.payload);
  }
  return w.str();
}

// Per column: the rows whose cell is not empty. The header is the line that starts with `first`.
std::map<std::string, std::size_t> filled_cells(const std::string& csv, const std::string& first, char separator) {
  std::istringstream in(csv);
  std::vector<std::string> names;
  std::map<std::string, std::size_t> filled;
  for (std::string line; std::getline(in, line);) {
    std::istringstream cells(line.substr(0, line.find('\r')));
    std::size_t i = 0;
    for (std::string cell; std::getline(cells, cell, separator); ++i) {
      if (!cell.empty() && cell[0] == ' ') cell.erase(0, 1);
      if (names.empty() || i >= names.size()) continue;
      filled[names[i]] += cell.empty() ? 0 : 1;
    }
    if (names.empty() && line.starts_with(first)) {
      std::istringstream header(line.substr(0, line.find('\r')));
      for (std::string name; std::getline(header, name, separator);) names.push_back(name.substr(name[0] == ' '));
    }
  }
  return filled;
}

// The number after "key": at or after `from` in a JSON text (NaN for null).
double json_number(const std::string& json, const std::string& key, std::size_t from) {
  const std::size_t at = json.find("\"" + key + "\":", from);
  return at == std::string::npos ? std::nan("") : std::strtod(json.c_str() + at + key.size() + 3, nullptr);
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
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.scenario) + (row.setting_removed ? " without its setting" : ""));
    scenario_truth truth;
    const std::string flown = flown_log(row.scenario, truth);
    const std::string log = t.write("flight.LOG", row.setting_removed ? without_cylinder_setting(flown) : flown);
    auto csv = filled_cells(run_program(ORVEX_EXPORT_PATH, "csv " + log).out, "time_utc", ',');
    auto avionics = filled_cells(run_program(ORVEX_EXPORT_PATH, "avionics-csv " + log).out, "Lcl Date", ',');
    ASSERT_GT(csv["rpm"], 100u);
    ASSERT_GT(avionics["E1 RPM"], 100u);
    const std::string json = run_program(info, "--json " + log).out;
    const std::string text = run_program(info, log).out;
    const std::string html = run_program(report, log + " -o -").out;
    for (std::size_t c = 1; c <= 6; ++c) {
      const std::string n = std::to_string(c);
      const std::size_t rows_csv = c <= row.taken ? csv["rpm"] : 0u;
      const std::size_t rows_avionics = c <= row.taken ? avionics["E1 RPM"] : 0u;
      EXPECT_EQ(csv["cht" + n + "_f"], rows_csv) << n;
      EXPECT_EQ(csv["egt" + n + "_f"], rows_csv) << n;
      EXPECT_EQ(avionics["E1 CHT" + n], rows_avionics) << n;
      EXPECT_EQ(avionics["E1 EGT" + n], rows_avionics) << n;
      EXPECT_EQ(text.find("#" + n + " ") != std::string::npos, c <= row.shown) << n << "\n" << text;
      EXPECT_EQ(html.find("data-name=\"CHT " + n + "\"") != std::string::npos, c <= row.shown) << n;
      EXPECT_EQ(html.find("data-name=\"EGT " + n + "\"") != std::string::npos, c <= row.shown) << n;
    }
    EXPECT_NE(json.find("\"cylinders_taken\":" + std::to_string(row.taken) + ",\"cylinders_taken_from\":\"" +
                        row.taken_from + "\""),
              std::string::npos);
    // The LOG's and the flight's CHT and EGT maxima: one per cylinder taken.
    EXPECT_EQ(count_of(json, "_max\":[{"), 4u);
    EXPECT_EQ(count_of(json, "{\"value\":"), 4u * row.taken);
    EXPECT_EQ(info_schema_errors(json), "");
  }
}

TEST(EngineFigures, HobbsAndFuelOnBoardAreTheLogsOwnAtEngineStartAndStop) {
  const temp_files t;
  for (const char* name : {"four_cylinder_map", "two_flights_power_off"}) {
    SCOPED_TRACE(name);
    scenario_truth truth;
    const std::string log = t.write("flight.LOG", flown_log(name, truth));
    const std::string json = run_program(info, "--json " + log).out;
    const std::string html = run_program(report, log + " -o -").out;
    ASSERT_EQ(count_of(json, "\"hobbs_start_h\":"), 1 + truth.flights.size());
    std::size_t at = json.find("\"flights\":[");
    for (const truth_flight& flight : truth.flights) {
      at = json.find("\"number\":", at + 1);
      EXPECT_GT(*flight.hobbs_end_h, *flight.hobbs_start_h);
      EXPECT_DOUBLE_EQ(json_number(json, "hobbs_start_h", at), *flight.hobbs_start_h);
      EXPECT_DOUBLE_EQ(json_number(json, "hobbs_end_h", at), *flight.hobbs_end_h);
      // The decoder's engine run starts and ends within a record of the truth's.
      EXPECT_NEAR(json_number(json, "fuel_on_board_start", at), *flight.fuel_start_gal, 0.11);
      EXPECT_NEAR(json_number(json, "fuel_on_board_end", at), *flight.fuel_end_gal, 0.11);
      char hobbs[64];
      std::snprintf(hobbs, sizeof hobbs, ">%.1f to %.1f<", *flight.hobbs_start_h, *flight.hobbs_end_h);
      EXPECT_NE(html.find(hobbs), std::string::npos) << hobbs;
    }
  }
}
