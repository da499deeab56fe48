// orvexdecode-report as a user meets it: arguments, where the report goes, a LOG from a pipe,
// the stretch shown, the errors that end a run (changing no file), and a page that asks for
// nothing outside itself.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <regex>
#include <string>

#include "flight_simulator.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flight_profile.h"
#include "support/run_program.h"

namespace {

const std::string program = ORVEX_REPORT_PATH;
const std::string sample = std::string(ORVEX_SOURCE_DIR) + "/samples/demo_flight.LOG";

// Two flights with a ground run between them.
const std::vector<profile_leg> two_flights = {{30, 0, 0},       {60, 1000, 10}, {120, 2400, 100},
                                              {60, 1000, 10},   {60, 0, 0},     {60, 1000, 10},
                                              {120, 2400, 100}, {60, 1000, 10}, {40, 0, 0}};

std::string two_flights_log() { return profile_log(two_flights, {.gps_speed = true, .settings = {"58=4"}}); }

program_result run_bash(const std::string& command_line) {
  return run_program("/bin/bash", "-c " + shell_quote(command_line));
}

// The span of the charts' time axis, in seconds.
double chart_span(const std::string& page, const std::string& chart = "flight") {
  std::smatch m;
  if (!std::regex_search(page, m,
                         std::regex("<figure class=\"chart\" id=\"chart-" + chart + "\" data-span=\"([0-9.]+)\""))) {
    return -1;
  }
  return std::stod(m[1]);
}

bool is_whole_page(const std::string& page) {
  return page.starts_with("<!DOCTYPE html>\n<html lang=\"en\">") && page.ends_with("</body></html>\n");
}

}  // namespace

TEST(ReportCommandLine, TheReportGoesBesideTheLogOrToStandardOutput) {
  temp_files t;
  const std::string bytes = two_flights_log();
  const std::string log = t.write("flight.LOG", bytes);
  const program_result beside = run_program(program, shell_quote(log));
  ASSERT_EQ(beside.status, 0) << beside.err;
  EXPECT_EQ(beside.out + beside.err, "");
  const std::string page = read_file(t.path("flight.html"));
  EXPECT_TRUE(is_whole_page(page));
  EXPECT_NE(page.find("<span class=\"file\">" + log + "</span>"), std::string::npos);

  // A pipe, a file on standard input and "-o -" give the same page, but for the LOG's name.
  const std::string from_file = run_program(program, "-o - " + shell_quote(log)).out;
  const std::string piped = run_bash("cat " + shell_quote(log) + " | " + shell_quote(program) + " -").out;
  const std::string redirected = run_program(program, "- <" + shell_quote(log)).out;
  EXPECT_TRUE(is_whole_page(piped));
  EXPECT_EQ(piped, redirected);
  EXPECT_EQ(
      std::regex_replace(from_file, std::regex(std::regex_replace(log, std::regex("[.]"), "[.]")), "standard input"),
      piped);
  EXPECT_EQ(page, from_file);
}

// Without -o the report goes beside the LOG: when that folder can't take it (read-only, or a
// full card, here a report that is a link to /dev/full), the error names the folder and
// suggests -o. With -o it adds nothing. Permissions do not stop root: as root, the runs in the
// read-only folder drop to nobody's ids.
TEST(ReportCommandLine, AFolderThatCannotTakeTheDefaultReportIsNamedWithTheWayAround) {
  temp_files t;
  const std::string card = t.path("card");
  const std::string full = t.path("full");
  std::filesystem::create_directories(card);
  std::filesystem::create_directories(full);
  t.write("card/flight.LOG", two_flights_log());
  t.write("full/flight.LOG", two_flights_log());
  std::filesystem::create_symlink("/dev/full", full + "/flight.html");
  using std::filesystem::perms;
  std::filesystem::permissions(t.dir, perms::owner_all | perms::group_read | perms::group_exec | perms::others_read |
                                          perms::others_exec);
  std::filesystem::permissions(card, perms::owner_write, std::filesystem::perm_options::remove);
  std::string as_user;
  std::string cannot_drop;
  if (geteuid() == 0) {
    as_user = "/usr/bin/setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (!std::filesystem::exists("/usr/bin/setpriv")) {
      cannot_drop = "running as root without setpriv, a read-only folder can't be made";
    } else if (run_bash(as_user + shell_quote(program) + " --version").status != 0) {
      cannot_drop = "running as root, and nobody may not run " + program + " (a folder above it is closed)";
    }
  }
  const auto hint = [](const std::string& folder) {
    return "The report goes beside the LOG unless -o names another file, and " + folder +
           " can't take it: try -o ~/flight.html\n";
  };
  const struct {
    bool read_only;
    std::string args;
    std::string says;
  } rows[] = {
      {true, shell_quote(card + "/flight.LOG"),
       "ERROR: Output file can't be opened for writing: " + card + "/flight.html: Permission denied\n" + hint(card)},
      {true, "-o " + shell_quote(card + "/named.html") + " " + shell_quote(card + "/flight.LOG"),
       "ERROR: Output file can't be opened for writing: " + card + "/named.html: Permission denied\n"},
      {false, shell_quote(full + "/flight.LOG"), "ERROR: Output can't be written: " + full + "/flight.html\n" + hint(full)},
  };
  for (const auto& r : rows) {
    if (r.read_only && !cannot_drop.empty()) continue;
    const program_result result = run_bash((r.read_only ? as_user : "") + shell_quote(program) + " " + r.args);
    EXPECT_EQ(result.status, 2) << r.args;
    EXPECT_EQ(result.err, r.says) << r.args;
  }
  EXPECT_FALSE(std::filesystem::exists(card + "/flight.html"));
  std::filesystem::permissions(card, perms::owner_write, std::filesystem::perm_options::add);
  if (!cannot_drop.empty()) GTEST_SKIP() << cannot_drop;
}

TEST(ReportCommandLine, AFlightOrAWindowNarrowsTheCharts) {
  temp_files t;
  const std::string log = t.write("two.LOG", two_flights_log());
  const log_summary s = analyse_bytes(read_file(log));
  ASSERT_EQ(s.flights.size(), 2u);
  const flight_record& second = s.flights[1];
  const program_result flight = run_program(program, "--flight 2 -o - " + shell_quote(log));
  ASSERT_EQ(flight.status, 0) << flight.err;
  EXPECT_NE(flight.out.find("<dt>Shown</dt><dd>flight 2, "), std::string::npos);
  EXPECT_NEAR(chart_span(flight.out), (second.end_ms + 1 - second.start_ms) / 1000.0, 0.001);

  const program_result window = run_program(program, "--from 100 --to 160.5 -o - " + shell_quote(log));
  ASSERT_EQ(window.status, 0) << window.err;
  EXPECT_NE(window.out.find("<dt>Shown</dt><dd>from 100 to 160.5, "), std::string::npos);
  EXPECT_NEAR(chart_span(window.out), 60.5, 0.001);

  const program_result whole = run_program(program, "-o - " + shell_quote(log));
  EXPECT_NEAR(chart_span(whole.out), (s.time.last.log_ms + 1 - s.time.first.log_ms) / 1000.0, 0.001);
}

TEST(ReportCommandLine, TimeGoingBackStartsASegmentDrawnBesideTheOtherWithABreak) {
  temp_files t;
  log_writer log;
  log.set_menu(10'000, "58=1");
  for (const auto& [ms, cht] : {std::pair{10'000, 300}, {11'000, 310}, {12'000, 320}, {5'000, 500}, {13'000, 330}}) {
    log.eis(static_cast<std::uint32_t>(ms), {.tachometer = 2000, .cht = {static_cast<std::uint16_t>(cht)}});
  }
  const program_result r = run_program(program, "-o - " + shell_quote(t.write("back.LOG", log.str())));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("CHT 1: 300 to 500 \xC2\xB0"
                       "F"),
            std::string::npos);
  // 10 to 12 s, then (LOG time going back by 7 s: a new segment) 5 to 13 s, the break between
  // them cut out of the axis (a cut takes at least a second of it, its mark in the middle).
  EXPECT_NEAR(chart_span(r.out, "cht"), 2.001 + 1.0 + 8.001, 0.0001);
  EXPECT_NE(r.out.find("class=\"cut\""), std::string::npos);
  EXPECT_EQ(r.out.find("not drawn"), std::string::npos);
}

TEST(ReportCommandLine, ThePageAsksForNothingOutsideItself) {
  const program_result r = run_program(program, "-o - " + shell_quote(sample));
  ASSERT_EQ(r.status, 0) << r.err;
  // No source, no style sheet or font to load, and links only within the page.
  for (const char* absent : {" src=", "url(", "@import", "<link rel=\"stylesheet\"", "<iframe", "<img"}) {
    EXPECT_EQ(r.out.find(absent), std::string::npos) << absent;
  }
  const std::regex href("href=\"([^\"]*)\"");
  for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), href); it != std::sregex_iterator(); ++it) {
    const std::string target = (*it)[1];
    EXPECT_TRUE(target.starts_with("#") || target == "data:,") << target;
  }
  // Each chart's text alternative gives the highest values the flight summary gives.
  const flight_figures& f = analyse_bytes(read_file(sample)).log.figures;
  for (std::size_t c = 0; c < 4; ++c) {
    const std::string n = std::to_string(c + 1);
    for (const auto& [name, value] : {std::pair{"CHT " + n, f.cht[c].value}, std::pair{"EGT " + n, f.egt[c].value}}) {
      const std::regex told(name +
                            ": [0-9,.]+ to ([0-9,.]+) \xC2\xB0"
                            "F");
      std::smatch m;
      ASSERT_TRUE(std::regex_search(r.out, m, told)) << name;
      EXPECT_EQ(std::regex_replace(m[1].str(), std::regex(","), ""), std::to_string(static_cast<int>(value))) << name;
    }
  }
}

TEST(ReportCommandLine, TheFlightsAirportsShowInTheTableAndOnTheMapWithTheirSource) {
  scenario planned;
  scenario_error error;
  ASSERT_TRUE(read_scenario(read_file(std::string(ORVEX_SOURCE_DIR) + "/samples/scenarios/krnt_bfi_pae.scenario"),
                            planned, error));
  const temp_files t;
  const std::string log = t.write("route.LOG", scenario_log(planned));
  const std::vector<std::string> shown = {
      "<th scope=\"col\">Route</th>",
      "data-label=\"Route\">KRNT - KBFI - KPAE</td>",
      "<abbr title=\"Renton Municipal Airport\">KRNT</abbr> runway 34</small>",
      "<abbr title=\"Seattle Paine Field International Airport\">KPAE</abbr> runway 34L</small>",
      ">KBFI King County International Airport - Boeing Field</text>",
      "<p>Airports: contains information from OurAirports",
  };
  const struct {
    const char* options;
    bool airports;
  } rows[] = {{"", true}, {"--airports none", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.options);
    const program_result r = run_program(program, std::string(row.options) + " -o - " + shell_quote(log));
    ASSERT_EQ(r.status, 0) << r.err;
    for (const std::string& part : shown) EXPECT_EQ(r.out.find(part) != std::string::npos, row.airports) << part;
  }
}

TEST(ReportCommandLine, AnHourOfFlightGivesAPageUnderOneAndAHalfMegabytes) {
  temp_files t;
  const std::string log = t.write("hour.LOG", simulated_log({.seed = 5, .minutes = 60.0}));
  const program_result r = run_program(program, shell_quote(log));
  ASSERT_EQ(r.status, 0) << r.err;
  const auto size = std::filesystem::file_size(t.path("hour.html"));
  EXPECT_LT(size, 1'500'000u);
  EXPECT_GT(size, 300'000u);
}

TEST(ReportCommandLine, ErrorsEndWithStatus2AndChangeNoFile) {
  temp_files t;
  const std::string log = t.write("flight.LOG", two_flights_log());
  const std::string html = t.path("flight.html");
  const std::string limits = t.write("bad.limits", "cht_max = 460 F\ncht_hot = 3\n");
  const struct {
    std::string args;
    std::string message;
  } rows[] = {
      {t.path("none.LOG"),
       "ERROR: Input file can't be opened for reading: " + t.path("none.LOG") + ": No such file or directory\n"},
      {"--flight 3 " + log, "ERROR: The stretch asked for can't be shown: the LOG holds 2 flights, not flight 3\n"},
      {"-o " + log + " " + log, "ERROR: Output file is the same file as the input file: " + log + "\n"},
      {"-o " + t.path("none/x.html") + " " + log,
       "ERROR: Output file can't be opened for writing: " + t.path("none/x.html") + ": No such file or directory\n"},
      {"-o /dev/full " + log, "ERROR: Output can't be written: /dev/full\n"},
      {"--limits " + limits + " " + log, "ERROR: " + limits + ":2: "},
      {"-o - " + t.dir, "ERROR: Input file can't be read: " + t.dir + ": Is a directory\n"},
      {"- <&-", "ERROR: Standard input is closed\n"},
  };
  for (const auto& r : rows) {
    t.write("flight.html", "old");
    const program_result result = run_program(program, r.args);
    EXPECT_EQ(result.status, 2) << r.args;
    EXPECT_TRUE(result.err.starts_with(r.message)) << r.args << "\n" << result.err;
    EXPECT_EQ(read_file(html), "old") << r.args;
  }
  // A pipe is copied to a temporary file in TMPDIR: none there is an error too.
  const program_result copy = run_bash("cat " + shell_quote(log) + " | TMPDIR=" + shell_quote(t.path("none")) + " " +
                                       shell_quote(program) + " -o " + shell_quote(html) + " -");
  EXPECT_EQ(copy.status, 2);
  EXPECT_EQ(copy.err, "ERROR: LOG can't be copied to a temporary file: standard input: No such file or directory\n");
  EXPECT_EQ(read_file(html), "old");
}
