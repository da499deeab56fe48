// Data a LOG loses without a trace in the documents is told on standard error, once, and the
// run still succeeds with the same documents.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "path/path_logs.h"
#include "support/capture.h"
#include "support/run_program.h"

namespace {

// An aviation fix whose latitude moves with n, so that every fix is a new path point.
std::string moving_fix(int n) {
  char latitude[16];
  std::snprintf(latitude, sizeof latitude, "N 4%d %02d%02d", n / 3600 % 10, n / 60 % 60, n % 60);
  return aviation_fix(latitude, "W 122 1234");
}

}  // namespace

TEST(LossWarnings, EachLossIsToldOnceAndTheRunSucceeds) {
  struct row {
    const char* what;
    std::string log;
    std::string program;
    std::string options;
    std::string warning;  // empty: no warning at all
  };
  log_writer skipped;
  skipped.eis(1, {.tachometer = 2400}).header(2, 2, 1'500'000).bytes(std::string(1'500'000, 'x')).eis(3, {});
  log_writer small_skip;
  small_skip.header(2, 2, 900'000).bytes(std::string(900'000, 'x')).eis(3, {});
  log_writer no_end;
  for (std::uint32_t t = 1; t <= 12; ++t) no_end.gps1(t, std::string(200, 'A'));
  log_writer long_path;
  for (int n = 0; n < 8300; ++n) long_path.gps1(static_cast<std::uint32_t>(10 + n * 10), moving_fix(n));
  const std::string decoder = ORVEX_CMDLINE_PATH;
  const std::string tracker = ORVEX_TRACK_PATH;
  const row rows[] = {
      {"1.5 MB skipped", skipped.str(), decoder, "", "warning: a damaged record length at byte 82 made the reader skip 1500000 bytes"},
      {"900 kB skipped", small_skip.str(), decoder, "", ""},
      {"GPS 1 without ETX", no_end.str(), decoder, "", "warning: GPS 1 filled its 2048-byte sentence buffer"},
      {"GPS 1 without ETX, track", no_end.str(), tracker, "", "warning: GPS 1 filled its 2048-byte sentence buffer"},
      {"full path, KML", long_path.str(), decoder, "-k /dev/null", "warning: the flight path reached its limit of 8192 points; the KML ends there"},
      {"full path, no KML", long_path.str(), decoder, "", ""},
      {"full path, track", long_path.str(), tracker, "", "warning: the flight path reached its limit of 8192 points; the track ends there"},
  };
  const temp_files files;
  for (const row& r : rows) {
    const std::string log = files.write("flight.LOG", r.log);
    const program_result run = run_program(r.program, r.options + " " + shell_quote(log) + " > /dev/null");
    EXPECT_EQ(run.status, 0) << r.what << "\n" << run.err;
    if (r.warning.empty()) {
      EXPECT_EQ(run.err, "") << r.what;
    } else {
      EXPECT_EQ(run.err.find(r.warning), 0u) << r.what << "\n" << run.err;
      EXPECT_EQ(count_of(run.err, "warning:"), 1u) << r.what << "\n" << run.err;
    }
  }
}

// Once the path is full the KML pass and the track only frame the rest of the LOG: what is lost
// there is still told, and the XML report still writes the unknown records.
TEST(LossWarnings, LossesAfterTheFullPathAreStillTold) {
  log_writer log;
  for (int n = 0; n < 8300; ++n) log.gps1(static_cast<std::uint32_t>(10 + n * 10), moving_fix(n));
  for (std::uint32_t t = 0; t < 3; ++t) log.header(200, 90'000 + t, 4).bytes("abcd");
  log.header(2, 90'010, 1'500'000).bytes(std::string(1'500'000, 'x'));
  for (std::uint32_t t = 1; t <= 12; ++t) log.gps1(90'100 + t, std::string(200, 'A'));
  struct row {
    const char* what;
    std::string program;
    std::string options;
    std::size_t unknown_entries;  // in the XML on standard output
  };
  const row rows[] = {
      {"XML and KML, no summaries", ORVEX_CMDLINE_PATH, "--nosummary -k /dev/null", 3},
      {"XML and KML", ORVEX_CMDLINE_PATH, "-k /dev/null", 3},
      {"track", ORVEX_TRACK_PATH, "", 0},
  };
  const temp_files files;
  const std::string path = files.write("flight.LOG", log.str());
  for (const row& r : rows) {
    const program_result run = run_program(r.program, r.options + " " + shell_quote(path));
    EXPECT_EQ(run.status, 0) << r.what << "\n" << run.err;
    EXPECT_EQ(count_of(run.out, "<unknown_entry_type/>"), r.unknown_entries) << r.what;
    for (const char* warning : {"made the reader skip 1500000 bytes", "GPS 1 filled its 2048-byte sentence buffer",
                                "the flight path reached its limit of 8192 points"}) {
      EXPECT_EQ(count_of(run.err, warning), 1u) << r.what << ": " << warning << "\n" << run.err;
    }
  }
}
