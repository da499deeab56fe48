// The LOG's health from the record times: steps back within a segment, gaps of a periodic
// source, and the breaks between segments, which are neither.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "log_writer.h"
#include "support/flight_profile.h"

TEST(LogHealth, CountsStepsBackAndGapsWithinSegmentsOnly) {
  const struct {
    const char* name;
    std::vector<std::uint32_t> eis_ms;  // the LOG: one EIS record at each time
    std::uint64_t backwards;
    std::uint32_t largest_step_back_ms;
    std::uint64_t gaps;
    std::uint32_t longest_ms, longest_at_ms, longest_at_segment;
    std::vector<std::uint64_t> records;  // per segment
  } rows[] = {
      {"steady", {1000, 2000, 3000}, 0, 0, 0, 0, 0, 0, {3}},
      {"small steps back", {1000, 3000, 2500, 3500, 1600}, 2, 1900, 0, 0, 0, 0, {5}},
      {"a gap", {1000, 2000, 9000, 10000, 17000}, 0, 0, 2, 7000, 2000, 0, {5}},
      {"a break is no gap", {1000, 2000, 70000, 71000}, 0, 0, 0, 0, 0, 0, {2, 2}},
      {"a gap after a break", {1000, 70000, 71000, 80000}, 0, 0, 1, 9000, 71000, 1, {1, 3}},
      {"a restart is no step back", {100000, 101000, 500, 1500, 1200}, 1, 300, 0, 0, 0, 0, {2, 3}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    log_writer log;
    for (std::uint32_t t : r.eis_ms) log.eis(t, {});
    const log_summary s = analyse_bytes(log.str());
    const log_health& h = s.health;
    EXPECT_EQ(h.time_backwards, r.backwards);
    EXPECT_EQ(h.largest_step_back_ms, r.largest_step_back_ms);
    const source_gaps& g = h.gaps[static_cast<std::size_t>(periodic_source::eis)];
    EXPECT_EQ(g.count, r.gaps);
    EXPECT_EQ(g.longest_ms, r.longest_ms);
    EXPECT_EQ(g.longest_at_ms, r.longest_at_ms);
    EXPECT_EQ(g.longest_at_segment, r.longest_at_segment);
    ASSERT_EQ(s.segments.size(), r.records.size());
    for (std::size_t i = 0; i < s.segments.size(); ++i) EXPECT_EQ(s.segments[i].records, r.records[i]) << i;
    EXPECT_EQ(s.time.earliest_ms, *std::min_element(r.eis_ms.begin(), r.eis_ms.end()));
    EXPECT_EQ(s.time.latest_ms, *std::max_element(r.eis_ms.begin(), r.eis_ms.end()));
    EXPECT_EQ(s.time.last.log_ms, r.eis_ms.back());
  }
}
