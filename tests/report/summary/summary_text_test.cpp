// The text summary writes a line of any length whole: the gaps of six sources, each at the
// largest count and placed on another day, make a line of more than 511 bytes.
#include <gtest/gtest.h>

#include <string>

#include "report/summary/summary_text.h"
#include "support/capture.h"

TEST(SummaryText, LongLineIsWrittenWhole) {
  log_summary s;
  s.time.has_records = true;
  s.time.first = {1000, true, 1'716'044'400'000};  // 2024-05-18 15:00:00Z
  s.time.last = {2000, true, 1'716'044'401'000};
  s.segments.emplace_back().early = clock_mapping::through(utc_source::gps, {1'716'044'400'000, 1000});
  s.health.gap_limit_ms = 5000;
  for (source_gaps& g : s.health.gaps) g = {18'446'744'073'709'551'615u, 4'294'967'295, 4'000'000'000};
  const std::string text = capture_output([&](output_writer& out) { write_summary_text(out, "long.LOG", s); });
  const std::string one_gap = "(longest 4294967.3 s at 2024-07-03 22:06:39Z)";
  const std::size_t start = text.find("gaps over 5 s: AHRS_High_Rate 18,446,744,073,709,551,615 " + one_gap + "; ");
  ASSERT_NE(start, std::string::npos) << text;
  const std::string line = text.substr(start, text.find('\n', start) - start);
  EXPECT_GT(line.size(), 511u);
  EXPECT_TRUE(line.ends_with("; GPS2_Input 18,446,744,073,709,551,615 " + one_gap)) << line;
}
