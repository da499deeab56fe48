// Local times on the command line: orvexdecode-info's logbook in the zone --time-zone names
// (daylight saving and the local date included, or no local time and saying so), and the
// avionics CSV's --local-time.
#include <gtest/gtest.h>

#include <string>

#include "path/path_logs.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/run_program.h"

namespace {

const std::string source_dir = ORVEX_SOURCE_DIR;

// At night from Renton: lift-off about 05:03Z on 9 May 2026, 22:03 in Seattle on 8 May.
std::string night_flight_log() {
  scenario planned;
  scenario_error error;
  EXPECT_TRUE(read_scenario(read_file(source_dir + "/samples/scenarios/night_flight.scenario"), planned, error));
  return scenario_log(planned, nullptr, &error);
}

// A field of the flight's logbook in the JSON line, the first after `within` in it: the text
// after `"key":` up to the next comma (enough for the strings and numbers checked here).
std::string logbook_field(const std::string& json, const std::string& key, const char* within = "logbook") {
  const std::size_t logbook = json.find("\"logbook\":");
  const std::size_t part = json.find(std::string("\"") + within + "\":", logbook);
  const std::size_t at = json.find("\"" + key + "\":", part);
  if (logbook == std::string::npos || part == std::string::npos || at == std::string::npos) return "(missing)";
  const std::size_t from = at + key.size() + 3;
  return json.substr(from, json.find(',', from) - from);
}

}  // namespace

TEST(LocalTimeCommandLine, TheLogbookGivesTheDepartureZonesLocalTimes) {
  const temp_files t;
  const std::string log = t.write("night.LOG", night_flight_log());
  // The zone: the one named, else the departure airport's (the flight leaves from near Seattle),
  // else none.
  const struct {
    const char* zone;
    const char* date;
    const char* off_prefix;  // the lift-off's local time to the minute
    const char* abbreviation;
  } rows[] = {
      {"America/Los_Angeles", "\"2026-05-08\"", "\"2026-05-08T22:0", "\"PDT\""},
      {"Europe/Berlin", "\"2026-05-09\"", "\"2026-05-09T07:0", "\"CEST\""},
      {"Asia/Kathmandu", "\"2026-05-09\"", "\"2026-05-09T10:4", "\"+0545\""},
      {"", "\"2026-05-08\"", "\"2026-05-08T22:0", "\"PDT\""},
      {"none", "\"2026-05-09\"", "null", "null"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.zone);
    const bool none = std::string(r.zone) == "none";
    const std::string zone = none ? "--airports none " : *r.zone ? std::string("--time-zone ") + r.zone + " " : "";
    const program_result json = run_program(ORVEX_INFO_PATH, "--json " + zone + shell_quote(log));
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(logbook_field(json.out, "date"), r.date);
    EXPECT_EQ(logbook_field(json.out, "date_is_local"), none ? "false" : "true");
    EXPECT_EQ(logbook_field(json.out, "local", "off").substr(0, std::string(r.off_prefix).size()), r.off_prefix);
    EXPECT_EQ(logbook_field(json.out, "zone_abbreviation", "off"), r.abbreviation);
    const program_result text = run_program(ORVEX_INFO_PATH, zone + shell_quote(log));
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.find("no local time") != std::string::npos, none) << text.out;
  }
  const program_result unknown = run_program(ORVEX_INFO_PATH, "--time-zone Mars/Olympus_Mons " + shell_quote(log));
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.err.find("--time-zone: no time zone \"Mars/Olympus_Mons\""), std::string::npos) << unknown.err;
}

TEST(LocalTimeCommandLine, TheAvionicsCsvKeepsUtcUnlessAskedForLocalTime) {
  const temp_files t;
  log_writer w;  // 22:22:46Z on 11 March 2026: daylight saving in Seattle since 8 March, not yet in Berlin
  w.gps2(100, "$GPRMC,222246,A,4723.450,N,12212.340,W,095.5,123.4,110326,003.1,E*6A\r\n");
  w.gps1(200, aviation_fix("N 47 2345", "W 122 1234")).eis(300, {.tachometer = 2400});
  w.gps1(1200, aviation_fix("N 47 2346", "W 122 1234")).record(13, 2200, "end");
  const std::string log = t.write("flight.LOG", w.str());
  const struct {
    const char* options;
    int status;
    const char* row_start;  // the first data row, or the start of standard error
  } rows[] = {
      {"", 0, "2026-03-11, 22:22:47, +00:00, "},
      {"--local-time --time-zone America/Los_Angeles", 0, "2026-03-11, 15:22:47, -07:00, "},
      {"--local-time --time-zone Europe/Berlin", 0, "2026-03-11, 23:22:47, +01:00, "},
      {"--local-time", 0, "2026-03-11, 22:22:47, +00:00, "},
      {"--time-zone Europe/Berlin", 1, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.options);
    const program_result p = run_program(ORVEX_EXPORT_PATH, std::string("avionics-csv ") + r.options + " " + log);
    EXPECT_EQ(p.status, r.status) << p.err;
    if (r.status != 0) continue;
    const std::size_t row = p.out.find("\r\n", p.out.find("Lcl Date")) + 2;
    EXPECT_EQ(p.out.substr(row, std::string(r.row_start).size()), r.row_start);
    EXPECT_EQ(p.err.find("no local time") != std::string::npos, std::string(r.options) == "--local-time") << p.err;
  }
  EXPECT_EQ(run_program(ORVEX_EXPORT_PATH, "gpx --local-time " + log).status, 1);
}
