// orvexdecode-info as a user meets it: arguments, several LOGs at once, errors, the text report
// and the JSON Lines checked against the committed schema.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "flight_simulator.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flight_profile.h"
#include "support/info_schema_check.h"
#include "support/run_program.h"

namespace {

const std::string program = ORVEX_INFO_PATH;
const std::string source_dir = ORVEX_SOURCE_DIR;

// A flight, a ground run, a limits exceedance: the LOG of the text report's expected output.
std::string report_log() {
  return profile_log(
      {{30, 0, 0}, {60, 1000, 10}, {300, 2400, 100}, {60, 1000, 10}, {60, 0, 0}, {90, 1800, 0}, {40, 0, 0}},
      {.gps_speed = true, .settings = {"58=4", "345=0"}, .engine_hours = 1234.5});
}

// The LOG of a shipped scenario: a flight between airports, for the airports' keys.
std::string scenario_bytes(const char* name) {
  scenario planned;
  scenario_error error;
  EXPECT_TRUE(read_scenario(read_file(source_dir + "/samples/scenarios/" + name + ".scenario"), planned, error));
  return scenario_log(planned);
}

}  // namespace

TEST(InfoCommandLine, ABadLimitsFileIsRefusedBeforeAnyLogIsRead) {
  const temp_files t;
  const std::string limits = t.write("aircraft.limits", "cht_max = 460\n\negt_max = 1650 K\n");
  const program_result r = run_program(program, "--limits " + shell_quote(limits) + " -", report_log());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "ERROR: " + limits + ":3: unit \"K\" does not fit egt_max (F or C)\n");
  const program_result missing = run_program(program, "--limits " + shell_quote(t.path("none")) + " -");
  EXPECT_EQ(missing.status, 2);
  EXPECT_TRUE(missing.err.starts_with("ERROR: Limits file can't be opened: ")) << missing.err;
}

TEST(InfoCommandLine, SeveralLogsKeepTheirOrderAndAnUnreadableOneFailsAlone) {
  const temp_files t;
  std::filesystem::create_directories(t.path("logs/2024"));
  std::filesystem::create_directory(t.path("empty"));
  t.write("logs/b.LOG", profile_log({{60, 1000, 0}}));
  t.write("logs/2024/a.log", report_log());
  t.write("logs/notes.txt", "not a LOG");
  std::filesystem::create_symlink(t.path("gone"), t.path("logs/c.LOG"));
  const program_result r =
      run_program(program, "--json -j 2 " + shell_quote(t.path("logs")) + " " + shell_quote(t.path("missing.LOG")) +
                               " " + shell_quote(t.path("logs/b.LOG")));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(count_of(r.out, "\n"), 3u) << r.out;
  const std::size_t a = r.out.find("\"file\":\"" + t.path("logs/2024/a.log"));
  const std::size_t b = r.out.find("\"file\":\"" + t.path("logs/b.LOG"));
  const std::size_t b_again = r.out.rfind("\"file\":\"" + t.path("logs/b.LOG"));
  EXPECT_TRUE(a < b && b < b_again && b_again != std::string::npos) << r.out;
  EXPECT_EQ(info_schema_errors(r.out), "");
  EXPECT_EQ(r.err, t.path("logs") + ": 2 LOGs found, 2 files skipped\nERROR: LOG can't be opened for reading: " +
                       t.path("missing.LOG") + ": No such file or directory\n");
  const program_result empty_folder = run_program(program, shell_quote(t.path("empty")));
  EXPECT_EQ(empty_folder.status, 2);
  EXPECT_NE(empty_folder.err.find("Folder holds no .LOG files"), std::string::npos) << empty_folder.err;
}

TEST(InfoCommandLine, FullStandardOutputIsAnError) {
  const program_result r =
      run_program("/bin/sh", "-c " + shell_quote(shell_quote(program) + " - >/dev/full"), report_log());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ERROR: Output can't be written: standard output\n");
}

TEST(InfoCommandLine, TheTextReportReadsAtAGlance) {
  const temp_files t;
  const std::string limits = t.write("limits", "cht_max = 241 F\noil_pressure_min = 70 when rpm > 2000\n");
  const program_result r = run_program(program, "--limits " + shell_quote(limits) + " -", report_log());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, read_file(source_dir + "/tests/cmdline/expected/info_report.txt"));
}

// A profile is read before any LOG, a bad line refused with its number; its limits are checked,
// those a limits file gives for the same parameter and condition replaced.
TEST(InfoCommandLine, AProfileIsReadOrRefusedWithItsLineNumber) {
  const temp_files t;
  t.write("aircraft.profile", "tail = N1\ncylinders = 4\ncht_max = 241 F\n");
  t.write("bad.profile", "tail = N1\n\ncylinders = 9\n");
  t.write("higher.limits", "cht_max = 300 F\n");
  const struct {
    const char* options;
    int status;
    const char* err;  // the beginning of standard error
    const char* out;  // a line the report holds
  } rows[] = {
      {"--profile aircraft.profile", 0, "", "  Exceedance  cht_max #3 > 241 F: once"},
      {"--profile aircraft.profile --limits higher.limits", 0, "", "  Limits      no exceedance"},
      {"--profile-set 'cht_max = 241 F'", 0, "", "  Exceedance  cht_max #4 > 241 F: once"},
      {"--profile bad.profile", 2, "ERROR: bad.profile:3: cylinders must lie from 1 to 6, not 9\n", ""},
      {"--profile missing.profile", 2, "ERROR: Profile can't be opened: missing.profile", ""},
      {"--profile-set 'climb_rate = fast'", 1, "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.options);
    const program_result r = run_program(
        "/bin/sh", "-c " + shell_quote("cd " + shell_quote(t.dir) + " && " + shell_quote(program) + " " + row.options +
                                       " -"),
        report_log());
    EXPECT_EQ(r.status, row.status) << r.err;
    if (row.status != 1) {
      EXPECT_EQ(r.err.substr(0, std::string(row.err).size()), row.err) << r.err;
    }
    EXPECT_NE(r.out.find(row.out), std::string::npos) << r.out;
  }
}

TEST(InfoCommandLine, JsonLinesMatchTheSchema) {
  const std::string missing = info_schema_validator_missing();
  if (!missing.empty()) {
    if (std::getenv("CI") != nullptr) FAIL() << missing;
    GTEST_SKIP() << missing;
  }
  const temp_files t;
  const std::string simulated = simulated_log({.seed = 9, .minutes = 15.0});
  const std::string logs[] = {
      t.write("report.LOG", report_log()),
      t.write("simulated.LOG", simulated),
      t.write("cut.LOG", simulated.substr(0, simulated.size() / 3 + 5)),
      t.write("no_time.LOG", profile_log({{30, 0, 0}, {60, 1000, 10}, {300, 2400, 100}}, {.nmea_time = false})),
      t.write("name \"quoted\" \xE9.LOG", report_log()),
      t.write("route.LOG", scenario_bytes("krnt_bfi_pae")),
  };
  const std::string limits = t.write("limits", "cht_max = 241\negt_span_max = 20 F\nias_max = 90 when airborne\n");
  t.write("aircraft.profile",
          "tail = N1\ncylinders = 4\nhorsepower = 180\ninduction = injected\nfuel_capacity = 200 L\n"
          "aux1 = manifold_pressure_inhg / 10\naux2 = fuel_pressure_psi * 0.5\nrpm_max = 2000\n");
  for (const char* options : {"", "--limits limits --utc-start 2026-03-11T22:22:46Z --gps_2_aviation --airports none --heliports --time-zone America/Denver",
                              "--profile aircraft.profile --profile-set 'climb_rate = 200'"}) {
    std::string args = "--json -j 3 ";
    args += options;
    for (const std::string& log : logs) {
      args += ' ';
      args += shell_quote(log);
    }
    const program_result r = run_program(
        "/bin/sh", "-c " + shell_quote("cd " + shell_quote(t.dir) + " && " + shell_quote(program) + " " + args));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(count_of(r.out, "\n"), std::size(logs));
    EXPECT_EQ(info_schema_errors(r.out), "") << options;
  }
}
