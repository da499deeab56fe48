#include "analysis/phase_figures.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The bins of one measure: `bins` of width `step` from `low`.
struct bin_layout {
  double low;
  double step;
  std::size_t bins;
  std::size_t offset;  // of its first bin in the shared store
};

// The measures in their order in the sums: CHT 1-6, EGT 1-6, then the engine's.
enum measure_index : std::size_t {
  cht_1 = 0,
  egt_1 = cht_1 + cylinder_count,
  oil_temperature = egt_1 + cylinder_count,
  oil_pressure,
  fuel_flow,
  manifold_pressure,
  fuel_pressure,
  rpm,
  measure_count
};

// Ranges wide enough for an engine in either temperature unit: CHT -100 to 1099, EGT -100 to
// 2399, oil -100 to 399 degrees; 0 to 199 psi of oil; 0 to 99.9 of fuel flow, 59.9 inHg,
// 99.9 psi of fuel; 0 to 3999 rpm.
constexpr std::array<bin_layout, measure_count> layouts = [] {
  std::array<bin_layout, measure_count> l{};
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    l[cht_1 + c] = {-100.0, 1.0, 1200, 0};
    l[egt_1 + c] = {-100.0, 1.0, 2500, 0};
  }
  l[oil_temperature] = {-100.0, 1.0, 500, 0};
  l[oil_pressure] = {0.0, 1.0, 200, 0};
  l[fuel_flow] = {0.0, 0.1, 1000, 0};
  l[manifold_pressure] = {0.0, 0.1, 600, 0};
  l[fuel_pressure] = {0.0, 0.1, 1000, 0};
  l[rpm] = {0.0, 1.0, 4000, 0};
  std::size_t offset = 0;
  for (bin_layout& b : l) {
    b.offset = offset;
    offset += b.bins;
  }
  return l;
}();
static_assert(measure_count == 18, "phase_accumulator::sums_ holds one sum per measure");
constexpr std::size_t total_bins = layouts.back().offset + layouts.back().bins;

std::size_t bin_of(const bin_layout& b, double v) {
  const double i = std::round((v - b.low) / b.step);
  if (!(i > 0.0)) return 0;
  return i >= static_cast<double>(b.bins - 1) ? b.bins - 1 : static_cast<std::size_t>(i);
}

constexpr double min_window_span_ms = 0.95 * cooling_window_ms;  // a window must span 57 of its 60 s
constexpr std::size_t min_window_samples = 3;

}  // namespace

double least_squares_window::slope() const {
  if (n_ < 2) return 0.0;
  const double n = static_cast<double>(n_);
  const double d = n * stt_ - st_ * st_;
  if (!(d > 1e-9 * n * n)) return 0.0;
  return (n * sty_ - st_ * sy_) / d;
}

phase_accumulator::phase_accumulator() : bins_(new std::uint32_t[total_bins]()) {}
phase_accumulator::~phase_accumulator() = default;

void phase_accumulator::begin() {
  // Only the bins between a measure's least and greatest values can hold counts.
  for (std::size_t m = 0; m < measure_count; ++m) {
    const measure_sums& s = sums_[m];
    if (s.count == 0) continue;
    const bin_layout& b = layouts[m];
    const std::size_t from = bin_of(b, s.min);
    const std::size_t to = bin_of(b, s.max);
    std::memset(bins_.get() + b.offset + from, 0, (to - from + 1) * sizeof(std::uint32_t));
  }
  sums_ = {};
  cht_spread_ = {};
  egt_spread_ = {};
  samples_ = 0;
  for (least_squares_window& w : window_) w.clear();
  for (steepest& c : cooling_) c = {};
}

void phase_accumulator::add(std::size_t m, float value) {
  if (std::isnan(value)) return;
  const double v = value;
  measure_sums& s = sums_[m];
  if (s.count == 0 || v < s.min) s.min = v;
  if (s.count == 0 || v > s.max) s.max = v;
  ++s.count;
  s.sum += v;
  const bin_layout& b = layouts[m];
  ++bins_[b.offset + bin_of(b, v)];
}

void phase_accumulator::take(const phase_sample& s) {
  if (samples_ == 0) base_ms_ = s.log_ms;
  ++samples_;
  const std::size_t fitted = std::min<std::size_t>(s.fitted, cylinder_count);
  const auto spread = [fitted](const float (&v)[cylinder_count], spread_sums& sums) {
    float low = 0.0f;
    float high = 0.0f;
    std::size_t held = 0;
    for (std::size_t c = 0; c < fitted; ++c) {
      if (std::isnan(v[c])) continue;
      low = held == 0 ? v[c] : std::min(low, v[c]);
      high = held == 0 ? v[c] : std::max(high, v[c]);
      ++held;
    }
    if (held < 2) return;
    const double d = static_cast<double>(high) - low;
    sums.max = sums.count == 0 ? d : std::max(sums.max, d);
    ++sums.count;
    sums.sum += d;
  };
  const double t = (static_cast<double>(s.log_ms) - base_ms_) / 1000.0;
  for (std::size_t c = 0; c < fitted; ++c) {
    add(cht_1 + c, s.cht[c]);
    add(egt_1 + c, s.egt[c]);
    if (!std::isnan(s.cht[c])) window_[c].add(t, s.cht[c]);
  }
  spread(s.cht, cht_spread_);
  spread(s.egt, egt_spread_);
  add(oil_temperature, s.oil_temperature);
  add(oil_pressure, s.oil_pressure_psi);
  add(fuel_flow, s.fuel_flow);
  add(manifold_pressure, s.manifold_pressure_inhg);
  add(fuel_pressure, s.fuel_pressure_psi);
  add(rpm, s.rpm);
}

void phase_accumulator::leave_window(const phase_sample& s) {
  const double t = (static_cast<double>(s.log_ms) - base_ms_) / 1000.0;
  const std::size_t fitted = std::min<std::size_t>(s.fitted, cylinder_count);
  for (std::size_t c = 0; c < fitted; ++c) {
    if (!std::isnan(s.cht[c])) window_[c].remove(t, s.cht[c]);
  }
}

void phase_accumulator::note_cooling(const phase_sample& first, const phase_sample& last) {
  if (last.log_ms < first.log_ms || last.log_ms - first.log_ms < min_window_span_ms) return;
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    if (window_[c].size() < min_window_samples) continue;
    const double per_minute = -window_[c].slope() * 60.0;
    steepest& s = cooling_[c];
    if (s.has && per_minute <= s.per_minute) continue;
    s = {true, per_minute, first.log_ms, last.log_ms};
  }
}

measure_figures phase_accumulator::summary(std::size_t m) const {
  const measure_sums& s = sums_[m];
  measure_figures f;
  if (s.count == 0) return f;
  f.count = s.count;
  f.min = s.min;
  f.max = s.max;
  f.mean = s.sum / static_cast<double>(s.count);
  // The two middle values (one when the count is odd), from the bins between min and max.
  const bin_layout& b = layouts[m];
  const std::uint64_t lower = (s.count - 1) / 2;
  const std::uint64_t upper = s.count / 2;
  const std::uint32_t* bins = bins_.get() + b.offset;
  std::uint64_t seen = 0;
  double lower_value = 0.0;
  bool has_lower = false;
  for (std::size_t i = bin_of(b, s.min), last = bin_of(b, s.max); i <= last; ++i) {
    seen += bins[i];
    const double value = std::clamp(b.low + static_cast<double>(i) * b.step, s.min, s.max);
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
    f.cht[c] = summary(cht_1 + c);
    f.egt[c] = summary(egt_1 + c);
    f.cht_cooling[c].has = cooling_[c].has;
    f.cht_cooling[c].per_minute = cooling_[c].per_minute;
  }
  const auto spread = [](const spread_sums& s) {
    return spread_figures{s.count, s.count > 0 ? s.sum / static_cast<double>(s.count) : 0.0, s.max};
  };
  f.cht_spread = spread(cht_spread_);
  f.egt_spread = spread(egt_spread_);
  f.oil_temperature = summary(oil_temperature);
  f.oil_pressure_psi = summary(oil_pressure);
  f.fuel_flow = summary(fuel_flow);
  f.manifold_pressure_inhg = summary(manifold_pressure);
  f.fuel_pressure_psi = summary(fuel_pressure);
  f.rpm = summary(rpm);
  return f;
}
