// Rows of a LOG at a fixed period: at each instant, the latest value of every source as it
// stands then, sampled from the latest-value cache the way the XML report's summaries sample it.
// The exports write them (CSV, the avionics datalog CSV, KML with time) and the HTML report
// charts them.
//
// Instants lie on a grid of `every_ms` from the first record (or from the window's start). The
// row of an instant is taken just before the first record after it, so it holds every record
// up to the instant. A row is given only where the LOG has a record within one period before
// the instant, so a stretch without records leaves a gap instead of repeating old values. A
// source that has sent nothing yet is absent from the row (a null pointer), never a zero.
#pragma once

#include <cstdint>

#include "decode/decode_context.h"
#include "decode/engine_units.h"
#include "decode/record_effect.h"
#include "decode/utc_clock.h"

struct sampled_row {
  std::uint32_t log_ms;
  bool has_utc;
  std::int64_t utc_ms;
  // The latest values of each source (valid while the row is handled); null until the source
  // has sent its first record, or for GPS its first accepted sentence.
  const eis_values* eis;
  const ahrs_hr_values* ahrs;  // the high-rate air data
  const ahrs_lr_values* ahrs_lr;
  const analog_values* analog;
  const gps_fix* gps_1;
  const gps_fix* gps_2;
  // The units the engine values are reported in, and their conversion from the LOG's current
  // units (a unit setting can change within a LOG).
  const unit_tracker* units;
};

struct sampling_options {
  std::uint32_t every_ms = 1000;
  std::uint32_t from_ms = 0;  // the window of LOG time: rows at from <= t < to
  std::uint32_t to_ms = UINT32_MAX;
  bool from_first_record = true;               // the grid starts at the first record, not at from_ms
  utc_source clock_source = utc_source::none;  // the clock an earlier pass found, and its first anchor
  utc_anchor clock_first{};
};

// The sampling steps of the read loop; give them to run_record_loop, alone or beside others.
// emit(const sampled_row&) receives each row in LOG order.
template <typename Emit>
class row_sampler {
 public:
  // On a pass that has begun: the pass's clock starts from the anchor an earlier pass found.
  row_sampler(decode_context& ctx, const sampling_options& options, Emit emit)
      : ctx_(ctx), options_(options), emit_(static_cast<Emit&&>(emit)) {
    if (options.clock_source != utc_source::none) {
      ctx.follow.clock.start_from(options.clock_source, options.clock_first);
    }
    origin_ = next_ = options.from_ms;
  }

  void before_dispatch(const efis_record& record) {
    const std::uint32_t t = record.timestamp;
    if (!started_) {
      started_ = true;
      if (options_.from_first_record && t > origin_) origin_ = t;
      next_ = first_grid_point(t);
    } else if (t > last_ && next_ < t) {
      take_rows_before(t);
    }
    last_ = t;
  }

 private:
  // The first grid instant at or after t.
  std::uint32_t first_grid_point(std::uint32_t t) const {
    if (t <= origin_) return origin_;
    const std::uint64_t steps = (std::uint64_t{t} - origin_ + options_.every_ms - 1) / options_.every_ms;
    const std::uint64_t at = origin_ + steps * options_.every_ms;
    return at > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(at);
  }

  // Rows for the instants in [last_, t): after a stretch without records, from the first
  // instant at or after the last record; none past one period beyond it.
  void take_rows_before(std::uint32_t t) {
    if (next_ < last_) next_ = first_grid_point(last_);
    while (next_ < t) {
      if (std::uint64_t{last_} + options_.every_ms <= next_) {
        next_ = first_grid_point(t);  // a gap: no rows until the records come back
        return;
      }
      if (next_ >= options_.from_ms && next_ < options_.to_ms) emit_(row_at(next_));
      if (std::uint64_t{next_} + options_.every_ms > UINT32_MAX) {
        next_ = UINT32_MAX;
        return;
      }
      next_ += options_.every_ms;
    }
  }

  sampled_row row_at(std::uint32_t t) {
    summary_record& s = ctx_.summary;
    const utc_clock& clock = ctx_.follow.clock;
    sampled_row row{};
    row.log_ms = t;
    row.has_utc = clock.known();
    row.utc_ms = row.has_utc ? clock.utc_ms_at(t) : 0;
    if (s.eis.received()) row.eis = &s.eis.values();
    if (s.ahrs_hr.received()) row.ahrs = &s.ahrs_hr.values().high_rate;
    if (s.ahrs_lr.received()) row.ahrs_lr = &s.ahrs_lr.values().low_rate;
    if (s.analog.received()) row.analog = &s.analog.values();
    if (s.gps_1.sentences_accepted != 0) row.gps_1 = &s.gps_1.fix;
    if (s.gps_2.sentences_accepted != 0) row.gps_2 = &s.gps_2.fix;
    row.units = &ctx_.follow.units;
    return row;
  }

  decode_context& ctx_;
  sampling_options options_;
  Emit emit_;
  bool started_ = false;
  std::uint32_t last_ = 0;    // the latest record's timestamp
  std::uint32_t origin_ = 0;  // the grid's first instant
  std::uint32_t next_ = 0;    // the next grid instant
};
