// The four exports of a small LOG, each compared whole with the document kept beside this test
// (tests/export/expected/), then the rules they share: empty cells for sources not heard from
// yet, the window's edges, a LOG without GPS time, flights.
#include <gtest/gtest.h>

#include <libxml/parser.h>

#include <algorithm>
#include <string>

#include "export/export_run.h"
#include "flight_simulator.h"
#include "path/path_logs.h"
#include "support/capture.h"

namespace {

using export_fn = std::string_view;  // the format's name

struct exported {
  export_result result;
  std::string document;
};

exported run_export(export_fn fn, const std::string& log, const export_request& request = default_export_request()) {
  const context_ptr ctx = make_context();
  FILE* in = stream_with(log);
  FILE* out = std::tmpfile();
  exported e;
  e.result = export_log(*find_export_format(fn), *ctx, request, in, out);
  std::fclose(in);
  e.document = drain_stream(out);  // and closes it
  return e;
}

std::string rmc(const char* hhmmss) {
  return std::string("$GPRMC,") + hhmmss + ",A,4723.450,N,12212.340,W,095.5,123.4,110326,003.1,E*6A\r\n";
}

// Four seconds: the settings and the first GPS 2 time at 200 ms (22:22:46Z), the GPS 1 fix and
// the AHRS in the first second, the EIS and analog inputs only from the second on, the AHRS
// low-rate message in the fourth. Rows fall at 200, 1200, 2200 and 3200 ms.
std::string small_log(bool with_time = true) {
  log_writer log;
  log.set_menu(100, "345=0").set_menu(110, "346=0");
  if (with_time) log.gps2(200, rmc("222246"));
  log.gps1(300, aviation_fix("N 47 2345", "W 122 1234", "123", "095", "01234"));
  log.ahrs_hr(400, {.roll_angle = ahrs_angle(-10),
                    .pitch_angle = ahrs_angle(5),
                    .yaw_angle = ahrs_angle(-90),
                    .pressure_alt = 6200,
                    .vsi = 500,
                    .asi = 1603,
                    .acceleration = 981});
  log.eis(1500, {.tachometer = 2400,
                 .cht = {350, 360, 355, 340, 0, 0},
                 .egt = {1300, 1310, 1320, 1290, 0, 0},
                 .primaryvoltage = 141,
                 .fuelflow = 85,
                 .outsidetemp = 65,
                 .oiltemp = 180,
                 .oilpressure = 62,
                 .fuelqty = 312,
                 .baroset = 2992});
  log.analog(1600, {0, 0, 0, 2048, 30, 2048, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  if (with_time) log.gps2(2200, rmc("222248"));
  log.gps1(2300, aviation_fix("N 47 2445", "W 122 1234", "124", "096", "01250"));
  log.ahrs_hr(2400, {.roll_angle = ahrs_angle(20),
                     .pitch_angle = ahrs_angle(-2),
                     .yaw_angle = ahrs_angle(95),
                     .pressure_alt = 6220,
                     .vsi = -200,
                     .asi = 1620,
                     .acceleration = 1000});
  log.eis(2500, {.tachometer = 2410,
                 .cht = {351, 361, 356, 341, 0, 0},
                 .egt = {1301, 1311, 1321, 1291, 0, 0},
                 .primaryvoltage = 140,
                 .fuelflow = 84,
                 .outsidetemp = 64,
                 .oiltemp = 181,
                 .oilpressure = 61,
                 .fuelqty = 310,
                 .baroset = 2992});
  log.ahrs_lr(3100, {.outsidetemp = 14, .voltage_1 = 1402, .voltage_2 = 1398, .voltage_3 = 500});
  log.record(13, 3300, "end");
  return log.str();
}

bool parses_as_xml(const std::string& doc) {
  xmlDocPtr parsed = xmlReadMemory(doc.data(), static_cast<int>(doc.size()), "export.xml", nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (parsed == nullptr) return false;
  xmlFreeDoc(parsed);
  return true;
}

// Every line holds as many cells as the first (no cell of the exports holds a comma), and ends
// with CR LF.
bool cells_match_header(const std::string& csv) {
  std::size_t cells = 0;
  std::size_t line = 0;
  for (std::size_t start = 0; start < csv.size(); ++line) {
    const std::size_t end = csv.find("\r\n", start);
    if (end == std::string::npos) return false;
    const std::size_t n = static_cast<std::size_t>(
        std::count(csv.begin() + static_cast<long>(start), csv.begin() + static_cast<long>(end), ','));
    if (line == 0) cells = n;
    if (n != cells) return false;
    start = end + 2;
  }
  return true;
}

std::string expected(const std::string& name) {
  return read_file(std::string(ORVEX_SOURCE_DIR) + "/tests/export/expected/" + name);
}

}  // namespace

TEST(Exports, SmallLogGivesTheDocumentsKeptBesideTheTest) {
  const struct {
    export_fn fn;
    const char* file;
    std::uint64_t items;
  } rows[] = {
      {"csv", "small.csv", 4},
      {"avionics-csv", "small_avionics.csv", 3},  // from the first GPS 1 fix on
      {"gpx", "small.gpx", 2},
      {"kml", "small.kml", 3},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.file);
    const exported e = run_export(r.fn, small_log());
    EXPECT_TRUE(e.result.error.empty()) << e.result.error;
    EXPECT_TRUE(e.result.warnings.empty());
    EXPECT_EQ(e.result.items, r.items);
    EXPECT_EQ(e.document, expected(r.file));
  }
}

TEST(Exports, CsvHeaderNamesTheLogsUnits) {
  const struct {
    const char* settings[2];
    const char* names[5];
  } rows[] = {
      {{"345=0", "346=0"}, {",cht1_f,", ",egt1_f,", ",oil_temp_f,", ",fuel_flow_gph,", ",fuel_qty_gal,"}},
      {{"345=1", "346=1"}, {",cht1_c,", ",egt1_c,", ",oil_temp_c,", ",fuel_flow_lph,", ",fuel_qty_l,"}},
      {{"345=2", "346=0"}, {",cht1_f,", ",egt1_c,", ",oil_temp_c,", ",fuel_flow_gph,", ",fuel_qty_gal,"}},
  };
  for (const auto& r : rows) {
    log_writer log;
    log.eis(100, {.tachometer = 2400}).set_menu(500, r.settings[0]).set_menu(510, r.settings[1]);
    log.eis(1100, {.tachometer = 2400}).record(13, 2200, "end");
    const std::string document = run_export("csv", log.str()).document;
    const std::string header = document.substr(0, document.find("\r\n"));
    for (const char* name : r.names) EXPECT_NE(header.find(name), std::string::npos) << name << " in " << header;
  }
}

TEST(Exports, WindowStartIsIncludedAndItsEndExcluded) {
  const struct {
    window_request window;
    std::uint64_t rows;
    bool warns;
  } rows[] = {
      {{.from = parse_time_point("1.2"), .to = parse_time_point("3.2")}, 2, false},  // 1200 and 2200
      {{.from = parse_time_point("1.201")}, 2, false},                               // 2200 and 3200
      {{.from = parse_time_point("2026-03-11T22:22:47Z"), .to = parse_time_point("2026-03-11T22:22:49Z")}, 2, false},
      {{.to = parse_time_point("0.2")}, 0, true},
      {{.from = parse_time_point("100")}, 0, true},
  };
  for (const auto& r : rows) {
    export_request request = default_export_request();
    request.window = r.window;
    const exported e = run_export("csv", small_log(), request);
    EXPECT_TRUE(e.result.error.empty()) << e.result.error;
    EXPECT_EQ(e.result.items, r.rows);
    EXPECT_EQ(count_of(e.document, "\r\n"), r.rows + 1);
    EXPECT_EQ(e.result.warnings.size(), r.warns ? 1u : 0u);
  }
}

TEST(Exports, AFlightTheLogDoesNotHoldIsAnError) {
  export_request request = default_export_request();
  request.window.flight = 1;
  for (const export_fn fn : {"csv", "avionics-csv", "gpx", "kml"}) {
    const exported e = run_export(fn, small_log(), request);
    EXPECT_EQ(e.result.error, "the LOG holds 0 flights, not flight 1");
    EXPECT_EQ(e.document, "");
  }
}

TEST(Exports, WithoutGpsTimeTimesStayEmptyAndAWarningSaysSo) {
  const exported csv = run_export("csv", small_log(false));
  EXPECT_NE(csv.document.find("\r\n,1.100,47.390835,-122.205666,1234,95,123,1,1200,"), std::string::npos)
      << csv.document;
  const exported avionics = run_export("avionics-csv", small_log(false));
  EXPECT_NE(avionics.document.find("\r\n, , , , 47.3908348, -122.2056656,"), std::string::npos) << avionics.document;
  const exported gpx = run_export("gpx", small_log(false));
  EXPECT_EQ(count_of(gpx.document, "<trkpt "), 2u);
  EXPECT_EQ(count_of(gpx.document, "<time>"), 0u);
  const exported kml = run_export("kml", small_log(false));
  EXPECT_EQ(count_of(kml.document, "<gx:Track>"), 0u);
  EXPECT_EQ(count_of(kml.document, "<LineString>"), 3u);  // the path and the two wingtips
  for (const exported* e : {&csv, &avionics, &gpx, &kml}) {
    ASSERT_EQ(e->result.warnings.size(), 1u);
    EXPECT_TRUE(e->result.warnings[0].starts_with("the LOG has no GPS time")) << e->result.warnings[0];
  }
  // The user's UTC of the first record places the rows.
  export_request request = default_export_request();
  request.utc_start_ms = parse_utc_iso8601("2026-03-11T22:00:00Z");
  EXPECT_NE(run_export("csv", small_log(false), request).document.find("\r\n2026-03-11T22:00:01Z,1.100,"),
            std::string::npos);
}

TEST(Exports, GpxHasATrackPerFlightAndSegmentsBreakAtGaps) {
  flight_notes notes;
  const std::string log = simulated_log({.seed = 11, .minutes = 200.0}, &notes);  // two sorties
  ASSERT_EQ(notes.sorties.size(), 2u);
  const exported gpx = run_export("gpx", log);
  EXPECT_EQ(count_of(gpx.document, "<trk>"), 2u);
  EXPECT_NE(gpx.document.find("<name>flight 2</name>"), std::string::npos);
  EXPECT_EQ(count_of(gpx.document, "<trkseg>"), 2u);
  export_request second = default_export_request();
  second.window.flight = 2;
  const exported one = run_export("gpx", log, second);
  EXPECT_EQ(count_of(one.document, "<trk>"), 1u);
  EXPECT_NE(one.document.find("<number>2</number>"), std::string::npos);

  // A gap of more than 5 s between GPS 1 fixes, and a fix the receiver marks invalid.
  log_writer gaps;
  gaps.gps1(1000, aviation_fix("N 47 2345", "W 122 1234")).gps1(2000, aviation_fix("N 47 2346", "W 122 1234"));
  gaps.gps1(8000, aviation_fix("N 47 2347", "W 122 1234")).record(13, 9000, "end");
  EXPECT_EQ(count_of(run_export("gpx", gaps.str()).document, "<trkseg>"), 2u);
  log_writer invalid;
  export_request nmea = default_export_request();
  nmea.decode.gps_1_type = ORVEX_GPS_FORMAT_NMEA;
  invalid.gps1(1000, nmea_fix("4723.450", "N", "12212.340", "W"))
      .gps1(2000, "$GPRMC,123520,V,4723.455,N,12212.340,W,000.0,000.0,230394,003.1,W*6A\r\n");
  invalid.gps1(3000, nmea_fix("4723.460", "N", "12212.340", "W")).record(13, 4000, "end");
  const exported split = run_export("gpx", invalid.str(), nmea);
  EXPECT_EQ(count_of(split.document, "<trkseg>"), 2u);
  EXPECT_EQ(count_of(split.document, "<trkpt "), 2u);
}

TEST(Exports, KmlTrackSplitsAtGapsInTheRows) {
  log_writer log;
  log.gps2(100, rmc("222246"));
  for (std::uint32_t t = 200; t < 4000; t += 500) log.gps1(t, aviation_fix("N 47 2345", "W 122 1234"));
  for (std::uint32_t t = 9000; t < 12000; t += 500) log.gps1(t, aviation_fix("N 47 2345", "W 122 1234"));
  log.record(13, 12500, "end");
  const exported kml = run_export("kml", log.str());
  EXPECT_EQ(count_of(kml.document, "<gx:Track>"), 2u);
  EXPECT_EQ(count_of(kml.document, "<when>"), kml.result.items);
  EXPECT_EQ(count_of(kml.document, "<gx:coord>"), kml.result.items);
  EXPECT_EQ(count_of(kml.document, "<TimeSpan>"), 2 * (kml.result.items - 2));  // a segment between rows of a track
}

TEST(Exports, EveryTruncationOfALogGivesCompleteDocuments) {
  const std::string log = small_log();
  for (std::size_t size = 0; size <= log.size(); ++size) {
    SCOPED_TRACE(size);
    const std::string cut = log.substr(0, size);
    ASSERT_TRUE(cells_match_header(run_export("csv", cut).document));
    ASSERT_TRUE(cells_match_header(run_export("avionics-csv", cut).document));
    ASSERT_TRUE(parses_as_xml(run_export("gpx", cut).document));
    ASSERT_TRUE(parses_as_xml(run_export("kml", cut).document));
  }
}
