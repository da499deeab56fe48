#include "analysis/engine_warnings.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr std::uint32_t engine_release_ms = 5000;
constexpr std::uint32_t probe_release_ms = 10000;
constexpr std::uint32_t cooling_step_ms = 1000;  // the cooling ring takes a sample at most this often
constexpr double running_rpm = 500.0;
constexpr std::size_t cruise_label = 4;  // flight_phase_kind::cruise
constexpr std::uint32_t rebase_every = 1024;

using lp = limit_parameter;

std::size_t rule_of(lp p) { return warning_index(p); }

std::uint32_t milliseconds(double seconds) { return static_cast<std::uint32_t>(std::llround(seconds * 1000.0)); }

// The unit a temperature rule's value is in (and its warnings' peaks): its own, else the LOG's.
temperature_unit rule_unit(const aircraft_limit& l, const engine_units& u, bool cht) {
  if (l.has_temperature_unit) return l.unit;
  return cht ? u.cht : u.other_temperatures;
}

double to_fahrenheit(double v, temperature_unit from, bool difference) {
  if (from == temperature_unit::fahrenheit) return v;
  return difference ? v * 9.0 / 5.0 : convert_temperature(v, from, temperature_unit::fahrenheit);
}

double from_fahrenheit(double v, temperature_unit to, bool difference) {
  if (to == temperature_unit::fahrenheit) return v;
  return difference ? v * 5.0 / 9.0 : convert_temperature(v, temperature_unit::fahrenheit, to);
}

bool names_cht(lp p) { return p == lp::cht_high || p == lp::cht_above_others || p == lp::cht_cooling || p == lp::cht_probe_high; }

}  // namespace

warning_detector::warning_detector(const warning_rules& rules, std::size_t max_listed)
    : rules_(rules), max_listed_(max_listed), slots_(warning_rule_count * probe_count) {
  listed_.reserve(64);
  units_.cht = units_.other_temperatures = temperature_unit::fahrenheit;
  for (std::size_t r = 0; r < warning_rule_count; ++r) {
    threshold_f_[r][0] = threshold_f_[r][1] = rules_[r].limit.value;
    maximum_[r] = is_maximum(rules_[r].limit.parameter);
    release_ms_[r] = is_probe_rule(rules_[r].limit.parameter) ? probe_release_ms : engine_release_ms;
  }
  // A jump is told between samples up to half as far apart again as the rule's time.
  jump_within_ms_ = milliseconds(rules_[rule_of(lp::probe_jump)].limit.seconds) * 3 / 2;
  cooling_window_ms_ = milliseconds(rules_[rule_of(lp::cht_cooling)].limit.seconds);
}

bool warning_detector::holds(const limit_condition& c, const phase_sample& s) const {
  double value = 0.0;
  switch (c.subject) {
    case condition_subject::none: return true;
    case condition_subject::airborne: return s.airborne;
    case condition_subject::rpm: value = s.rpm(); break;
    case condition_subject::ias: value = s.speed_kt; break;
  }
  if (std::isnan(value)) return false;
  switch (c.op) {
    case comparison::greater: return value > c.value;
    case comparison::greater_or_equal: return value >= c.value;
    case comparison::less: return value < c.value;
    case comparison::less_or_equal: return value <= c.value;
  }
  return false;
}

// The probes' readings in Fahrenheit, NaN where the sample holds none.
void warning_detector::convert_probes(const phase_sample& s, double (&f)[probe_count]) const {
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    const float cht = s.value[measure_cht_1 + c];
    const float egt = s.value[measure_egt_1 + c];
    f[c] = cht == cht ? to_fahrenheit(cht, units_.cht, false) : std::nan("");
    f[cylinder_count + c] = egt == egt ? to_fahrenheit(egt, units_.other_temperatures, false) : std::nan("");
  }
}

void warning_detector::take(const phase_sample& s, const engine_units& units) {
  const stamp now{s.log_ms, s.segment, s.label};
  if (has_last_ && (s.segment != last_.segment || s.log_ms < last_.ms)) break_run();
  if (!has_last_ || units.cht != units_.cht || units.other_temperatures != units_.other_temperatures) {
    units_ = units;
    for (std::size_t r = 0; r < warning_rule_count; ++r) {
      const aircraft_limit& l = rules_[r].limit;
      if (!is_temperature(l.parameter)) continue;
      for (int k = 0; k < 2; ++k) {
        const temperature_unit u = rule_unit(l, units_, k == 0);
        threshold_f_[r][k] = to_fahrenheit(l.value, u, is_temperature_difference(l.parameter));
      }
    }
  }
  double f[probe_count];
  static_assert(measure_cht_1 == 0 && measure_egt_1 == cylinder_count, "the probes lead the sample's values");
  const bool fahrenheit =
      units_.cht == temperature_unit::fahrenheit && units_.other_temperatures == temperature_unit::fahrenheit;
  if (fahrenheit && all_quiet(s, now)) {
    if (cooling_due(now)) {
      for (std::size_t p = 0; p < cylinder_count; ++p) f[p] = has_read_[p] ? s.value[p] : std::nan("");
      check_cooling(now, f);
    }
  } else {
    if (fahrenheit) {
      for (std::size_t p = 0; p < probe_count; ++p) f[p] = s.value[p];
    } else {
      convert_probes(s, f);
    }
    check_probes(s, now, f);
    // A probe that has read nothing yet is not fitted: it is no cylinder for the engine warnings.
    for (std::size_t p = 0; p < probe_count; ++p) {
      if (!has_read_[p]) f[p] = std::nan("");
    }
    check_engine(s, now, f);
    if (cooling_due(now)) check_cooling(now, f);
  }
  has_last_ = true;
  last_ = now;
}

// The common case of the probes and the engine rules at once, for readings in Fahrenheit, in one
// pass over the fitted cylinders' probes: as probes_quiet and then engine_quiet find it. When
// the sample is not quiet the probes that read are noted all the same, as check_probes notes
// them, and the whole check runs.
bool warning_detector::all_quiet(const phase_sample& s, const stamp& now) {
  const std::size_t low = rule_of(lp::probe_low);
  const std::size_t jump = rule_of(lp::probe_jump);
  const std::size_t probe_high[2] = {rule_of(lp::cht_probe_high), rule_of(lp::egt_probe_high)};
  const std::size_t high = rule_of(lp::cht_high);
  const std::size_t others = rule_of(lp::cht_above_others);
  const std::size_t spread = rule_of(lp::egt_spread_cruise);
  const std::size_t oil = rule_of(lp::oil_pressure_low);
  if (any_suspect_ || active_any_ != 0) return false;
  const bool running = !(s.rpm() < running_rpm);
  const bool recent = has_last_ && now.ms - previous_ms_ <= jump_within_ms_;
  // Per kind of probe: the fitted probes that read in this flight, their sum, least and greatest.
  struct readings {
    double sum, least, greatest;
    int counted;
  };
  const auto look = [&](std::size_t k, readings& r) {
    const double low_f = threshold_f_[low][k];
    const double high_f = threshold_f_[probe_high[k]][k];
    // No jump between samples too far apart: no move is beyond infinity (nor a NaN one).
    const double jump_f = recent ? threshold_f_[jump][k] : std::numeric_limits<double>::infinity();
    double sum = 0.0, least = std::numeric_limits<double>::infinity(), greatest = -least;
    int counted = 0;
    for (std::size_t p = k * cylinder_count, end = p + s.cylinders; p < end; ++p) {
      const double v = s.value[p];
      if (v != v) continue;
      if (v > high_f) return false;
      bool read = has_read_[p];
      if (v > low_f) {
        read = has_read_[p] = true;
      } else if (running && read) {
        return false;
      }
      if (std::fabs(v - previous_f_[p]) > jump_f) return false;  // NaN before: not held
      if (!read) continue;
      sum += v;
      least = v < least ? v : least;
      greatest = v > greatest ? v : greatest;
      ++counted;
    }
    r = {sum, least, greatest, counted};
    return true;
  };
  readings cht, egt;
  if (!look(0, cht) || !look(1, egt)) return false;
  // The engine rules, as engine_quiet checks them.
  if (cht.counted > 0 && cht.greatest > threshold_f_[high][0] && holds(rules_[high].limit.when, s)) return false;
  if (cht.counted >= 2 && cht.greatest - (cht.sum - cht.greatest) / (cht.counted - 1) > threshold_f_[others][0] &&
      holds(rules_[others].limit.when, s)) {
    return false;
  }
  if (s.label == cruise_label && egt.counted >= 2 && egt.greatest - egt.least > threshold_f_[spread][1] &&
      holds(rules_[spread].limit.when, s)) {
    return false;
  }
  const float pressure = s.value[measure_oil_pressure];
  if (pressure < rules_[oil].limit.value && holds(rules_[oil].limit.when, s)) return false;
  // Quiet: what probes_quiet keeps.
  for (std::size_t p = 0; p < probe_count; ++p) previous_f_[p] = s.value[p];
  previous_ms_ = now.ms;
  return true;
}

// The common case: no probe under suspicion or in a warning, every reading within the range
// and none moved as far as a jump. Then only the readings and the probes that read are kept.
bool warning_detector::probes_quiet(const phase_sample& s, const stamp& now, const double (&f)[probe_count]) {
  const std::size_t low = rule_of(lp::probe_low);
  const std::size_t jump = rule_of(lp::probe_jump);
  const std::size_t high[2] = {rule_of(lp::cht_probe_high), rule_of(lp::egt_probe_high)};
  if (any_suspect_ || active_in_rule_[low] != 0 || active_in_rule_[jump] != 0 || active_in_rule_[high[0]] != 0 ||
      active_in_rule_[high[1]] != 0) {
    return false;
  }
  const bool running = !(s.rpm() < running_rpm);
  const bool recent = has_last_ && now.ms - previous_ms_ <= jump_within_ms_;
  for (std::size_t k = 0; k < 2; ++k) {
    const double low_f = threshold_f_[low][k];
    const double high_f = threshold_f_[high[k]][k];
    const double jump_f = threshold_f_[jump][k];
    for (std::size_t p = k * cylinder_count; p < (k + 1) * cylinder_count; ++p) {
      // A probe that read is noted as check_probes notes it first, so that nothing need be
      // undone when the sample turns out not quiet.
      const double v = f[p];
      if (v != v) continue;
      if (v > high_f) return false;
      if (v > low_f) {
        has_read_[p] = true;
      } else if (running && has_read_[p]) {
        return false;
      }
      if (recent && std::fabs(v - previous_f_[p]) > jump_f) return false;  // NaN before: not held
    }
  }
  // Nothing at fault before this sample either (none suspect), and nothing now.
  std::copy(std::begin(f), std::end(f), previous_f_);
  previous_ms_ = now.ms;
  return true;
}

void warning_detector::check_probes(const phase_sample& s, const stamp& now, double (&f)[probe_count]) {
  if (probes_quiet(s, now, f)) return;
  const std::size_t low = rule_of(lp::probe_low);
  const std::size_t jump = rule_of(lp::probe_jump);
  const std::size_t high[2] = {rule_of(lp::cht_probe_high), rule_of(lp::egt_probe_high)};
  const double low_f[2] = {threshold_f_[low][0], threshold_f_[low][1]};
  const double high_f[2] = {threshold_f_[high[0]][0], threshold_f_[high[1]][1]};
  const double jump_f[2] = {threshold_f_[jump][0], threshold_f_[jump][1]};
  const bool running = !(s.rpm() < running_rpm);
  const bool recent = has_last_ && now.ms - previous_ms_ <= jump_within_ms_;
  bool faulty[probe_count];  // reading beyond the range
  bool jumped[probe_count] = {};
  double moved[probe_count];  // since the last sample; 0 when either is not held
  for (std::size_t p = 0; p < probe_count; ++p) {
    const std::size_t k = p / cylinder_count;
    const double v = f[p];
    faulty[p] = false;
    moved[p] = 0.0;
    if (std::isnan(v)) continue;
    // A probe that has read nothing above the low threshold in this flight is not fitted (a
    // LOG that does not say its cylinders is read as six): not a fault.
    const bool is_high = v > high_f[k];
    if (!is_high && v > low_f[k]) has_read_[p] = true;
    const bool is_low = running && has_read_[p] && v <= low_f[k];
    feed(low, p, is_low, v, now, now, 0);
    feed(high[k], p, is_high, v, now, now, 0);
    faulty[p] = is_low || is_high;
    if (recent && held_before(p)) moved[p] = std::fabs(v - previous_f_[p]);
  }
  // A jump: this probe moved by more than the threshold since the last sample, neither reading
  // beyond the range, while no other probe of its kind moved by half as much.
  if (recent) {
    for (std::size_t p = 0; p < probe_count; ++p) {
      if (std::isnan(f[p]) || !held_before(p) || previous_faulty_[p] || faulty[p]) continue;
      const std::size_t k = p / cylinder_count;
      if (moved[p] > jump_f[k]) {
        jumped[p] = true;
        for (std::size_t q = k * cylinder_count; q < (k + 1) * cylinder_count; ++q) {
          if (q != p && moved[q] > jump_f[k] / 2) jumped[p] = false;
        }
      }
      feed(jump, p, jumped[p], moved[p], now, now, 0);
    }
  }
  any_suspect_ = false;
  for (std::size_t p = 0; p < probe_count; ++p) {
    if (faulty[p] || jumped[p]) suspect_until_ms_[p] = now.ms + probe_release_ms;
    suspect_[p] = faulty[p] || jumped[p] || (has_last_ && now.ms <= suspect_until_ms_[p] && suspect_[p]);
    any_suspect_ = any_suspect_ || suspect_[p];
    previous_faulty_[p] = faulty[p];
    previous_f_[p] = f[p];
  }
  previous_ms_ = now.ms;
}

// The common case of the engine rules: no probe under suspicion, none of them in a warning, and no
// value beyond its threshold. The cylinder furthest above the others is the hottest (the mean of
// the others falls as a cylinder's own value rises), so it alone is checked.
bool warning_detector::engine_quiet(const phase_sample& s, const double (&f)[probe_count]) const {
  const std::size_t high = rule_of(lp::cht_high);
  const std::size_t others = rule_of(lp::cht_above_others);
  const std::size_t spread = rule_of(lp::egt_spread_cruise);
  const std::size_t oil = rule_of(lp::oil_pressure_low);
  if (any_suspect_ || active_in_rule_[high] != 0 || active_in_rule_[others] != 0 || active_in_rule_[spread] != 0 ||
      active_in_rule_[oil] != 0) {
    return false;
  }
  double sum = 0.0;
  double hottest = 0.0;
  int counted = 0;
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    if (f[c] != f[c]) continue;
    sum += f[c];
    hottest = counted == 0 || f[c] > hottest ? f[c] : hottest;
    ++counted;
  }
  if (counted > 0 && hottest > threshold_f_[high][0] && holds(rules_[high].limit.when, s)) return false;
  if (counted >= 2 && hottest - (sum - hottest) / (counted - 1) > threshold_f_[others][0] &&
      holds(rules_[others].limit.when, s)) {
    return false;
  }
  if (s.label == cruise_label) {
    double hot = 0.0, cool = 0.0;
    int held = 0;
    for (std::size_t c = cylinder_count; c < probe_count; ++c) {
      if (f[c] != f[c]) continue;
      hot = held == 0 || f[c] > hot ? f[c] : hot;
      cool = held == 0 || f[c] < cool ? f[c] : cool;
      ++held;
    }
    if (held >= 2 && hot - cool > threshold_f_[spread][1] && holds(rules_[spread].limit.when, s)) return false;
  }
  const float pressure = s.value[measure_oil_pressure];
  return !(pressure < rules_[oil].limit.value && holds(rules_[oil].limit.when, s));
}

void warning_detector::check_engine(const phase_sample& s, const stamp& now, const double (&f)[probe_count]) {
  if (engine_quiet(s, f)) return;
  const std::size_t high = rule_of(lp::cht_high);
  const std::size_t others = rule_of(lp::cht_above_others);
  const std::size_t spread = rule_of(lp::egt_spread_cruise);
  const std::size_t oil = rule_of(lp::oil_pressure_low);
  const bool high_holds = holds(rules_[high].limit.when, s);
  const bool others_hold = holds(rules_[others].limit.when, s);
  double sum = 0.0;
  int counted = 0;
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    if (!std::isnan(f[c]) && !suspect_[c]) {
      sum += f[c];
      ++counted;
    }
  }
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    if (std::isnan(f[c])) continue;
    const auto cylinder = static_cast<std::uint8_t>(c + 1);
    const bool good = !suspect_[c];
    feed(high, c, good && high_holds && f[c] > threshold_f_[high][0], f[c], now, now, cylinder);
    if (counted >= 2 || !good) {
      const double above = good ? f[c] - (sum - f[c]) / (counted - 1) : 0.0;
      feed(others, c, good && others_hold && above > threshold_f_[others][0], above, now, now, cylinder);
    }
  }
  // The EGT spread, over the good EGT probes, in cruise.
  double hottest = 0.0, coolest = 0.0;
  std::uint8_t hottest_cylinder = 0;
  int held = 0;
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    const double v = f[cylinder_count + c];
    if (std::isnan(v) || suspect_[cylinder_count + c]) continue;
    if (held == 0 || v > hottest) {
      hottest = v;
      hottest_cylinder = static_cast<std::uint8_t>(c + 1);
    }
    coolest = held == 0 ? v : std::min(coolest, v);
    ++held;
  }
  if (held >= 2) {
    const bool beyond = s.label == cruise_label && holds(rules_[spread].limit.when, s) &&
                        hottest - coolest > threshold_f_[spread][1];
    feed(spread, 0, beyond, hottest - coolest, now, now, hottest_cylinder);
  }
  const float pressure = s.value[measure_oil_pressure];
  if (pressure == pressure) {
    feed(oil, 0, holds(rules_[oil].limit.when, s) && pressure < rules_[oil].limit.value, pressure, now, now, 0);
  }
}

void warning_detector::move_cooling(const cooling_entry& e, double sign) {
  const double t = (static_cast<double>(e.ms) - base_ms_) / 1000.0;
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    if ((e.held >> c & 1) == 0) continue;
    line_sums& l = sums_[c];
    const double y = e.cht_f[c];
    l.n += sign;
    l.st += sign * t;
    l.stt += sign * t * t;
    l.sy += sign * y;
    l.sty += sign * t * y;
  }
  ++moves_since_rebase_;
}

// The sums again from the ring, times from its first sample, so that rounding never piles up.
void warning_detector::rebase_cooling() {
  for (line_sums& l : sums_) l = {};
  base_ms_ = ring_count_ > 0 ? ring_[ring_first_].ms : 0;
  for (std::size_t i = 0; i < ring_count_; ++i) move_cooling(ring_[(ring_first_ + i) % ring_size], 1.0);
  moves_since_rebase_ = 0;
}

bool warning_detector::cooling_due(const stamp& now) const {
  return ring_count_ == 0 || now.ms - ring_[(ring_first_ + ring_count_ - 1) % ring_size].ms >= cooling_step_ms;
}

// A sample for the cooling window, when cooling_due().
void warning_detector::check_cooling(const stamp& now, const double (&f)[probe_count]) {
  const std::size_t rule = rule_of(lp::cht_cooling);
  const std::uint32_t window_ms = cooling_window_ms_;
  cooling_entry e{now.ms, now.label, 0, {}};
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    if (std::isnan(f[c]) || suspect_[c]) continue;
    e.held = static_cast<std::uint8_t>(e.held | 1u << c);
    e.cht_f[c] = static_cast<float>(f[c]);
  }
  // A cylinder whose probe falls under suspicion leaves the window whole (none is suspect in
  // the common case).
  bool dropped = false;
  if (!any_suspect_) dropped_ = 0;
  for (std::size_t c = 0; c < cylinder_count && any_suspect_; ++c) {
    const auto bit = static_cast<std::uint8_t>(1u << c);
    if (!suspect_[c]) {
      dropped_ = static_cast<std::uint8_t>(dropped_ & ~bit);
      continue;
    }
    if ((dropped_ & bit) != 0) continue;
    dropped_ = static_cast<std::uint8_t>(dropped_ | bit);
    dropped = true;
    for (std::size_t i = 0; i < ring_count_; ++i) {
      cooling_entry& old = ring_[(ring_first_ + i) % ring_size];
      old.held = static_cast<std::uint8_t>(old.held & ~bit);
    }
  }
  while (ring_count_ > 0 && (ring_count_ == ring_size || ring_[ring_first_].ms + window_ms < now.ms)) {
    move_cooling(ring_[ring_first_], -1.0);
    ring_first_ = (ring_first_ + 1) % ring_size;
    --ring_count_;
    middle_ -= middle_ > 0;
  }
  if (ring_count_ == 0) base_ms_ = now.ms;
  ring_[(ring_first_ + ring_count_) % ring_size] = e;
  ++ring_count_;
  move_cooling(e, 1.0);
  if (dropped || moves_since_rebase_ >= rebase_every) rebase_cooling();

  const cooling_entry& first = ring_[ring_first_];
  if (static_cast<double>(now.ms - first.ms) < 0.95 * window_ms) return;
  // A window's slope is the cooling at its middle: the warning runs between the middles of its
  // first and last windows, in the phase of the first middle.
  // The first sample at or after the middle time; as both ends only move on, so does it.
  const std::uint32_t middle_ms = first.ms + (now.ms - first.ms) / 2;
  while (middle_ < ring_count_ - 1 && ring_[(ring_first_ + middle_) % ring_size].ms < middle_ms) ++middle_;
  const cooling_entry& middle = ring_[(ring_first_ + middle_) % ring_size];
  const stamp at{middle.ms, now.segment, middle.label};
  for (std::size_t c = 0; c < cylinder_count; ++c) {
    if ((e.held >> c & 1) == 0) continue;
    const line_sums& l = sums_[c];
    const double d = l.n * l.stt - l.st * l.st;
    if (l.n < 3 || !(d > 1e-9 * l.n * l.n)) continue;
    const double per_minute = -60.0 * (l.n * l.sty - l.st * l.sy) / d;
    feed(rule, c, per_minute > threshold_f_[rule][0], per_minute, at, at, static_cast<std::uint8_t>(c + 1));
  }
}

void warning_detector::feed_slow(std::size_t rule, std::size_t index, bool beyond, double value, const stamp& now,
                            const stamp& start, std::uint8_t cylinder) {
  slot& s = slot_of(rule, index);
  const bool maximum = maximum_[rule];
  if (beyond) {
    if (!s.active) {
      s = slot{};
      s.active = true;
      ++active_in_rule_[rule];
      ++active_any_;
      s.start = start;
      s.peak = value;
      s.peak_at = now;
      s.peak_cylinder = cylinder;
    } else if (maximum ? value > s.peak : value < s.peak) {
      s.peak = value;
      s.peak_at = now;
      s.peak_cylinder = cylinder;
    }
    s.releasing = false;
    s.last_beyond = now;
    return;
  }
  if (!s.active) return;
  if (!s.releasing) {
    s.releasing = true;
    s.release_start = now;
  }
  if (now.ms - s.release_start.ms >= release_ms_[rule]) close(rule, s);
}

void warning_detector::close(std::size_t rule, slot& s) {
  s.active = false;
  --active_in_rule_[rule];
  --active_any_;
  const aircraft_limit& l = rules_[rule].limit;
  const lp p = l.parameter;
  // A warning that holds for its time; a jump and a cooling window are their own time.
  const bool timed = p != lp::probe_jump && p != lp::cht_cooling;
  if (timed && s.last_beyond.ms - s.start.ms < milliseconds(l.seconds)) return;
  if (total_listed_ >= max_listed_) {
    ++not_listed_;
    return;
  }
  const std::size_t index = static_cast<std::size_t>(&s - slots_.data()) % probe_count;
  engine_warning w;
  w.parameter = p;
  w.phase = s.start.label;
  const auto instant = [](const stamp& t) {
    log_instant at;
    at.log_ms = t.ms;
    at.segment = t.segment;
    return at;
  };
  w.start = instant(s.start);
  w.end = instant(s.releasing ? s.release_start : s.last_beyond);
  w.peak_at = instant(s.peak_at);
  w.peak = s.peak;
  if (is_probe_rule(p)) {
    w.probe = index < cylinder_count ? probe_kind::cht : probe_kind::egt;
    w.cylinder = static_cast<std::uint8_t>(index % cylinder_count + 1);
  } else {
    w.cylinder = s.peak_cylinder;
  }
  if (is_temperature(p)) {
    const bool cht = w.probe == probe_kind::cht || (w.probe == probe_kind::none && names_cht(p));
    w.peak = from_fahrenheit(s.peak, rule_unit(l, units_, cht), is_temperature_difference(p));
  }
  w.threshold = l.value;
  listed_.push_back(w);
  ++total_listed_;
}

void warning_detector::close_all() {
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    slot& s = slots_[i];
    if (!s.active) continue;
    close(i / probe_count, s);
  }
}

void warning_detector::end_window() {
  break_run();
  for (bool& read : has_read_) read = false;
}

// A break in the samples (a new segment of the LOG): what goes on ends, no window spans it.
void warning_detector::break_run() {
  close_all();
  has_last_ = false;
  ring_first_ = ring_count_ = middle_ = 0;
  dropped_ = 0;
  for (line_sums& l : sums_) l = {};
  for (std::size_t p = 0; p < probe_count; ++p) {
    previous_f_[p] = std::nan("");
    previous_faulty_[p] = suspect_[p] = false;
  }
  any_suspect_ = false;
}

std::vector<engine_warning> warning_detector::take_listed() {
  std::vector<engine_warning> out = std::move(listed_);
  listed_.clear();
  listed_.reserve(64);
  std::stable_sort(out.begin(), out.end(), [](const engine_warning& a, const engine_warning& b) {
    return log_order(a.start) < log_order(b.start);
  });
  return out;
}
