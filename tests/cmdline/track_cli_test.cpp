// orvexdecode-track as a user meets it: arguments, streams, messages and exit statuses.
#include <gtest/gtest.h>

#include <string>

#include "path/path_logs.h"
#include "support/run_program.h"

namespace {

const std::string program = ORVEX_TRACK_PATH;

const char* const header =
    "Latitude(deci)\tLongitude(deci)\tAltitude(m)\tPitch(deg)\tBank(deg)\tHeading(deg)\n";

// A fix, a climb to 1000 feet and a second fix: two rows (the last stored point is not
// written). Aviation sentences unless nmea is set.
std::string flight_log(bool nmea) {
  log_writer log;
  log.gps1(10, nmea ? nmea_fix("4807.038", "N", "01131.000", "E")
                    : aviation_fix("N 47 2345", "W 122 1234"));
  log.ahrs_hr(20, {.pressure_alt = 6000, .asi = 500});
  log.gps1(30, nmea ? nmea_fix("4808.038", "N", "01131.000", "E")
                    : aviation_fix("N 47 2445", "W 122 1234"));
  log.record(13, 40, "x");
  log.record(13, 50, "y");
  return log.str();
}

}  // namespace

TEST(TrackCommandLine, ErrorsStartWithErrorAndEndWithStatus2) {
  const temp_files t;
  const std::string log = t.write("in.LOG", flight_log(false));
  const struct {
    std::string args;
    std::string message;
  } rows[] = {
      {shell_quote(t.path("missing.LOG")), "ERROR: Input file can't be opened for reading: "},
      {shell_quote(log) + " " + shell_quote(t.path("no/such/dir.txt")),
       "ERROR: Output file can't be opened for writing: "},
      {shell_quote(log) + " /dev/full", "ERROR: Output can't be written: /dev/full"},
      {shell_quote(t.dir), "ERROR: Input file can't be read: "},
  };
  for (const auto& r : rows) {
    const program_result result = run_program(program, r.args);
    EXPECT_EQ(result.status, 2) << r.args;
    EXPECT_TRUE(result.err.starts_with(r.message)) << r.args << "\n" << result.err;
  }
}

TEST(TrackCommandLine, FullStandardOutputIsAnError) {
  const temp_files t;
  const std::string log = t.write("in.LOG", flight_log(false));
  const program_result r =
      run_program("/bin/sh", "-c " + shell_quote(shell_quote(program) + " " + shell_quote(log) +
                                                 " >/dev/full"));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR: Output can't be written: standard output\n");
}

TEST(TrackCommandLine, RefusesToOverwriteItsInput) {
  const temp_files t;
  const std::string bytes = flight_log(false);
  const std::string log = t.write("in.LOG", bytes);
  std::system(("ln -s in.LOG " + shell_quote(t.path("link.LOG"))).c_str());
  for (const std::string& output : {log, t.path("link.LOG"), t.dir + "/./in.LOG"}) {
    const program_result r = run_program(program, shell_quote(log) + " " + shell_quote(output));
    EXPECT_EQ(r.status, 2) << output;
    EXPECT_TRUE(r.err.starts_with("ERROR: Output file is the same file as the input file"))
        << r.err;
    EXPECT_EQ(read_file(log), bytes) << output;
  }
}

TEST(TrackCommandLine, WritesTheTrackOfAFileToStandardOutput) {
  const temp_files t;
  const std::string log = t.write("in.LOG", flight_log(false));
  const program_result r = run_program(program, shell_quote(log));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, std::string("BOF\n") + header +
                       "47.390835\t-122.205666\t-1523.999998\t0.000000\t0.000000\t0.000000\n"
                       "47.407501\t-122.205666\t304.800000\t0.000000\t0.000000\t0.000000\n"
                       "EOF\n");
}

TEST(TrackCommandLine, ReadsStandardInputAndWritesTheNamedFile) {
  const temp_files t;
  const std::string out = t.path("track.txt");
  const program_result r =
      run_program(program, "--binary --gps_1_nmea - " + shell_quote(out), flight_log(true));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(read_file(out),
            std::string("ASI kts,Tach,TimeStamp,GPSAlt\t-\t") + header +
                "0\t0\t0\t0\t-\t48.117298\t11.516666\t-1523.999998\t0.000000\t0.000000\t0.000000\n"
                "29\t0\t20\t0\t-\t48.133968\t11.516666\t304.800000\t0.000000\t0.000000\t0.000000\n"
                "EOF\n");
}

TEST(TrackCommandLine, DashAsOutputAndNmeaReadAsAviationGiveAnEmptyTrack) {
  // NMEA sentences read with the default aviation format give no fix, so no rows.
  for (const char* args : {"- -", "-"}) {
    const program_result r = run_program(program, args, flight_log(true));
    EXPECT_EQ(r.status, 0) << args;
    EXPECT_EQ(r.out, std::string("BOF\n") + header + "EOF\n") << args;
  }
}
