#include "decode/utc_clock.h"

#include <algorithm>
#include <cstdlib>

#include "decoders/gps/fix.h"
#include "text/char_class.h"

namespace {

constexpr std::int64_t day_ms = 86'400'000;
constexpr std::int64_t day_lag_tolerance_ms = 600'000;

// n digits at text[at], or -1.
int digits_at(std::string_view text, std::size_t at, std::size_t n) {
  if (text.size() < at + n) return -1;
  int v = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (!is_digit(text[at + i])) return -1;
    v = v * 10 + (text[at + i] - '0');
  }
  return v;
}

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return days[month - 1] + (month == 2 && is_leap(year) ? 1 : 0);
}

}  // namespace

std::int64_t clock_mapping::offset_moving(std::uint32_t log_ms) const {
  const std::int64_t passed = std::int64_t{log_ms} - from_ms;
  if (target_offset_ms > from_offset_ms) {
    return std::min(target_offset_ms, from_offset_ms + passed / utc_clock::slew_up_divisor);
  }
  return std::max(target_offset_ms, from_offset_ms - passed / utc_clock::slew_down_divisor);
}

std::uint32_t clock_mapping::log_ms_at(std::int64_t utc_ms) const {
  const auto clamped = [](std::int64_t t) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(t, 0, std::int64_t{UINT32_MAX}));
  };
  const std::int64_t from_utc = std::int64_t{from_ms} + from_offset_ms;
  if (utc_ms <= from_utc || target_offset_ms == from_offset_ms) return clamped(utc_ms - from_offset_ms);
  const bool up = target_offset_ms > from_offset_ms;
  const std::int64_t divisor = up ? utc_clock::slew_up_divisor : utc_clock::slew_down_divisor;
  const std::int64_t slew_ms = std::llabs(target_offset_ms - from_offset_ms) * divisor;  // LOG time the move takes
  if (utc_ms >= std::int64_t{from_ms} + slew_ms + target_offset_ms) return clamped(utc_ms - target_offset_ms);
  // Within the move UTC runs at (divisor +- 1) / divisor of LOG time.
  const std::int64_t t = from_ms + (utc_ms - from_utc) * divisor / (up ? divisor + 1 : divisor - 1);
  return clamped(t);
}

std::uint64_t clock_mapping::first_log_ms_past(std::int64_t utc_ms) const {
  // The answer lies in [lo, hi]: no LOG time before lo maps past utc_ms, hi does (or is 2^32).
  // The inverse mapping's LOG time is within a few ms of it; the search narrows around that.
  constexpr std::uint64_t none = std::uint64_t{UINT32_MAX} + 1;
  if (target_offset_ms == from_offset_ms) {  // the usual mapping: one offset throughout
    return static_cast<std::uint64_t>(std::clamp<std::int64_t>(utc_ms - from_offset_ms + 1, 0, none));
  }
  constexpr std::uint32_t near_ms = 16;
  const auto past = [&](std::uint64_t t) { return utc_ms_at(static_cast<std::uint32_t>(t)) > utc_ms; };
  std::uint64_t lo = 0;
  std::uint64_t hi = none;
  const std::uint64_t guess = log_ms_at(utc_ms);
  if (guess >= near_ms && !past(guess - near_ms)) lo = guess - near_ms + 1;
  if (guess + near_ms < none && past(guess + near_ms)) hi = guess + near_ms;
  while (lo < hi) {
    const std::uint64_t mid = lo + (hi - lo) / 2;
    if (mid < none && past(mid)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

std::optional<std::int64_t> utc_clock::estimate_ms() const {
  if (window_count_ == 0) return std::nullopt;
  return largest_bound(latest_fix_ms_);
}

// The window keeps, oldest first, only the fixes that may still give the largest bound: each
// bound is smaller than every one before it (a later fix with a bound as large replaces the
// earlier ones). So the first within the last minute is the largest.
std::int64_t utc_clock::largest_bound(std::uint32_t t) const {
  for (std::uint32_t i = 0; i < window_count_; ++i) {
    const bound& b = window_[(window_head_ + i) % window_fixes];
    if (std::int64_t{t} - b.log_ms <= window_ms) return b.offset_ms;
  }
  // The latest fix is always within the window, so one is found.
  return window_count_ > 0 ? window_[(window_head_ + window_count_ - 1) % window_fixes].offset_ms : INT64_MIN;
}

void utc_clock::add_bound(const bound& in) {
  bound b = in;
  b.number = fixes_;
  // Out of the window: fixes before the last window_fixes, and those whose bound is no larger.
  while (window_count_ > 0 && window_[window_head_].number + window_fixes <= b.number) {
    window_head_ = (window_head_ + 1) % window_fixes;
    --window_count_;
  }
  while (window_count_ > 0 && window_[(window_head_ + window_count_ - 1) % window_fixes].offset_ms <= b.offset_ms) {
    --window_count_;
  }
  window_[(window_head_ + window_count_) % window_fixes] = b;
  ++window_count_;
  if (fixes_++ == 0) first_fix_ms_ = b.log_ms;
  latest_fix_ms_ = b.log_ms;
}

// The mapping moves on from t (where it stands then) toward a new target.
void utc_clock::move_to(std::uint32_t t, std::int64_t target) {
  if (t > mapping_.from_ms) {
    mapping_.from_offset_ms = mapping_.offset_at(t);
    mapping_.from_ms = t;
  }
  mapping_.target_offset_ms = target;
}

void utc_clock::settle_at(std::uint32_t t) {
  const std::int64_t estimate = largest_bound(t);
  settled_ = true;
  first_ = {std::int64_t{t} + estimate, t};
  if (mapping_.source != utc_source::gps || std::llabs(estimate - mapping_.offset_at(t)) > jump_ms) {
    // No GPS clock yet (or one taken over that is far off): the segment's own starts here.
    if (mapping_.source == utc_source::gps) ++new_anchors_;
    mapping_ = {utc_source::gps, t, estimate, estimate};
    return;
  }
  move_to(t, estimate);
}

void utc_clock::take_fix(std::int64_t utc_ms, std::uint32_t log_ms) {
  const clock_mapping before = mapping_;
  take_fix_into_mapping(utc_ms, log_ms);
  if (mapping_.source != before.source || mapping_.from_ms != before.from_ms ||
      mapping_.from_offset_ms != before.from_offset_ms || mapping_.target_offset_ms != before.target_offset_ms) {
    ++changes_;
  }
}

void utc_clock::take_fix_into_mapping(std::int64_t utc_ms, std::uint32_t log_ms) {
  bound b{utc_ms - std::int64_t{log_ms}, log_ms};
  const std::optional<std::int64_t> own = estimate_ms();
  if (own || mapping_.source == utc_source::gps) {
    const std::int64_t reference = own ? *own : mapping_.offset_at(log_ms);
    const std::int64_t off_by = b.offset_ms - reference;
    if (std::llabs(off_by + day_ms) <= day_lag_tolerance_ms) {
      b.offset_ms += day_ms;
      ++day_corrections_;
    } else if (std::llabs(off_by - day_ms) <= day_lag_tolerance_ms) {
      b.offset_ms -= day_ms;
      ++day_corrections_;
    }
  }
  if (own && std::llabs(b.offset_ms - (settled_ ? mapping_.offset_at(log_ms) : *own)) > jump_ms) {
    if (!set_aside_ || std::llabs(b.offset_ms - set_aside_->offset_ms) > jump_ms) {
      set_aside_ = b;  // one fix far off proves nothing yet
      return;
    }
    // Two fixes agree on a new time: a new anchor, the estimate made anew from them.
    const bound earlier = *set_aside_;
    set_aside_.reset();
    window_count_ = window_head_ = fixes_ = 0;
    add_bound(earlier);
    add_bound(b);
    ++new_anchors_;
    const std::int64_t estimate = std::max(earlier.offset_ms, b.offset_ms);
    mapping_ = {utc_source::gps, log_ms, estimate, estimate};
    if (settled_) return;
    settled_ = true;
    first_ = {std::int64_t{log_ms} + estimate, log_ms};
    return;
  }
  set_aside_.reset();
  add_bound(b);
  if (settled_) {
    move_to(log_ms, largest_bound(log_ms));
  } else if (fixes_ >= settle_fixes || std::int64_t{log_ms} - first_fix_ms_ >= settle_ms) {
    settle_at(log_ms);
  }
}

void utc_clock::end_segment() {
  ++changes_;
  if (!settled_ && window_count_ > 0) settle_at(latest_fix_ms_);
}

void utc_clock::begin_segment(bool timer_ran_on) {
  ++changes_;
  if (!timer_ran_on) mapping_ = clock_mapping{};
  settled_ = false;
  first_ = {};
  window_count_ = window_head_ = fixes_ = 0;
  set_aside_.reset();
}

void utc_clock::start_from(const clock_mapping& m) {
  ++changes_;
  mapping_ = m;
  if (!settled_) first_ = {m.utc_ms_at(m.from_ms), m.from_ms};
}

void utc_clock::set_from_user(std::int64_t utc_ms, std::uint32_t log_ms) {
  ++changes_;
  if (mapping_.known()) return;
  mapping_ = clock_mapping::through(utc_source::user, {utc_ms, log_ms});
  first_ = {utc_ms, log_ms};
}

std::optional<std::int64_t> parse_utc_iso8601(std::string_view text) {
  const int year = digits_at(text, 0, 4);
  const int month = digits_at(text, 5, 2);
  const int day = digits_at(text, 8, 2);
  const int hour = digits_at(text, 11, 2);
  const int minute = digits_at(text, 14, 2);
  const int second = digits_at(text, 17, 2);
  if (year < 0 || month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59 || text[4] != '-' || text[7] != '-' ||
      (text[10] != 'T' && text[10] != 't' && text[10] != ' ') || text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  if (day > days_in_month(year, month)) return std::nullopt;
  std::string_view rest = text.substr(19);
  int millis = 0;
  if (rest.starts_with('.')) {
    std::size_t n = 1;
    int scale = 100;
    while (n < rest.size() && is_digit(rest[n])) {
      millis += (rest[n] - '0') * scale;
      scale /= 10;
      ++n;
    }
    if (n == 1) return std::nullopt;
    rest.remove_prefix(n);
  }
  if (!(rest.empty() || rest == "Z" || rest == "z" || rest == "+00:00")) return std::nullopt;
  return utc_seconds_of(year, month, day, hour, minute, second) * 1000 + millis;
}
