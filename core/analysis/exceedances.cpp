#include "analysis/exceedances.h"

#include <algorithm>
#include <cmath>

namespace {

bool holds(const limit_condition& c, const condition_values& now) {
  double value = 0.0;
  switch (c.subject) {
    case condition_subject::none: return true;
    case condition_subject::airborne: return now.airborne;
    case condition_subject::rpm:
      if (!now.has_rpm) return false;
      value = now.rpm;
      break;
    case condition_subject::ias:
      if (!now.has_ias) return false;
      value = now.ias_kt;
      break;
  }
  switch (c.op) {
    case comparison::greater: return value > c.value;
    case comparison::greater_or_equal: return value >= c.value;
    case comparison::less: return value < c.value;
    case comparison::less_or_equal: return value <= c.value;
  }
  return false;
}

// A temperature in the limit's unit (a span converts without the offset).
double in_limit_unit(double v, temperature_unit logged, const aircraft_limit& limit, bool span) {
  if (!limit.has_temperature_unit || limit.unit == logged) return v;
  if (span) return limit.unit == temperature_unit::celsius ? v * 5.0 / 9.0 : v * 9.0 / 5.0;
  return convert_temperature(v, logged, limit.unit);
}

}  // namespace

exceedance_tracker::exceedance_tracker(const std::vector<aircraft_limit>& limits, std::uint32_t release_ms,
                                       std::size_t max_listed)
    : limits_(limits), release_ms_(release_ms), max_listed_(max_listed), slots_(limits.size() * cylinder_count) {
  listed_.reserve(max_listed);
  for (const aircraft_limit& l : limits_) checks_airspeed_ = checks_airspeed_ || l.parameter == limit_parameter::ias_max;
}

void exceedance_tracker::take_engine(const engine_sample& s, const engine_units& units, int cylinders,
                                     const condition_values& now, const log_instant& at) {
  const std::size_t taken = cylinders_taken(cylinders);
  for (std::size_t i = 0; i < limits_.size(); ++i) {
    const aircraft_limit& limit = limits_[i];
    switch (limit.parameter) {
      case limit_parameter::cht_max:
        for (std::size_t c = 0; c < taken; ++c) take(i, c, in_limit_unit(s.cht[c], units.cht, limit, false), now, at);
        break;
      case limit_parameter::egt_max:
        for (std::size_t c = 0; c < taken; ++c) {
          take(i, c, in_limit_unit(s.egt[c], units.other_temperatures, limit, false), now, at);
        }
        break;
      case limit_parameter::egt_span_max: {
        double hottest = 0.0;
        double coolest = 0.0;
        int counted = 0;
        for (std::size_t c = 0; c < cylinder_count; ++c) {
          const bool fitted = cylinders > 0 ? c < static_cast<std::size_t>(cylinders) : s.egt[c] > 0.0;
          if (!fitted || std::isnan(s.egt[c])) continue;
          hottest = counted == 0 ? s.egt[c] : std::max(hottest, s.egt[c]);
          coolest = counted == 0 ? s.egt[c] : std::min(coolest, s.egt[c]);
          ++counted;
        }
        if (counted >= 2) take(i, 0, in_limit_unit(hottest - coolest, units.other_temperatures, limit, true), now, at);
        break;
      }
      case limit_parameter::oil_temperature_max:
      case limit_parameter::oil_temperature_min:
        take(i, 0, in_limit_unit(s.oil_temperature, units.other_temperatures, limit, false), now, at);
        break;
      case limit_parameter::oil_pressure_min:
      case limit_parameter::oil_pressure_max: take(i, 0, s.oil_pressure_psi, now, at); break;
      case limit_parameter::rpm_max: take(i, 0, s.rpm, now, at); break;
      case limit_parameter::bus_voltage_min:
      case limit_parameter::bus_voltage_max: take(i, 0, s.bus_voltage, now, at); break;
      case limit_parameter::ias_max: break;
      default: break;  // the engine warnings (engine_warnings.h) are not limits
    }
  }
}

void exceedance_tracker::take_airspeed(double ias_kt, const condition_values& now, const log_instant& at) {
  for (std::size_t i = 0; i < limits_.size(); ++i) {
    if (limits_[i].parameter == limit_parameter::ias_max) take(i, 0, ias_kt, now, at);
  }
}

void exceedance_tracker::take(std::size_t limit_index, std::size_t cylinder, double value, const condition_values& now,
                              const log_instant& at) {
  if (std::isnan(value)) return;  // the record does not hold the field
  const aircraft_limit& limit = limits_[limit_index];
  slot& s = slot_of(limit_index, cylinder);
  const bool maximum = is_maximum(limit.parameter);
  const bool beyond = holds(limit.when, now) && (maximum ? value > limit.value : value < limit.value);
  if (beyond) {
    if (!s.active) {
      s.active = true;
      s.current = exceedance{static_cast<std::uint32_t>(limit_index),
                             static_cast<std::uint8_t>(is_per_cylinder(limit.parameter) ? cylinder + 1 : 0),
                             at,
                             at,
                             value,
                             at};
    } else if (maximum ? value > s.current.peak : value < s.current.peak) {
      s.current.peak = value;
      s.current.peak_at = at;
    }
    s.releasing = false;
    s.last_beyond = at;
    return;
  }
  if (!s.active) return;
  if (!s.releasing) {
    s.releasing = true;
    s.release_start = at;
  }
  if (at.segment != s.release_start.segment ||
      std::int64_t{at.log_ms} - std::int64_t{s.release_start.log_ms} >= release_ms_) {
    close(s, s.release_start);
  }
}

void exceedance_tracker::close(slot& s, const log_instant& end) {
  s.current.end = end;
  if (listed_.size() < max_listed_) {
    listed_.push_back(s.current);
  } else {
    ++not_listed_;
  }
  s.active = false;
  s.releasing = false;
}

void exceedance_tracker::end_segment() {
  for (slot& s : slots_) {
    if (s.active) close(s, s.releasing ? s.release_start : s.last_beyond);
  }
}

void exceedance_tracker::finish() {
  end_segment();
  // Exceedances close in the order they end; they are listed in the order they began, and
  // those that began together in the order of the limits and cylinders.
  std::stable_sort(listed_.begin(), listed_.end(), [](const exceedance& a, const exceedance& b) {
    if (log_order(a.start) != log_order(b.start)) return log_order(a.start) < log_order(b.start);
    return a.limit_index != b.limit_index ? a.limit_index < b.limit_index : a.cylinder < b.cylinder;
  });
}
