// The logbook of scenario LOGs in both layouts: whole documents against the files kept beside
// the test, the header names against the logbooks' own, and a flight the EFIS restarted into a
// second LOG written as the one row the unbroken LOG gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "export/export_run.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flown_scenario.h"
#include "support/flight_profile.h"

namespace {

const std::string expected_dir = std::string(ORVEX_SOURCE_DIR) + "/tests/export/expected/";

const airport_lookup& airports() {
  static const airport_lookup lookup = [] {
    airport_lookup::opened o = airport_lookup::open(std::string(ORVEX_BINARY_DIR) + "/share/orvexdecode/airports.idx");
    EXPECT_EQ(o.error, "");
    return std::move(o.lookup);
  }();
  return lookup;
}

struct named_log {
  std::string name;
  std::string bytes;
};

// The logbook of the LOGs, in the order given.
std::string logbook_of(const std::vector<named_log>& logs, logbook_layout layout, export_result* result = nullptr) {
  export_request request = default_export_request();
  request.layout = layout;
  request.tail = "N123AB";
  request.airports = &airports();
  std::vector<FILE*> streams;
  std::vector<export_input> inputs;
  for (const named_log& log : logs) {
    streams.push_back(stream_with(log.bytes));
    inputs.push_back({streams.back(), log.name});
  }
  const context_ptr ctx = make_context();
  FILE* out = std::tmpfile();
  const export_result r = export_flights(*find_export_format("logbook"), *ctx, request, inputs, out);
  for (FILE* f : streams) std::fclose(f);
  EXPECT_EQ(r.error, "");
  if (result != nullptr) *result = r;
  return drain_stream(out);
}

std::vector<std::string> cells_of(const std::string& line) {
  std::vector<std::string> cells;
  std::stringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

std::vector<std::string> lines_of(const std::string& document) {
  std::vector<std::string> lines;
  std::stringstream in(document);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// A day with two flights, a pattern session and a night cross-country, given out of order and
// one of them twice.
std::vector<named_log> three_days() {
  return {{"night.LOG", fly("night_cross_country").log},
          {"pattern.LOG", fly("pattern_krnt").log},
          {"two.LOG", fly("two_flights_power_off").log},
          {"pattern-again.LOG", fly("pattern_krnt").log}};
}

}  // namespace

TEST(LogbookExport, ScenarioLogsGiveTheExpectedDocumentInEachLayout) {
  const struct {
    logbook_layout layout;
    const char* expected;
  } cases[] = {
      {logbook_layout::myflightbook, "logbook_myflightbook.csv"},
      {logbook_layout::foreflight, "logbook_foreflight.csv"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    export_result result;
    const std::string document = logbook_of(three_days(), c.layout, &result);
    EXPECT_EQ(document, read_file(expected_dir + c.expected));
    EXPECT_EQ(result.items, 4u);  // the LOG given twice counts once
    ASSERT_EQ(result.warnings.size(), 1u);
    EXPECT_EQ(result.warnings[0], "pattern-again.LOG: the same LOG as pattern.LOG; its flights are written once");
  }
}

// The names the logbooks match, in their order: all of one, the named ones of the other's
// template (it has more between them).
TEST(LogbookExport, HeadersHoldTheLogbooksNamesInTheirOrder) {
  const struct {
    logbook_layout layout;
    std::size_t header_line;
    bool every_column;
    std::vector<std::string> names;
  } cases[] = {
      {logbook_layout::myflightbook, 0, true,
       {"Date", "Tail Number", "Route", "Landings", "FS Day Landings", "FS Night Landings", "X-Country", "Night",
        "Total Flight Time", "Engine Start", "Engine End", "Flight Start", "Flight End", "Hobbs Start", "Hobbs End",
        "Comments"}},
      {logbook_layout::foreflight, 7, false,
       {"Date", "AircraftID", "From", "To", "Route", "TimeOut", "TimeOff", "TimeOn", "TimeIn", "TotalTime", "Night",
        "CrossCountry", "DayTakeoffs", "DayLandingsFullStop", "NightTakeoffs", "NightLandingsFullStop", "AllLandings",
        "HobbsStart", "HobbsEnd", "TachStart", "TachEnd"}},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> lines = lines_of(logbook_of({{"two.LOG", fly("two_flights_power_off").log}}, c.layout));
    ASSERT_GT(lines.size(), c.header_line + 2);
    const std::vector<std::string> header = cells_of(lines[c.header_line]);
    if (c.every_column) {
      EXPECT_EQ(header, c.names);
    }
    std::size_t at = 0;
    for (const std::string& name : c.names) {
      const auto found = std::find(header.begin() + static_cast<std::ptrdiff_t>(at), header.end(), name);
      EXPECT_NE(found, header.end()) << name << " missing or out of order";
      if (found != header.end()) at = static_cast<std::size_t>(found - header.begin());
    }
    for (std::size_t row = c.header_line + 1; row < lines.size(); ++row) {
      EXPECT_EQ(cells_of(lines[row]).size(), header.size()) << lines[row];  // every column kept, even empty
    }
  }
  const std::vector<std::string> lines = lines_of(logbook_of({}, logbook_layout::foreflight));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "ForeFlight Logbook Import");
  EXPECT_EQ(lines[2], "Aircraft Table");
  EXPECT_EQ(lines[4], "N123AB,,,,,,,,,,,,");
}

// The EFIS restarting in cruise, its LOG timer too, with the LOG cut at the restart as two LOGs:
// given in either order, the logbook has the one row of the unbroken LOG.
TEST(LogbookExport, AFlightRestartedIntoASecondLogIsOneRow) {
  const std::string& whole = fly("in_flight_clock_restart").log;
  const log_summary s = analyse_bytes(whole);
  ASSERT_EQ(s.segments.size(), 2u);
  ASSERT_EQ(s.flights.size(), 1u);
  const std::size_t cut = s.segments[1].first_offset;
  const named_log first{"a.LOG", whole.substr(0, cut)};
  const named_log second{"b.LOG", whole.substr(cut)};
  for (const logbook_layout layout : {logbook_layout::myflightbook, logbook_layout::foreflight}) {
    const std::string expected = logbook_of({{"a.LOG", whole}}, layout);
    EXPECT_EQ(logbook_of({first, second}, layout), expected);
    EXPECT_EQ(logbook_of({second, first}, layout), expected);
  }
}
