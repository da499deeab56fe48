// Rows at a fixed period: the grid, the gaps, the values as they stand and absent sources.
#include <gtest/gtest.h>

#include <vector>

#include "decode/record_loop.h"
#include "sampling/log_window.h"
#include "sampling/sampled_rows.h"
#include "support/capture.h"

namespace {

struct seen_row {
  std::uint32_t log_ms;
  int rpm;       // -1 when the row has no EIS values
  bool has_gps;
  bool operator==(const seen_row&) const = default;
};

std::vector<seen_row> rows_of(const std::string& log, sampling_options options) {
  const context_ptr ctx = make_context();
  const library_options o = default_options();
  const analog_input_const c = default_constants();
  FILE* in = stream_with(log);
  begin_pass(*ctx, &c, &o, in, nullptr);
  std::vector<seen_row> rows;
  auto emit = [&rows](const sampled_row& r) { rows.push_back({r.log_ms, r.eis ? r.eis->rpm : -1, r.gps_1 != nullptr}); };
  row_sampler<decltype(emit)> sampler(*ctx, options, emit);
  run_record_loop(*ctx, sampler);
  std::fclose(in);
  return rows;
}

}  // namespace

TEST(SampledRows, EachInstantHoldsTheRecordsUpToItAndGapsStayEmpty) {
  log_writer log;
  log.record(8, 0, "s").eis(900, {.tachometer = 1000}).eis(1000, {.tachometer = 1100}).eis(1700, {.tachometer = 1200});
  log.eis(2600, {.tachometer = 1300}).eis(6200, {.tachometer = 1400}).record(8, 7100, "s");
  const std::vector<seen_row> expected = {
      {0, -1, false},
      {1000, 1100, false},  // the record at the instant itself counts
      {2000, 1200, false},
      {3000, 1300, false},  // 2600 lies within one period before
      // nothing at 4000 to 6000: no record for more than a period
      {7000, 1400, false},
  };
  EXPECT_EQ(rows_of(log.str(), {.every_ms = 1000, .window = {}, .hints = nullptr}), expected);
}

TEST(SampledRows, TheGridStartsAtTheFirstRecordAndTheWindowCutsIt) {
  log_writer log;
  for (std::uint32_t t = 250; t <= 5250; t += 250) log.eis(t, {.tachometer = static_cast<std::uint16_t>(t)});
  std::vector<std::uint32_t> instants;
  for (const seen_row& r : rows_of(log.str(), {.every_ms = 2000, .window = {}, .hints = nullptr})) {
    instants.push_back(r.log_ms);
  }
  EXPECT_EQ(instants, (std::vector<std::uint32_t>{250, 2250, 4250}));
  instants.clear();
  for (const seen_row& r :
       rows_of(log.str(), {.every_ms = 1000, .window = {.from_ms = 2000, .to_ms = 4000, .from_utc_ms = {}, .to_utc_ms = {}}, .hints = nullptr})) {
    instants.push_back(r.log_ms);
  }
  EXPECT_EQ(instants, (std::vector<std::uint32_t>{2000, 3000}));
}

TEST(SampledRows, SourcesAppearOnlyOnceTheyHaveSentSomething) {
  log_writer log;
  log.record(8, 100, "s").record(8, 1100, "s").gps1(1500, "\x02z01234\r\nAN 47 2345\r\nBW 122 1234\r\nC123\r\nD100\r\n\x03");
  log.eis(1600, {.tachometer = 2400}).record(8, 2100, "s").record(8, 2200, "s");
  const std::vector<seen_row> expected = {{100, -1, false}, {1100, -1, false}, {2100, 2400, true}};
  EXPECT_EQ(rows_of(log.str(), {.every_ms = 1000, .window = {}, .hints = nullptr}), expected);
}

TEST(LogWindow, TimesAreUtcOrLogSecondsAndAFlightIsItsStretchOfTheLog) {
  EXPECT_EQ(parse_time_point("754.25")->log_ms, 754250u);
  EXPECT_TRUE(parse_time_point("2026-03-11T22:22:46Z")->is_utc);
  for (const char* bad : {"", "-3", "12s", "2026-13-01T00:00:00Z", "9999999999"}) EXPECT_FALSE(parse_time_point(bad)) << bad;

  log_summary s;
  s.time.has_records = true;
  s.time.first.log_ms = 1000;
  s.time.last.log_ms = 900000;
  s.flights.resize(2);
  s.flights[1].start_ms = 300000;
  s.flights[1].end_ms = 600000;
  s.flights[1].end_segment = 1;
  EXPECT_EQ(resolve_window({.flight = 3}, s).error, "the LOG holds 2 flights, not flight 3");
  const log_window second = resolve_window({.flight = 2, .from = parse_time_point("400")}, s);
  EXPECT_EQ(second.bounds.from_order, log_order(0, 300000));
  EXPECT_EQ(second.bounds.to_order, log_order(1, 600001));  // a flight across a restart in flight
  EXPECT_EQ(second.bounds.from_ms, 400000u);                // LOG seconds bound LOG time in any segment
  EXPECT_TRUE(second.bounds.holds(log_instant{500000, false, 0, 0}));
  EXPECT_FALSE(second.bounds.holds(log_instant{300000, false, 0, 1}));
  EXPECT_FALSE(resolve_window({.from = parse_time_point("2026-03-11T22:22:46Z")}, s).error.empty());  // no clock
  s.time.source = utc_source::gps;
  const std::int64_t minute = *parse_utc_iso8601("2026-03-11T22:01:00Z");
  const log_window utc = resolve_window({.from = parse_time_point("2026-03-11T22:01:00Z")}, s);
  EXPECT_EQ(utc.bounds.from_utc_ms, minute);
  EXPECT_TRUE(utc.warning.empty());
  EXPECT_TRUE(utc.bounds.holds(log_instant{1000, true, minute, 3}));
  EXPECT_FALSE(utc.bounds.holds(log_instant{1000, true, minute - 1, 0}));
  EXPECT_FALSE(utc.bounds.holds(log_instant{1000, false, 0, 0}));
  EXPECT_FALSE(resolve_window({.from = parse_time_point("950")}, s).warning.empty());
}
