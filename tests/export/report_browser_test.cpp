// The HTML report opened in a real browser: Debian's headless Chromium, driven by puppeteer-core
// (tests/export/report_browser), with every request but the file itself refused and counted.
// Each chart must hold its series with the points and extremes the LOG holds, the map its
// path, the script must zoom and read out, and a printed chart must fit an A4 page. On a phone
// (412 px wide, and 360 px and 768 px) the page must not scroll sideways, every table cell must
// lie inside the screen and every text must read at 10 px or more, uncut. The screenshots (at
// 1280 px and 412 px) and printed PDFs (A4 and Letter) stay in the build directory. Skipped
// when chromium, node or the npm package is missing (scripts/test.sh installs them), except
// under CI, where that fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "path/path_logs.h"
#include "support/flight_profile.h"
#include "support/run_program.h"

namespace {

const std::string browser_dir = std::string(ORVEX_SOURCE_DIR) + "/tests/export/report_browser";
const std::string artefact_dir = std::string(ORVEX_BINARY_DIR) + "/report_browser";
constexpr const char* chromium = "/usr/bin/chromium";

std::string browser_missing() {
  if (!std::filesystem::exists(chromium)) return "Debian's chromium is not installed";
  if (run_program("/bin/sh", "-c 'command -v node'").status != 0) return "node is not installed";
  if (!std::filesystem::exists(browser_dir + "/node_modules/puppeteer-core/package.json")) {
    return "the npm package puppeteer-core is not installed (npm install --prefix tests/export/report_browser)";
  }
  return "";
}

#define SKIP_WITHOUT_BROWSER()                             \
  do {                                                     \
    const std::string missing = browser_missing();         \
    if (!missing.empty()) {                                \
      if (std::getenv("CI") != nullptr) FAIL() << missing; \
      GTEST_SKIP() << missing;                             \
    }                                                      \
  } while (false)

// Writes the report of a LOG into the artefact folder and reads it in the browser; returns the
// facts the browser found, one a line. The report runs in the source folder, so that a LOG
// named from there is named on the page as a user of the checkout would name it
// (scripts/report_screenshot.sh takes its picture of the sample's page).
std::string report_in_browser(const std::string& name, const std::string& log_path, const std::string& options) {
  std::filesystem::create_directories(artefact_dir);
  const std::string html = artefact_dir + "/" + name + ".html";
  const std::string command = "cd " + shell_quote(ORVEX_SOURCE_DIR) + " && exec " + shell_quote(ORVEX_REPORT_PATH) +
                              " " + options + " -o " + shell_quote(html) + " " + shell_quote(log_path);
  const program_result report = run_program("/bin/sh", "-c " + shell_quote(command));
  EXPECT_EQ(report.status, 0) << report.err;
  const std::string png = artefact_dir + "/" + name + ".png";
  const program_result browser = run_program("node", shell_quote(browser_dir + "/check_report.cjs") + " " +
                                                         shell_quote(html) + " " + shell_quote(png) + " " + chromium);
  EXPECT_EQ(browser.status, 0) << browser.err;
  std::cout << "Screenshot of the report: " << png << "\n";
  return browser.out;
}

bool has_line(const std::string& facts, const std::string& line) {
  return ("\n" + facts).find("\n" + line + "\n") != std::string::npos;
}

// On each width the browser tried, as loaded and zoomed: the document as wide as the screen, no
// text under 10 px or cut off, no table cell outside the screen.
void expect_reads_on_a_phone(const std::string& facts) {
  for (const char* width : {"412", "360", "768"}) {
    for (const std::string state : {"", " zoomed"}) {
      const std::string label = std::string("phone ") + width + state;
      EXPECT_TRUE(has_line(facts, label + " document " + width)) << label << "\n" << facts;
      const std::size_t texts = facts.find("\n" + label + " texts ");
      const std::size_t cells = facts.find("\n" + label + " cells ");
      ASSERT_NE(texts, std::string::npos) << label << "\n" << facts;
      ASSERT_NE(cells, std::string::npos) << label << "\n" << facts;
      int shown = 0, small = 0, cut = 0, shown_cells = 0, outside = 0;
      double smallest = 0;
      const std::string text_line = "\n" + label + " texts %d below-10px %d smallest %lf cut %d";
      const std::string cell_line = "\n" + label + " cells %d outside %d";
      ASSERT_EQ(std::sscanf(facts.c_str() + texts, text_line.c_str(), &shown, &small, &smallest, &cut), 4) << facts;
      ASSERT_EQ(std::sscanf(facts.c_str() + cells, cell_line.c_str(), &shown_cells, &outside), 2) << facts;
      EXPECT_GT(shown, 100) << label;
      EXPECT_EQ(small, 0) << label << "\n" << facts;
      EXPECT_GE(smallest, 10.0) << label;
      EXPECT_EQ(cut, 0) << label << "\n" << facts;
      EXPECT_GT(shown_cells, 0) << label;
      EXPECT_EQ(outside, 0) << label << "\n" << facts;
    }
  }
}

// Two minutes of a short flight with every source, at rates the charts keep whole: EIS every
// second (CHT 1 with a one-sample spike to 480 at 60 s, no EIS from 80 s to 89 s), the AHRS
// every 500 ms, a GPS 1 fix every second, the localiser valid from 30 s to 60 s, UTC on GPS 2.
std::string short_flight() {
  log_writer log;
  log.set_menu(500, "58=4").set_menu(500, "345=0");
  for (std::uint32_t t = 1000; t <= 120'000; t += 500) {
    const double s = t / 1000.0;
    log.ahrs_hr(t, {.roll_angle = ahrs_angle(s > 40 && s < 70 ? -20 : 0),
                    .pitch_angle = ahrs_angle(5),
                    .pressure_alt = static_cast<std::uint16_t>(5000 + 1000 + t / 100),
                    .asi = static_cast<std::int16_t>(1688)});
    if (t % 1000 != 0) continue;
    if (t < 80'000 || t >= 90'000) {
      eis_fields e{.tachometer = 2400, .primaryvoltage = 140, .fuelflow = 95, .oiltemp = 180, .oilpressure = 60};
      for (std::uint16_t c = 0; c < 4; ++c) {
        e.cht[c] = static_cast<std::uint16_t>(300 + c + t / 1000);
        e.egt[c] = static_cast<std::uint16_t>(1300 + c);
      }
      if (t == 60'000) e.cht[0] = 480;
      log.eis(t, e);
    }
    std::array<std::uint16_t, 16> analog{};
    analog[3] = static_cast<std::uint16_t>(606 + (t / 1000) % 7);  // localiser reading
    analog[4] = t >= 30'000 && t <= 60'000 ? 25 : 5;               // its valid flag
    log.analog(t, analog);
    char latitude[16];
    std::snprintf(latitude, sizeof latitude, "N 47 %02u%02u", 20 + t / 60'000, t / 1000 % 60);
    log.gps1(t + 3, aviation_fix(latitude, "W 122 1300", "010", "100", "02000"));
    log.gps2(t + 5, rmc_sentence(1'716'044'400 + t / 1000, 100));
  }
  return log.str();
}

}  // namespace

TEST(ReportInBrowser, AShortFlightShowsEverySeriesWholeWithNoRequestLeavingThePage) {
  SKIP_WITHOUT_BROWSER();
  temp_files t;
  // The LOG stays beside its report, so that the page can be made again as it was.
  std::filesystem::create_directories(artefact_dir);
  const std::string log = artefact_dir + "/short flight.LOG";
  std::ofstream(log, std::ios::binary) << short_flight();
  const std::string limits = t.write("limits.txt", "cht_max = 450 F\n");
  const std::string facts = report_in_browser("short_flight", log, "--limits " + shell_quote(limits));
  // 240 AHRS messages, 110 EIS records in two runs around the silent ten seconds, 120 fixes,
  // 31 valid localiser readings: buckets of 200 ms keep each alone, so every one is a point. The
  // aircraft is airborne throughout (one band), CHT 1 exceeds its limit once; the track climbs
  // through the eight colours of the altitude scale.
  for (const char* line : {
           "requests refused 0",
           "script errors 0",
           "script ran yes",
           "chart flight series 4",
           "series flight Pressure altitude points 239 runs 1 min 1010 max 2200",
           "series flight GPS altitude points 120 runs 1 min 2000 max 2000",
           "series flight IAS points 239 runs 1 min 100 max 100",
           "series flight Ground speed points 120 runs 1 min 100 max 100",
           "series engine RPM points 110 runs 2 min 2400 max 2400",
           "series engine Fuel flow points 110 runs 2 min 9.5 max 9.5",
           "chart cht series 4",
           "series cht CHT 1 points 110 runs 2 min 301 max 480",
           "series cht CHT 4 points 110 runs 2 min 304 max 423",
           "bands cht engine 0 air 1 exceed 1 limits 1",
           "series egt EGT 3 points 110 runs 2 min 1302 max 1302",
           "series oil Oil temperature points 110 runs 2 min 180 max 180",
           "series oil Oil pressure points 110 runs 2 min 60 max 60",
           "series bus Bus voltage points 110 runs 2 min 14 max 14",
           "series attitude Pitch (nose up +) points 239 runs 1 min 5 max 5",
           "series attitude Roll (right wing down +) points 239 runs 1 min -20 max 0",
           "chart approach series 1",  // no valid glideslope: its line is left out
           "series approach Localiser points 31 runs 1 min 0 max 5.92",
           "map points 120 pieces 8 marks 0",
           "hover readout 4 map-cursor on",
           "zoom changed restored",
       }) {
    EXPECT_TRUE(has_line(facts, line)) << line << "\n\n" << facts;
  }
  EXPECT_NE(facts.find("\nprint widest "), std::string::npos) << facts;
  expect_reads_on_a_phone(facts);
}

TEST(ReportInBrowser, TheSimulatedSampleFlightPeaksAsTheFlightSummaryTellsThem) {
  SKIP_WITHOUT_BROWSER();
  const std::string sample = std::string(ORVEX_SOURCE_DIR) + "/samples/demo_flight.LOG";
  const std::string facts = report_in_browser("demo_flight", "samples/demo_flight.LOG", "");
  const log_summary summary = analyse_bytes(read_file(sample));
  const flight_figures& f = summary.log.figures;
  EXPECT_TRUE(has_line(facts, "requests refused 0")) << facts;
  EXPECT_TRUE(has_line(facts, "script errors 0")) << facts;
  for (std::size_t c = 0; c < 4; ++c) {
    const std::string n = std::to_string(c + 1);
    std::ostringstream cht, egt;
    cht << "series cht CHT " << n << " points ";
    egt << "series egt EGT " << n << " points ";
    for (const auto& [prefix, value] : {std::pair{cht.str(), f.cht[c].value}, std::pair{egt.str(), f.egt[c].value}}) {
      const std::size_t at = facts.find(prefix);
      ASSERT_NE(at, std::string::npos) << prefix << "\n" << facts;
      const std::string line = facts.substr(at, facts.find('\n', at) - at);
      EXPECT_TRUE(line.ends_with(" max " + std::to_string(static_cast<int>(value)))) << line;
    }
  }
  EXPECT_NE(facts.find("series flight Pressure altitude points "), std::string::npos);
  EXPECT_NE(facts.find(" max " + std::to_string(static_cast<int>(f.pressure_altitude_ft.value)) + "\n"),
            std::string::npos)
      << facts;
  // Marks: the takeoff, the landing and the airport the sample flight leaves from.
  EXPECT_TRUE(has_line(facts, "map points 643 pieces 15 marks 3")) << facts;
  // Each chart and the map fit the width of an A4 page and the height of a Letter page, less
  // their margins of 12 mm (at 96 pixels an inch).
  const std::size_t at = facts.find("print widest ");
  ASSERT_NE(at, std::string::npos) << facts;
  int widest = 0, tallest = 0;
  ASSERT_EQ(std::sscanf(facts.c_str() + at, "print widest %d tallest %d", &widest, &tallest), 2) << facts;
  EXPECT_LE(widest, 703) << facts;
  EXPECT_LE(tallest, 965) << facts;
  expect_reads_on_a_phone(facts);
}
