// The values of one quantity over a stretch of time (LOG time, or the positions of the report's
// time axis), thinned for a chart without hiding a peak: the stretch is cut into buckets of equal time and each bucket
// keeps only its lowest and highest value, each with its moment. Drawn in time order, those two points per bucket trace
// the whole envelope of the values, so a one-sample spike stays on the chart at its height.
//
// A source that stops for longer than the gap limit, or sends a value that is not valid (a
// NaN, e.g. a localiser deviation without its valid flag), breaks the line: the points after it
// start a new run, so a gap shows as a gap and not as a straight line across it. Memory is the
// buckets, whatever the number of values taken.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// Buckets of width_ms covering [origin_ms, origin_ms + count * width_ms) of LOG time.
struct time_buckets {
  std::uint32_t origin_ms = 0;
  std::uint32_t width_ms = 1000;
  std::size_t count = 0;

  // The bucket holding a LOG time, or count when it lies outside the buckets.
  std::size_t index_of(std::uint32_t log_ms) const {
    if (log_ms < origin_ms || width_ms == 0) return count;
    const std::uint64_t i = (std::uint64_t{log_ms} - origin_ms) / width_ms;
    return i < count ? static_cast<std::size_t>(i) : count;
  }
};

// Buckets of equal width over [from_ms, to_ms), about `wanted` of them and none narrower than
// min_width_ms (a width in whole milliseconds, so the last bucket may reach past to_ms).
time_buckets buckets_over(std::uint32_t from_ms, std::uint32_t to_ms, std::size_t wanted, std::uint32_t min_width_ms);

struct chart_point {
  std::uint32_t log_ms;
  double value;
  bool operator==(const chart_point&) const = default;
};

// A stretch of points drawn as one line.
using chart_run = std::vector<chart_point>;

class chart_series {
 public:
  chart_series() = default;
  chart_series(const time_buckets& buckets, std::uint32_t gap_ms);

  // A value of the source at a LOG time; NaN when the source has no valid value then. A value
  // outside the buckets is counted, not kept.
  void take(std::uint32_t log_ms, double value) { take_in(buckets_.index_of(log_ms), log_ms, value); }
  // The same where the caller found the bucket (index_of of the buckets the series was made
  // with): several series of one record share it.
  void take_in(std::size_t bucket, std::uint32_t log_ms, double value);
  // The next value starts a new run (a break in the LOG).
  void break_run() { broken_ = true; }

  // The kept points in bucket order, each bucket's lowest and highest in the order they came,
  // cut into runs at the gaps.
  std::vector<chart_run> runs() const;

  bool empty() const { return !has_value_; }
  // The lowest and highest values taken within the buckets, at the first moment each was reached
  // (the lowest found among the buckets' own when asked: at an equal value, a record stamped
  // back in time may make it the earlier moment on the axis rather than the first taken).
  chart_point lowest() const;
  chart_point highest() const { return highest_; }
  std::uint64_t values_taken() const { return taken_; }
  std::uint64_t values_outside() const { return outside_; }

 private:
  struct bucket {
    bool has = false;
    bool starts_run = false;  // a gap or an invalid value lies before its first point
    chart_point low{};
    chart_point high{};
  };

  time_buckets buckets_;
  std::uint32_t gap_ms_ = 0;
  std::vector<bucket> slots_;
  bool has_value_ = false;
  bool broken_ = false;  // the next valid value starts a run
  std::uint32_t last_ms_ = 0;
  chart_point highest_{};
  std::uint64_t taken_ = 0;
  std::uint64_t outside_ = 0;
};

// Inline: the report folds every record of its sources into a dozen series or more.
inline void chart_series::take_in(std::size_t i, std::uint32_t log_ms, double value) {
  if (i == buckets_.count) {
    if (!std::isnan(value)) ++outside_;
    return;
  }
  if (std::isnan(value)) {
    broken_ = true;
    return;
  }
  ++taken_;
  if (has_value_ && log_ms > last_ms_ && log_ms - last_ms_ > gap_ms_) broken_ = true;
  last_ms_ = log_ms;
  const chart_point p{log_ms, value};
  bucket& b = slots_[i];
  if (broken_) b.starts_run = true;
  broken_ = false;
  if (!b.has) {
    b.has = true;
    b.low = b.high = p;
  } else if (value < b.low.value) {
    b.low = p;
  } else if (value > b.high.value) {
    b.high = p;
  }
  if (!has_value_ || value > highest_.value) highest_ = p;
  has_value_ = true;
}
