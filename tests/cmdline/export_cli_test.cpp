// orvexdecode-export as a user meets it: arguments, streams, messages and exit statuses.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "path/path_logs.h"
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
      {"csv --utc-start 2026-03-11T22:00:00Z --gps_2_aviation --from 2026-03-11T22:00:00Z " + log, ""},
  };
  for (const auto& r : rows) {
    const program_result result = run_program(program, r.args);
    if (r.says[0] == '\0') {  // the user's clock places a UTC window in a LOG without GPS time
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
