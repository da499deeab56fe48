// A LOG whose GPS sentences carry coordinates past the poles and the antimeridian, through every
// front end: the classic XML keeps what the sentences said; every other document takes such a
// fix as no position (its time still sets the clock), stays small and valid, and ends with
// status 0.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "path/path_logs.h"
#include "support/capture.h"
#include "support/info_schema_check.h"
#include "support/run_program.h"

namespace {

// Two minutes of engine and air data; GPS 2 gives the time with a latitude of about 1.7e8
// degrees (two digits of degrees, ten of minutes), GPS 1 the aviation form's 100.67 degrees
// north, 181.67 east.
std::string far_positions_log() {
  log_writer log;
  for (std::uint32_t t = 0; t < 120'000; t += 1000) {
    char hhmmss[8];
    std::snprintf(hhmmss, sizeof hhmmss, "12%02u%02u", t / 60'000, t / 1000 % 60);
    log.gps2(t + 100, std::string("$GPRMC,") + hhmmss + ",A,999999999999,N,12212.340,W,095.5,123.4,110326,003.1,E*6A\r\n");
    log.gps1(t + 300, aviation_fix("N 99 9999", "E 179 9999"));
    log.ahrs_hr(t + 400, {.pressure_alt = 6200, .asi = 1603, .acceleration = 981});
    log.eis(t + 500, {.tachometer = 2400, .oiltemp = 180, .oilpressure = 62});
  }
  return log.str();
}

const std::string report = ORVEX_REPORT_PATH;
const std::string info = ORVEX_INFO_PATH;
const std::string exporter = ORVEX_EXPORT_PATH;
const std::string classic = ORVEX_CMDLINE_PATH;

}  // namespace

TEST(FarPositions, EveryFrontEndTakesThemAsNoPosition) {
  temp_files t;
  const std::string log = t.write("far.LOG", far_positions_log());
  const struct {
    std::string program, args;
    const char* present;  // in the output
    const char* absent;
  } rows[] = {
      {classic, "--gps_1 --gps_2 --gps_2_nmea", "<gps_1_latitude_decimal>100.6", nullptr},
      {exporter, "gpx", "<metadata>", "<trkpt"},
      {exporter, "csv", "\n2026-03-11T12:00:05Z,5.100,,,1234,", "100.6"},  // the position cells empty
      {exporter, "avionics-csv", "Lcl Date", "2026-03-11"},
      {exporter, "kml", "<kml", "<gx:coord>"},
      {info, "--json", "\"utc\":\"2026-03-11T12:00:", "\"latitude_deg\":1"},
      {report, "-o -", "</html>", "100.6"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.program + " " + r.args);
    const program_result run = run_program(r.program, r.args + " " + shell_quote(log));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(r.present), std::string::npos) << run.out.substr(0, 2000);
    if (r.absent != nullptr) {
      EXPECT_EQ(run.out.find(r.absent), std::string::npos);
    }
    if (r.program == info) {
      EXPECT_EQ(info_schema_errors(run.out), "");
    }
  }
}

TEST(FarPositions, TheReportOfATinyLogWithThemStaysSmallAndLeavesNoTemporary) {
  temp_files t;
  log_writer log;
  log.gps2(100, nmea_fix("999999999999", "N", "12212.340", "W"));
  for (std::uint32_t i = 0; i < 20; ++i) {
    log.gps1(1000 + i * 1000, aviation_fix(i % 2 ? "N 99 9999" : "S 99 9999", i % 3 ? "E 179 9999" : "W 179 9999"));
  }
  const std::string path = t.write("tiny.LOG", log.str());
  const program_result run = run_program(report, "-o " + shell_quote(t.path("tiny.html")) + " " + shell_quote(path));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_LT(std::filesystem::file_size(t.path("tiny.html")), 2'000'000u);
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& f : std::filesystem::directory_iterator(t.dir)) ++files;
  EXPECT_EQ(files, 2u);  // the LOG and the page
}
