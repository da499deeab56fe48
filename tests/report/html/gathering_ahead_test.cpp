// The chart data gathered beside the flight time line is taken only where it is the data a
// gathering after the time line gives, and is then exactly that data.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "analysis/flight_timeline.h"
#include "flight_simulator.h"
#include "report/html/flight_report.h"
#include "report/html/gathering_ahead.h"
#include "support/capture.h"
#include "support/flown_scenario.h"

namespace {

void expect_same(const report_data& a, const report_data& b) {
  EXPECT_EQ(a.axis.span_ms, b.axis.span_ms);
  EXPECT_EQ(a.axis.pieces.size(), b.axis.pieces.size());
  EXPECT_EQ(a.buckets.width_ms, b.buckets.width_ms);
  EXPECT_EQ(a.buckets.count, b.buckets.count);
  for (std::size_t i = 0; i < series_count; ++i) {
    EXPECT_EQ(a.series[i].values_taken(), b.series[i].values_taken()) << "series " << i;
    EXPECT_EQ(a.series[i].runs(), b.series[i].runs()) << "series " << i;
  }
  ASSERT_EQ(a.track.size(), b.track.size());
  for (std::size_t i = 0; i < a.track.size(); ++i) {
    const track_point& p = a.track[i];
    const track_point& q = b.track[i];
    EXPECT_TRUE(p.log_ms == q.log_ms && p.axis_ms == q.axis_ms && p.latitude_deg == q.latitude_deg &&
                p.longitude_deg == q.longitude_deg && p.altitude_ft == q.altitude_ft && p.starts_run == q.starts_run)
        << "track point " << i;
  }
}

// Gathers ahead beside the time line, and checks whether the data is taken and then equal to a
// gathering after it.
void check_gathering(const std::string& log, const window_request& window, bool taken) {
  flight_report_request request;
  request.window = window;
  FILE* in = stream_with(log);
  const context_ptr ctx = make_context();
  report_gathering gathering;
  gathering.gap_ms = 5000;
  std::optional<report_data> early;
  log_summary summary;
  {
    gathering_ahead ahead(request, gathering, in, 0);
    summary = analyse_log(*ctx, request.analysis, in);
    gathering.gap_ms = summary.health.gap_limit_ms;
    gathering.bounds = resolve_window(request.window, summary).bounds;
    early = ahead.take(summary, gathering);
  }
  EXPECT_EQ(early.has_value(), taken);
  if (early) {
    std::rewind(in);
    const report_data after =
        gather_report_data(*ctx, request.analysis.decode, request.analysis.constants, summary, gathering, in);
    expect_same(*early, after);
  }
  std::fclose(in);
}

TEST(GatheringAhead, TakenForOneSegmentDrawnWholeAndThenTheSameAsGatheredAfter) {
  const struct {
    const char* name;
    std::string log;
    window_request window;
    bool taken;
  } rows[] = {
      {"one segment, the whole LOG", simulated_log({.seed = 3, .minutes = 3.0}), {}, true},
      {"GPS ports swapped", simulated_log({.seed = 4, .minutes = 2.0, .swap_gps = true}), {}, true},
      {"a flight asked for", simulated_log({.seed = 3, .minutes = 3.0}), {.flight = 1}, false},
      {"two flights, power off between", fly("two_flights_power_off").log, {}, false},
      {"40 s off in flight, one segment", fly("in_flight_restart").log, {}, true},
      {"two LOGs joined, time going back", fly("joined_logs").log, {}, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    check_gathering(r.log, r.window, r.taken);
  }
}

// The LOG's extent is told by its first record and the records framed from its last bytes.
TEST(GatheringAhead, TakenWhenTheLastBytesFrameAsRecords) {
  const std::string log = simulated_log({.seed = 5, .minutes = 2.0});
  const struct {
    const char* name;
    std::string log;
    bool taken;
  } rows[] = {
      {"cut 5 bytes short", log.substr(0, log.size() - 5), true},
      {"cut 40 bytes short", log.substr(0, log.size() - 40), true},
      {"ending in bytes that are no records", log + std::string(300, '\xff'), false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    check_gathering(r.log, {}, r.taken);
  }
}

}  // namespace

