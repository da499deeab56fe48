// The HTML report of damaged LOGs, built in the test's own process so that the sanitizers watch
// every read: every truncation point and random bytes give a whole page with its elements
// closed (or, holding no record, are refused as not a LOG), a record shorter than its layout
// draws only the fields it holds, and a flight's phases show in their table and on the charts.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "analysis/flight_timeline.h"
#include "path/path_logs.h"
#include "report/html/flight_report.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flight_profile.h"
#include "support/random_bits.h"

namespace {

// Ten seconds with every source the report draws.
std::string every_source_log() {
  log_writer log;
  log.set_menu(100, "58=4").set_menu(100, "345=1");
  for (std::uint32_t t = 1000; t <= 10'000; t += 1000) {
    log.eis(t, {.tachometer = 2400,
                .cht = {350, 351, 352, 353},
                .egt = {1300},
                .primaryvoltage = 140,
                .fuelflow = 95,
                .oiltemp = 180,
                .oilpressure = 60});
    log.ahrs_hr(t + 1, {.roll_angle = ahrs_angle(-15), .pressure_alt = 6500, .asi = 1688});
    log.analog(t + 2, {400, 400, 400, 606, 25, 610, 25, 60, 1000});
    log.gps1(t + 3, aviation_fix("N 47 2345", "W 122 1234"));
    log.gps2(t + 4, rmc_sentence(1'716'044'400 + t / 1000, 100));
  }
  return log.str();
}

// The page of a LOG's bytes, as orvexdecode-report writes it for the whole LOG; bytes that hold
// no record are refused as not a LOG, and no page is written.
struct report_run {
  flight_report_status status;
  std::string page;
};

report_run report_of(const std::string& log) {
  const context_ptr ctx = make_context();
  flight_report_request request;
  request.log_name = "damaged.LOG";
  FILE* in = stream_with(log);
  FILE* out = std::tmpfile();
  const flight_report_result result = write_flight_report(*ctx, request, in, out);
  std::fclose(in);
  return {result.status, drain_stream(out)};
}

std::string page_of(const std::string& log) { return report_of(log).page; }

// word stands alone in text (not inside a longer word).
bool has_word(const std::string& text, const std::string& word) {
  const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if ((at == 0 || !letter(text[at - 1])) && (end == text.size() || !letter(text[end]))) return true;
  }
  return false;
}

// The page ends and its figures and drawings close as many times as they open.
::testing::AssertionResult is_whole(const std::string& page) {
  if (!page.starts_with("<!DOCTYPE html>\n") || !page.ends_with("</body></html>\n")) {
    return ::testing::AssertionFailure() << "the page is cut short";
  }
  for (const auto& [open, close] : {std::pair{"<figure", "</figure>"},
                                    {"<svg", "</svg>"},
                                    {"<table", "</table>"},
                                    {"<section", "</section>"},
                                    {"<path", "/>"}}) {
    if (count_of(page, open) > count_of(page, close)) {
      return ::testing::AssertionFailure() << open << " opens more often than " << close << " closes";
    }
  }
  if (has_word(page, "nan") || has_word(page, "inf")) {
    return ::testing::AssertionFailure() << "a number that is not one";
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult is_whole_or_refused(const report_run& run) {
  if (run.status == flight_report_status::not_a_log) {
    return run.page.empty() ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "a refused LOG's page";
  }
  if (run.status != flight_report_status::written) return ::testing::AssertionFailure() << "no page";
  return is_whole(run.page);
}

}  // namespace

TEST(HtmlReport, EveryTruncationPointGivesAWholePage) {
  const std::string log = every_source_log();
  ASSERT_TRUE(is_whole(page_of(log)));
  for (std::size_t cut = 0; cut < log.size(); cut += 3) {
    ASSERT_TRUE(is_whole_or_refused(report_of(log.substr(0, cut)))) << cut;
  }
}

TEST(HtmlReport, RandomBytesGiveAWholePage) {
  const std::string log = every_source_log();
  random_bits random(42);
  for (int round = 0; round < 200; ++round) {
    std::string damaged = log;
    for (int k = 0; k < 8; ++k) damaged[random() % damaged.size()] = static_cast<char>(random());
    ASSERT_TRUE(is_whole_or_refused(report_of(damaged))) << round;
  }
  std::string noise(4000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  EXPECT_TRUE(is_whole_or_refused(report_of(noise)));
}

TEST(HtmlReport, AShortRecordDrawsOnlyTheFieldsItHolds) {
  // An EIS record cut after the CHTs: no EGT, oil or bus voltage from it.
  log_writer log;
  log.set_menu(100, "58=4");
  const std::vector<std::uint8_t> whole = eis_payload(
      {.tachometer = 2400, .cht = {350, 351, 352, 353}, .egt = {1300, 1301, 1302, 1303}, .primaryvoltage = 140});
  log.record(source_eis, 1000, whole);
  log.record(source_eis, 2000, std::span(whole).first(17));
  const std::string page = page_of(log.str());
  EXPECT_TRUE(is_whole(page));
  EXPECT_NE(page.find("d=\"M0.9 -2400L1.9 -2400\""), std::string::npos) << page;  // rpm: both records
  EXPECT_NE(page.find("data-name=\"EGT 1\" data-unit=\"\xC2\xB0"
                      "F\" data-dec=\"1\" d=\"M0.9 -1300h0\""),
            std::string::npos);  // EGT: the whole record alone
}

// A scenario flight's phases: a row each in the phases table, and a strip each at the foot of
// every chart.
TEST(HtmlReport, ShowsEachFlightPhaseInItsTableAndOnEveryChart) {
  scenario planned;
  scenario_error error;
  ASSERT_TRUE(read_scenario(read_file(std::string(ORVEX_SOURCE_DIR) + "/samples/scenarios/pattern_krnt.scenario"),
                            planned, error));
  const std::string log = scenario_log(planned, nullptr, &error);
  const log_summary summary = analyse_bytes(log);
  const std::string page = page_of(log);
  ASSERT_TRUE(is_whole(page));
  ASSERT_EQ(summary.flights.size(), 1u);
  const std::vector<phase_record>& phases = summary.flights[0].phases;
  ASSERT_GE(phases.size(), 6u);
  const std::size_t charts = count_of(page, "<figure class=\"chart\"");
  ASSERT_GT(charts, 3u);
  EXPECT_EQ(count_of(page, " y=\"0.92\""), phases.size() * charts);
  const std::size_t from = page.find("<section id=\"phases\">");
  ASSERT_NE(from, std::string::npos);
  const std::string table = page.substr(from, page.find("</section>", from) - from);
  std::size_t at = 0;
  for (const phase_record& p : phases) {  // in order
    at = table.find("<tr><th scope=\"row\">" + std::string(flight_phase_display(p.kind)) + "</th>", at);
    ASSERT_NE(at, std::string::npos) << flight_phase_name(p.kind);
    ++at;
  }
  EXPECT_EQ(count_of(table, "<tr><th scope=\"row\">"), phases.size());
}
