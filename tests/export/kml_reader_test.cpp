// The KML that `orvexdecode -k` writes, read back by independent readers: an XML parser and
// a KML-to-GeoJSON converter running under node (tests/export/kml_reader). The test is skipped
// when node or the reader's packages are not installed.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "path/path_logs.h"
#include "support/run_program.h"

namespace {

const std::string reader_dir = std::string(ORVEX_SOURCE_DIR) + "/tests/export/kml_reader";

// Why the reader cannot run here, or "" when it can.
std::string reader_missing() {
  if (run_program("/bin/sh", "-c 'command -v node'").status != 0) return "node is not installed";
  for (const char* package : {"@tmcw/togeojson", "@xmldom/xmldom"}) {
    if (!std::filesystem::exists(reader_dir + "/node_modules/" + package + "/package.json")) {
      return std::string("the npm package ") + package + " is not installed";
    }
  }
  return "";
}

constexpr const char* install_command =
    "npm install --prefix tests/export/kml_reader --no-package-lock";

#define SKIP_WITHOUT_KML_READER()                                                        \
  do {                                                                                   \
    const std::string missing = reader_missing();                                        \
    if (!missing.empty()) {                                                              \
      GTEST_SKIP() << "KML reader unavailable (" << missing << "); install it with: "    \
                   << install_command;                                                   \
    }                                                                                    \
  } while (false)

program_result read_kml(const std::string& kml_path) {
  return run_program("node", shell_quote(reader_dir + "/read_kml.cjs") + " " + shell_quote(kml_path));
}

struct temp_dir {
  std::string path = make_temp_dir();
  ~temp_dir() { std::system(("rm -rf " + shell_quote(path)).c_str()); }
};

}  // namespace

TEST(KmlReader, ReadsTheFlightPathAndBothWingtips) {
  SKIP_WITHOUT_KML_READER();
  const temp_dir t;
  // A file name that is not UTF-8 and holds markup characters ends up in the description.
  const std::string log_path = t.path + "/flight & <1>\xE9.LOG";
  log_writer log;
  log.gps1(10, aviation_fix("N 47 2345", "W 122 1234", "090"));
  log.ahrs_hr(20, {.roll_angle = ahrs_angle(30), .yaw_angle = ahrs_angle(90), .pressure_alt = 6000});
  log.gps1(30, aviation_fix("N 47 2445", "W 122 1234", "090"));
  log.ahrs_hr(40, {.roll_angle = ahrs_angle(30), .yaw_angle = ahrs_angle(90), .pressure_alt = 6100});
  log.record(13, 50, "x");
  log.record(13, 60, "y");
  ASSERT_TRUE(log.save(log_path));
  const std::string kml_path = t.path + "/out.kml";
  const program_result decode = run_program(
      ORVEX_CMDLINE_PATH, "-o /dev/null -k " + shell_quote(kml_path) + " " + shell_quote(log_path));
  ASSERT_EQ(decode.status, 0) << decode.err;

  const program_result r = read_kml(kml_path);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(r.out.starts_with("root kml http://earth.google.com/kml/2.0\n"
                                "description Generated info "))
      << r.out;
  EXPECT_NE(r.out.find(" - " + t.path + "/flight & <1>\xEF\xBF\xBD.LOG\n"), std::string::npos)
      << r.out;
  // Stored: fix 1 at -5000 feet with no attitude yet, fix 1 at 1000 feet (spread onto fix 2,
  // logged at the same time), fix 2, and fix 2 at 1100 feet, the last, which is not written.
  // The wingtips of the banked points sit 0.00004 x cos 30 degrees north and south and
  // 1.5 m up and down (the logged 30 degrees is 29.998).
  EXPECT_NE(r.out.find("feature Main flightpath LineString 3\n"
                       "\t-122.205666,47.390835,-1523.999998\n"
                       "\t-122.205666,47.407501,304.8\n"
                       "\t-122.205666,47.407501,304.8\n"
                       "feature Left Wingtip LineString 3\n"
                       "\t-122.205706,47.390835,-1523.999998\n"
                       "\t-122.205666,47.407536,306.299917\n"
                       "\t-122.205666,47.407536,306.299917\n"
                       "feature Right Wingtip LineString 3\n"
                       "\t-122.205626,47.390835,-1523.999998\n"
                       "\t-122.205666,47.407467,303.300083\n"
                       "\t-122.205666,47.407467,303.300083\n"),
            std::string::npos)
      << r.out;
}

TEST(KmlReader, AcceptsAPathWithoutPoints) {
  SKIP_WITHOUT_KML_READER();
  const temp_dir t;
  const std::string kml_path = t.path + "/empty.kml";
  const program_result decode =
      run_program(ORVEX_CMDLINE_PATH, "-o /dev/null -k " + shell_quote(kml_path) + " -");
  ASSERT_EQ(decode.status, 0) << decode.err;
  const program_result r = read_kml(kml_path);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("description Generated info "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" - -\n"), std::string::npos) << r.out;
}
