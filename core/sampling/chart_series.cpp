#include "sampling/chart_series.h"

#include <algorithm>
#include <cmath>

time_buckets buckets_over(std::uint32_t from_ms, std::uint32_t to_ms, std::size_t wanted, std::uint32_t min_width_ms) {
  time_buckets b;
  b.origin_ms = from_ms;
  if (to_ms <= from_ms || wanted == 0) {
    b.width_ms = std::max<std::uint32_t>(min_width_ms, 1);
    b.count = to_ms > from_ms ? 1 : 0;
    return b;
  }
  const std::uint64_t span = std::uint64_t{to_ms} - from_ms;
  const std::uint64_t width = std::max<std::uint64_t>({(span + wanted - 1) / wanted, min_width_ms, 1});
  b.width_ms = static_cast<std::uint32_t>(std::min<std::uint64_t>(width, UINT32_MAX));
  b.count = static_cast<std::size_t>((span + b.width_ms - 1) / b.width_ms);
  return b;
}

chart_series::chart_series(const time_buckets& buckets, std::uint32_t gap_ms)
    : buckets_(buckets), gap_ms_(gap_ms), slots_(buckets.count) {}

chart_point chart_series::lowest() const {
  chart_point low{};
  bool has = false;
  for (const bucket& b : slots_) {
    if (b.has && (!has || b.low.value < low.value)) low = b.low;
    has = has || b.has;
  }
  return low;
}

std::vector<chart_run> chart_series::runs() const {
  std::vector<chart_run> runs;
  for (const bucket& b : slots_) {
    if (!b.has) continue;
    if (b.starts_run || runs.empty()) runs.emplace_back();
    chart_run& run = runs.back();
    const bool low_first = b.low.log_ms <= b.high.log_ms;
    run.push_back(low_first ? b.low : b.high);
    if (!(b.low == b.high)) run.push_back(low_first ? b.high : b.low);
  }
  return runs;
}
