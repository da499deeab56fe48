// Chart series: the min/max thinning keeps every peak, and gaps stay gaps.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "sampling/chart_series.h"

namespace {

constexpr double invalid = std::numeric_limits<double>::quiet_NaN();

std::vector<chart_point> all_points(const chart_series& s) {
  std::vector<chart_point> points;
  for (const chart_run& run : s.runs()) points.insert(points.end(), run.begin(), run.end());
  return points;
}

}  // namespace

TEST(ChartSeries, AOneSampleSpikeSurvivesThinningAtItsHeightAndMoment) {
  // Ten minutes of a CHT at 25 Hz, slowly rising, with one sample 90 degrees too hot and one
  // 90 too cold, thinned to 100 buckets of 6 s.
  const time_buckets buckets = buckets_over(0, 600'000, 100, 200);
  ASSERT_EQ(buckets.width_ms, 6000u);
  chart_series cht(buckets, 5000);
  for (std::uint32_t t = 0; t < 600'000; t += 40) {
    const double value = t == 123'440 ? 480.0 : t == 400'000 ? 210.0 : 300.0 + t / 10'000.0;
    cht.take(t, value);
  }
  const std::vector<chart_point> points = all_points(cht);
  EXPECT_LE(points.size(), 2 * buckets.count);
  EXPECT_EQ(cht.runs().size(), 1u);
  EXPECT_EQ(cht.highest(), (chart_point{123'440, 480.0}));
  EXPECT_EQ(cht.lowest(), (chart_point{400'000, 210.0}));
  EXPECT_NE(std::find(points.begin(), points.end(), chart_point{123'440, 480.0}), points.end());
  EXPECT_NE(std::find(points.begin(), points.end(), chart_point{400'000, 210.0}), points.end());
  // The points run forward in time, each bucket's lowest and highest in the order they came.
  for (std::size_t i = 1; i < points.size(); ++i) EXPECT_LT(points[i - 1].log_ms, points[i].log_ms);
  // The last bucket still ends on its own highest value, the last sample.
  EXPECT_EQ(points.back(), (chart_point{599'960, 300.0 + 599'960 / 10'000.0}));
  EXPECT_EQ(cht.values_taken(), 15'000u);
}

TEST(ChartSeries, GapsAndInvalidValuesBreakTheLine) {
  struct sample {
    std::uint32_t t;
    double value;
  };
  const struct {
    const char* what;
    std::vector<sample> samples;
    std::vector<std::size_t> run_sizes;
  } rows[] = {
      {"steady", {{0, 1}, {1000, 2}, {2000, 3}}, {3}},
      {"a source silent longer than the gap limit", {{0, 1}, {1000, 2}, {7000, 3}, {8000, 4}}, {2, 2}},
      {"silent exactly the gap limit", {{0, 1}, {5000, 2}}, {2}},
      {"an invalid value between", {{0, 1}, {1000, invalid}, {2000, 3}, {3000, 4}}, {1, 2}},
      {"invalid values first", {{0, invalid}, {1000, 2}, {2000, 3}}, {2}},
      {"time going back stays in its bucket", {{3000, 1}, {1000, 2}, {4000, 3}}, {3}},
  };
  for (const auto& row : rows) {
    chart_series s(buckets_over(0, 10'000, 100, 200), 5000);
    for (const sample& x : row.samples) s.take(x.t, x.value);
    std::vector<std::size_t> sizes;
    for (const chart_run& run : s.runs()) sizes.push_back(run.size());
    EXPECT_EQ(sizes, row.run_sizes) << row.what;
  }
}

TEST(ChartSeries, ValuesOutsideTheBucketsAreCountedNotDrawn) {
  chart_series s(buckets_over(10'000, 20'000, 10, 200), 5000);
  s.take(9'999, 500);
  s.take(10'000, 1);
  s.take(19'999, 2);
  s.take(20'000, 600);
  s.take(25'000, invalid);
  EXPECT_EQ(s.values_outside(), 2u);
  EXPECT_EQ(s.highest().value, 2);
  EXPECT_EQ(all_points(s), (std::vector<chart_point>{{10'000, 1}, {19'999, 2}}));
  EXPECT_TRUE(chart_series(buckets_over(0, 1000, 10, 200), 5000).empty());
}

TEST(ChartSeries, BucketsCoverTheStretchNoneNarrowerThanTheLeast) {
  const struct {
    std::uint32_t from, to;
    std::size_t wanted;
    std::uint32_t least;
    std::uint32_t width;
    std::size_t count;
  } rows[] = {
      {0, 3'600'000, 1500, 200, 2400, 1500},  // an hour
      {1000, 121'000, 1500, 200, 200, 600},   // two minutes: the least width wins
      {0, 1000, 1500, 1000, 1000, 1},
      {0, 7, 3, 1, 3, 3},             // the last bucket reaches past the end
      {500, 500, 1500, 200, 200, 0},  // nothing to cover
      {0, UINT32_MAX, 1500, 200, 2'863'312, 1500},
  };
  for (const auto& r : rows) {
    const time_buckets b = buckets_over(r.from, r.to, r.wanted, r.least);
    EXPECT_EQ(b.width_ms, r.width) << r.from << " " << r.to;
    EXPECT_EQ(b.count, r.count) << r.from << " " << r.to;
    if (b.count > 0) {
      EXPECT_EQ(b.index_of(r.from), 0u);
      EXPECT_EQ(b.index_of(r.to - 1), b.count - 1);
    }
  }
}
