#include "analysis/phase_figures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The bins of one measure: `bins` bins of width 1 / per_unit, the first centred on low; a value
// goes to the bin of value * per_unit + bias (bias = 0.5 - low * per_unit), rounded down.
struct bin_layout {
  float low;
  float per_unit;
  float bias;
  int bins;
  std::size_t offset;  // of its first bin in the shared store
  float last;          // bins - 1
};

constexpr std::size_t measure_count = phase_measure_count;

// Ranges wide enough for an engine in either temperature unit: CHT -100 to 1099, EGT -100 to
// 2399, oil -100 to 399 degrees; 0 to 199 psi of oil; 0 to 99.9 of fuel flow, 59.9 inHg,
// 99.9 psi of fuel; 0 to 3999 rpm.
constexpr std::array<bin_layout, measure_count> layouts = [] {
  std::array<bin_layout, measure_count> l{};
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    l[measure_cht_1 + c] = {-100.0f, 1.0f, 0.0f, 1200, 0, 0.0f};
    l[measure_egt_1 + c] = {-100.0f, 1.0f, 0.0f, 2500, 0, 0.0f};
  }
  l[measure_oil_temperature] = {-100.0f, 1.0f, 0.0f, 500, 0, 0.0f};
  l[measure_oil_pressure] = {0.0f, 1.0f, 0.0f, 200, 0, 0.0f};
  l[measure_fuel_flow] = {0.0f, 10.0f, 0.0f, 1000, 0, 0.0f};
  l[measure_manifold_pressure] = {0.0f, 10.0f, 0.0f, 600, 0, 0.0f};
  l[measure_fuel_pressure] = {0.0f, 10.0f, 0.0f, 1000, 0, 0.0f};
  l[measure_rpm] = {0.0f, 1.0f, 0.0f, 4000, 0, 0.0f};
  std::size_t offset = 0;
  for (bin_layout& b : l) {
    b.bias = 0.5f - b.low * b.per_unit;
    b.last = static_cast<float>(b.bins - 1);
    b.offset = offset;
    offset += static_cast<std::size_t>(b.bins);
  }
  return l;
}();
// The cylinders' measures lie side by side in the store, each with the layout of the first.
constexpr const bin_layout& cht_layout = layouts[measure_cht_1];
constexpr const bin_layout& egt_layout = layouts[measure_egt_1];
constexpr bool side_by_side(std::size_t first) {
  const bin_layout& a = layouts[first];
  for (std::size_t c = 1; c < cylinder_count; ++c) {
    const bin_layout& b = layouts[first + c];
    if (b.low != a.low || b.per_unit != a.per_unit || b.bins != a.bins ||
        b.offset != a.offset + c * static_cast<std::size_t>(a.bins)) {
      return false;
    }
  }
  return true;
}
static_assert(side_by_side(measure_cht_1) && side_by_side(measure_egt_1));
constexpr std::size_t total_bins = layouts.back().offset + static_cast<std::size_t>(layouts.back().bins);

// The nearest bin (the end bins take what lies beyond them) of a value that is not NaN.
inline std::size_t bin_of(const bin_layout& b, float v) {
  return static_cast<std::size_t>(static_cast<int>(std::clamp(v * b.per_unit + b.bias, 0.0f, b.last)));
}
inline double value_of_bin(const bin_layout& b, std::size_t i) {
  return static_cast<double>(b.low) + static_cast<double>(i) / b.per_unit;
}

constexpr double min_window_span_ms = 0.95 * cooling_window_ms;  // a window must span 57 of its 60 s
constexpr std::size_t min_window_samples = 3;

}  // namespace

phase_accumulator::phase_accumulator() : bins_(new std::uint32_t[total_bins]()) { begin(); }
phase_accumulator::~phase_accumulator() = default;

void phase_accumulator::begin() {
  // Only the bins between a measure's least and greatest values can hold counts.
  for (std::size_t m = 0; m < measure_count; ++m) {
    if (count_[m] != 0) {
      const bin_layout& b = layouts[m];
      const std::size_t from = bin_of(b, min_[m]);
      const std::size_t to = bin_of(b, max_[m]);
      std::memset(bins_.get() + b.offset + from, 0, (to - from + 1) * sizeof(std::uint32_t));
    }
    min_[m] = std::numeric_limits<float>::infinity();
    max_[m] = -std::numeric_limits<float>::infinity();
    sum_[m] = 0.0;
    count_[m] = 0;
    last_[m] = std::numeric_limits<float>::quiet_NaN();  // equal to no reading
  }
  cht_spread_ = {};
  egt_spread_ = {};
  samples_ = 0;
  window_ = {};
  for (steepest& c : cooling_) c = {};
}

// A sample holding every fitted CHT enters the cooling window or leaves it.
template <bool enters>
void phase_accumulator::move_window(const phase_sample& s) {
  if (!s.every_cht) return;
  const double t = (static_cast<double>(s.log_ms) - base_ms_) / 1000.0;
  window_.n += enters ? 1.0 : -1.0;
  window_.st += enters ? t : -t;
  window_.stt += enters ? t * t : -(t * t);
  for (std::size_t c = 0; c < s.cylinders; ++c) {
    const float v = s.value[measure_cht_1 + c];
    const double y = v == v ? (enters ? static_cast<double>(v) : -static_cast<double>(v)) : 0.0;
    window_.sy[c] += y;
    window_.sty[c] += t * y;
  }
}

// Every value of the sample. A measure the sample does not hold (NaN: an unmapped input, a
// cylinder that did not read) is passed by at the cost of one comparison; the cylinders not
// fitted are not looked at.
void phase_accumulator::take(const phase_sample& s) {
  if (samples_ == 0) base_ms_ = s.log_ms;
  ++samples_;
  std::uint32_t* const bins = bins_.get();
  const auto take_one = [&](std::size_t m, const bin_layout& b, std::size_t bins_from, float v) {
    sum_[m] += static_cast<double>(v);
    ++count_[m];
    // The reading of the sample before again (most of them, for the slow measures): the same
    // least, greatest and bin.
    if (v == last_[m]) {
      ++*last_bin_[m];
      return;
    }
    last_[m] = v;
    min_[m] = v < min_[m] ? v : min_[m];
    max_[m] = v > max_[m] ? v : max_[m];
    last_bin_[m] = bins + bins_from + bin_of(b, v);
    ++*last_bin_[m];
  };
  // The cylinders of one kind (sharing the layout of the first), and their spread when two
  // or more hold a value: hottest minus coolest.
  const std::size_t fitted = s.cylinders;
  const auto cylinders = [&](std::size_t first, const bin_layout& b, spread_sums& sums) {
    constexpr float infinity = std::numeric_limits<float>::infinity();
    float low = infinity, high = -infinity;
    int held = 0;
    const std::size_t width = static_cast<std::size_t>(b.bins);
    for (std::size_t c = 0; c < fitted; ++c) {
      const float v = s.value[first + c];
      if (v != v) continue;
      low = v < low ? v : low;
      high = v > high ? v : high;
      ++held;
      take_one(first + c, b, b.offset + c * width, v);
    }
    if (held < 2) return;
    const float d = high - low;
    sums.max = sums.count == 0 || d > sums.max ? d : sums.max;
    ++sums.count;
    sums.sum += d;
  };
  cylinders(measure_cht_1, cht_layout, cht_spread_);
  cylinders(measure_egt_1, egt_layout, egt_spread_);
  for (std::size_t m = measure_egt_1 + cylinder_count; m < measure_count; ++m) {
    const float v = s.value[m];
    if (v == v) take_one(m, layouts[m], layouts[m].offset, v);
  }
  move_window<true>(s);
}

void phase_accumulator::leave_window(const phase_sample& s) { move_window<false>(s); }

void phase_accumulator::note_cooling(const phase_sample& first, const phase_sample& last) {
  if (last.log_ms < first.log_ms || last.log_ms - first.log_ms < min_window_span_ms) return;
  const cooling_sums& w = window_;
  if (w.n < min_window_samples) return;
  const double d = w.n * w.stt - w.st * w.st;
  if (!(d > 1e-9 * w.n * w.n)) return;
  const double per_minute = -60.0 / d;  // times the slope's numerator
  for (std::size_t c = 0; c < last.cylinders; ++c) {
    if (last.value[measure_cht_1 + c] != last.value[measure_cht_1 + c]) continue;  // no reading
    const double cooling = per_minute * (w.n * w.sty[c] - w.st * w.sy[c]);
    steepest& s = cooling_[c];
    if (s.has && cooling <= s.per_minute) continue;
    s = {true, cooling, first.log_ms, last.log_ms, first.segment, last.segment};
  }
}

measure_figures phase_accumulator::summary(std::size_t m) const {
  measure_figures f;
  if (count_[m] == 0) return f;
  f.count = count_[m];
  f.min = min_[m];
  f.max = max_[m];
  f.mean = sum_[m] / static_cast<double>(count_[m]);
  // The two middle values (one when the count is odd), from the bins between min and max.
  const bin_layout& b = layouts[m];
  const std::uint64_t lower = (f.count - 1) / 2;
  const std::uint64_t upper = f.count / 2;
  const std::uint32_t* bins = bins_.get() + b.offset;
  std::uint64_t seen = 0;
  double lower_value = 0.0;
  bool has_lower = false;
  for (std::size_t i = bin_of(b, min_[m]), last = bin_of(b, max_[m]); i <= last; ++i) {
    seen += bins[i];
    const double value = std::clamp(value_of_bin(b, i), f.min, f.max);
    if (!has_lower && seen > lower) {
      lower_value = value;
      has_lower = true;
    }
    if (seen > upper) {
      f.median = (lower_value + value) / 2.0;
      break;
    }
  }
  return f;
}

phase_figures phase_accumulator::figures_without_instants() const {
  phase_figures f;
  f.eis_samples = samples_;
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    f.cht[c] = summary(measure_cht_1 + c);
    f.egt[c] = summary(measure_egt_1 + c);
    f.cht_cooling[c].has = cooling_[c].has;
    f.cht_cooling[c].per_minute = cooling_[c].per_minute;
  }
  const auto spread = [](const spread_sums& s) {
    return spread_figures{s.count, s.count > 0 ? s.sum / static_cast<double>(s.count) : 0.0, s.max};
  };
  f.cht_spread = spread(cht_spread_);
  f.egt_spread = spread(egt_spread_);
  f.oil_temperature = summary(measure_oil_temperature);
  f.oil_pressure_psi = summary(measure_oil_pressure);
  f.fuel_flow = summary(measure_fuel_flow);
  f.manifold_pressure_inhg = summary(measure_manifold_pressure);
  f.fuel_pressure_psi = summary(measure_fuel_pressure);
  f.rpm = summary(measure_rpm);
  return f;
}
