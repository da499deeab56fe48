// The flights' airports in the exports: scenario flights between Seattle's airports exported
// with the airport table, their departures and arrivals as GPX waypoints and KML placemarks
// where the scenario put them, the route in the GPX track, the avionics CSV's local time in the
// departure airport's zone; the GPX still valid against the published schema.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "export/export_run.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flown_scenario.h"
#include "support/run_program.h"

namespace {

const std::string built_table = std::string(ORVEX_BINARY_DIR) + "/share/orvexdecode/airports.idx";

struct exported {
  export_result result;
  std::string document;
};

exported run_export(std::string_view format, const std::string& log, const export_request& request) {
  const context_ptr ctx = make_context();
  FILE* in = stream_with(log);
  FILE* out = std::tmpfile();
  exported e;
  e.result = export_log(*find_export_format(format), *ctx, request, in, out);
  std::fclose(in);
  e.document = drain_stream(out);
  return e;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return text;
}

}  // namespace

TEST(ExportPlaces, FlightsNameTheirAirportsWhereTheFormatHasAPlace) {
  const struct {
    const char* scenario;
    const char* format;
    bool lookups;
    bool local_time;
    std::vector<const char*> present;
    std::vector<const char*> absent;
    const char* warning;  // "" for none
  } rows[] = {
      {"krnt_to_kpae", "gpx", true, false,
       {"  <wpt lat=\"47.4930990\" lon=\"-122.2160030\"><ele>9.8</ele><time>2026-05-09T17:0",
        "<name>KRNT</name><desc>Renton Municipal Airport: departure of flight 1 from runway 34</desc>"
        "<type>departure</type></wpt>\n",
        "<name>KPAE</name><desc>Seattle Paine Field International Airport: arrival of flight 1 on runway 34L</desc>"
        "<type>arrival</type></wpt>\n  <trk>\n",
        "    <name>flight 1</name>\n    <desc>KRNT - KPAE</desc>\n    <number>1</number>\n"},
       {},
       ""},
      {"pattern_krnt", "gpx", true, false,
       {"<name>KRNT</name><desc>Renton Municipal Airport: departure of flight 1 from runway 34, arrival of flight 1 "
        "on runway 34</desc><type>departure and arrival</type>",
        "<desc>KRNT</desc>"},
       {"<type>arrival</type>"},
       ""},
      {"off_airport", "gpx", true, false,
       {"<name>off airport</name><desc>off airport: arrival of flight 1</desc><type>arrival</type>",
        "<desc>KRNT - off airport</desc>"},
       {},
       ""},
      {"krnt_to_kpae", "gpx", false, false, {"<metadata>"}, {"<wpt", "<desc>"}, ""},
      {"krnt_bfi_pae", "kml", true, false,
       {"  <Folder>\n    <name>Airports</name>\n    <Placemark>\n      <name>KRNT</name>\n",
        "<description>Seattle Paine Field International Airport: arrival of flight 1 on runway 34L</description>\n"
        "      <Point><coordinates>-122.2819980,47.9063000,0</coordinates></Point>"},
       {"<name>KBFI</name>"},
       ""},
      {"krnt_to_kpae", "kml", false, false, {"<gx:Track>"}, {"Airports"}, ""},
      // 17:00Z on 9 May is 10:00 in Seattle, daylight saving time.
      {"krnt_to_kpae", "avionics-csv", true, true, {"\r\n2026-05-09, 10:0", ", -07:00, "}, {"+00:00"}, ""},
      {"krnt_to_kpae", "avionics-csv", false, true, {"\r\n2026-05-09, 17:0"}, {"-07:00"}, "no departure airport known"},
  };
  const airport_lookup::opened table = airport_lookup::open(built_table);
  ASSERT_EQ(table.error, "");
  const std::string schema = std::string(ORVEX_SOURCE_DIR) + "/../shared/schemas/gpx-1.1.xsd";
  const temp_files t;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.scenario) + " " + row.format + (row.lookups ? "" : ", no lookups"));
    export_request request = default_export_request();
    if (row.lookups) request.airports = &table.lookup;
    request.local_time = row.local_time;
    const exported e = run_export(row.format, fly(row.scenario).log, request);
    ASSERT_EQ(e.result.error, "");
    for (const char* text : row.present) EXPECT_NE(e.document.find(text), std::string::npos) << text;
    for (const char* text : row.absent) EXPECT_EQ(e.document.find(text), std::string::npos) << text;
    const std::string warnings = joined(e.result.warnings);
    EXPECT_TRUE(*row.warning == '\0' ? warnings.empty() : warnings.find(row.warning) != std::string::npos) << warnings;
    if (std::string_view(row.format) == "gpx" && std::filesystem::exists(schema)) {
      const std::string gpx = t.write("places.gpx", e.document);
      const program_result r = run_program("xmllint", "--noout --schema " + shell_quote(schema) + " " + shell_quote(gpx));
      EXPECT_EQ(r.status, 0) << r.err;
    }
  }
}
