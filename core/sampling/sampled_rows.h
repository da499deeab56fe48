// Rows of a LOG at a fixed period: at each instant, the latest value of every source as it
// stands then, sampled from the latest-value cache the way the XML report's summaries sample it.
// The exports write them (CSV, the avionics datalog CSV, KML with time) and the HTML report
// charts them.
//
// Instants lie on a grid of `every_ms`, laid anew in each segment of the LOG: where the
// segment's clock is known, on whole multiples of the period in UTC (whole seconds of UTC by
// default), their LOG time through the clock; else every `every_ms` of LOG time from the
// segment's first record (or from the window's start). The row of an instant is taken just
// before the first record after it, so it holds every record up to the instant. A row is given
// only where the LOG has a record within one period before the instant, so a stretch without
// records leaves a gap instead of repeating old values. A source that has sent nothing yet in
// the row's segment is absent from the row (a null pointer), never a zero: values from before
// the EFIS was switched off do not stand in the rows after it.
#pragma once

#include <cstdint>
#include <optional>

#include "decode/decode_context.h"
#include "decode/engine_units.h"
#include "decode/record_effect.h"
#include "decode/utc_clock.h"
#include "sampling/log_window.h"

struct sampled_row {
  std::uint32_t log_ms;
  std::uint32_t segment;  // of the LOG, 0 for the first
  bool has_utc;
  std::int64_t utc_ms;
  bool continues;  // the row before came one period earlier, in the same segment
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
  row_window window;
  clock_hints* hints = nullptr;  // the clock each segment starts from (what an earlier pass found)
};

// The sampling steps of the read loop; give them to run_record_loop, alone or beside others.
// emit(const sampled_row&) receives each row in LOG order.
template <typename Emit>
class row_sampler {
 public:
  // On a pass that has begun: the pass's clock starts each segment as the hints say.
  row_sampler(decode_context& ctx, const sampling_options& options, Emit emit)
      : ctx_(ctx), options_(options), emit_(static_cast<Emit&&>(emit)) {
    if (options.hints != nullptr) ctx.follow.hints = options.hints;
  }

  void before_dispatch(const efis_record& record) {
    const std::uint32_t t = record.timestamp;
    if (ctx_.follow.segments.began()) {
      // The rows of the segment before end with it (after a gap, up to a period beyond its last
      // record); the new segment's grid is laid once its clock is set, at its next record.
      if (started_ && t > last_) take_rows_before(t);
      started_ = true;
      grid_laid_ = false;
      previous_row_ = false;
      clock_changes_ = clock_stale;
      sent_from_ = sent_counts();
      last_ = t;
      return;
    }
    if (clock_changes_ != ctx_.follow.clock.changes()) follow_clock();
    if (t >= due_ms_ && t > last_) {
      take_rows_before(t);
      set_due();
    }
    last_ = t;
  }

 private:
  // What each source has sent so far: the records each cache slot took, the sentences each GPS
  // port accepted. A source sent in the segment when its count moved since the segment began.
  struct sent_counts_type {
    std::uint64_t eis, ahrs, ahrs_lr, analog, gps_1, gps_2;
  };
  sent_counts_type sent_counts() const {
    const summary_record& s = ctx_.summary;
    return {s.eis.stores(),    s.ahrs_hr.stores(),           s.ahrs_lr.stores(),
            s.analog.stores(), s.gps_1.sentences_accepted, s.gps_2.sentences_accepted};
  }

  // The clock may have changed (a fix came, a segment began): the grid is laid anew where it
  // turned to or from UTC, and the next instant's LOG time is found again.
  void follow_clock() {
    if (!grid_laid_ || by_utc_ != ctx_.follow.clock.known()) lay_grid(last_);
    clock_changes_ = ctx_.follow.clock.changes();
    set_due();
  }

  // The first LOG time past the grid's next instant: a record at or after it takes rows. Holds
  // while the clock's mapping and the grid's next instant stand.
  void set_due() {
    due_ms_ = by_utc_ ? ctx_.follow.clock.mapping().first_log_ms_past(next_utc_) : std::uint64_t{next_} + 1;
  }

  // The grid from t on: the first instant at or after t.
  void lay_grid(std::uint32_t t) {
    const utc_clock& clock = ctx_.follow.clock;
    by_utc_ = clock.known();
    if (by_utc_) {
      next_utc_ = first_multiple(clock.utc_ms_at(t));
    } else {
      const std::uint32_t from = options_.window.from_ms;
      origin_ = !grid_laid_ && from > t ? from : t;
      next_ = first_grid_point(t);
    }
    grid_laid_ = true;
    previous_row_ = false;
  }

  std::int64_t first_multiple(std::int64_t utc_ms) const {
    const std::int64_t every = options_.every_ms;
    const std::int64_t down = utc_ms / every * every - (utc_ms % every < 0 ? every : 0);
    return down == utc_ms ? down : down + every;
  }

  // The first grid instant at or after t (LOG time grid).
  std::uint32_t first_grid_point(std::uint32_t t) const {
    if (t <= origin_) return origin_;
    const std::uint64_t steps = (std::uint64_t{t} - origin_ + options_.every_ms - 1) / options_.every_ms;
    const std::uint64_t at = origin_ + steps * options_.every_ms;
    return at > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(at);
  }

  // Rows for the instants in [last_, t): after a stretch without records, from the first
  // instant at or after the last record; none past one period beyond it.
  void take_rows_before(std::uint32_t t) {
    if (!grid_laid_) lay_grid(last_);
    if (by_utc_) {
      take_utc_rows_before(t);
      return;
    }
    if (next_ < last_) next_ = first_grid_point(last_);
    while (next_ < t) {
      if (std::uint64_t{last_} + options_.every_ms <= next_) {
        next_ = first_grid_point(t);  // a gap: no rows until the records come back
        previous_row_ = false;
        return;
      }
      emit_row(next_, false, 0);
      if (std::uint64_t{next_} + options_.every_ms > UINT32_MAX) {
        next_ = UINT32_MAX;
        return;
      }
      next_ += options_.every_ms;
    }
  }

  void take_utc_rows_before(std::uint32_t t) {
    const utc_clock& clock = ctx_.follow.clock;
    const std::int64_t last_utc = clock.utc_ms_at(last_);
    const std::int64_t until = clock.utc_ms_at(t);
    if (next_utc_ < last_utc) next_utc_ = first_multiple(last_utc);
    while (next_utc_ < until) {
      if (last_utc + options_.every_ms <= next_utc_) {
        next_utc_ = first_multiple(until);
        previous_row_ = false;
        return;
      }
      // The instant's LOG time, within [last, t) whatever the rounding.
      const std::uint32_t at = std::min(std::max(clock.log_ms_at(next_utc_), last_), t - 1);
      emit_row(at, true, next_utc_);
      next_utc_ += options_.every_ms;
    }
  }

  void emit_row(std::uint32_t t, bool has_utc, std::int64_t utc_ms) {
    const std::uint32_t segment = ctx_.follow.segments.index();
    if (!options_.window.holds(segment, t, has_utc, utc_ms)) {
      previous_row_ = false;
      return;
    }
    summary_record& s = ctx_.summary;
    sampled_row row{};
    row.log_ms = t;
    row.segment = segment;
    row.has_utc = has_utc;
    row.utc_ms = utc_ms;
    row.continues = previous_row_;
    const sent_counts_type& from = sent_from_;
    if (s.eis.stores() != from.eis && s.eis.received()) row.eis = &s.eis.values();
    if (s.ahrs_hr.stores() != from.ahrs && s.ahrs_hr.received()) row.ahrs = &s.ahrs_hr.values().high_rate;
    if (s.ahrs_lr.stores() != from.ahrs_lr && s.ahrs_lr.received()) row.ahrs_lr = &s.ahrs_lr.values().low_rate;
    if (s.analog.stores() != from.analog && s.analog.received()) row.analog = &s.analog.values();
    if (s.gps_1.sentences_accepted != from.gps_1 && s.gps_1.sentences_accepted != 0) row.gps_1 = &s.gps_1.fix;
    if (s.gps_2.sentences_accepted != from.gps_2 && s.gps_2.sentences_accepted != 0) row.gps_2 = &s.gps_2.fix;
    row.units = &ctx_.follow.units;
    previous_row_ = true;
    emit_(row);
  }

  decode_context& ctx_;
  sampling_options options_;
  Emit emit_;
  bool started_ = false;
  bool grid_laid_ = false;
  bool by_utc_ = false;        // the grid is in UTC
  bool previous_row_ = false;  // the last grid instant gave a row
  // The clock's changes() when due_ms_ was found; clock_stale (a count the clock never reaches)
  // while the grid and due_ms_ wait for the clock (a segment began).
  static constexpr std::uint64_t clock_stale = UINT64_MAX;
  std::uint64_t clock_changes_ = clock_stale;
  std::uint64_t due_ms_ = 0;         // the first LOG time past the grid's next instant
  sent_counts_type sent_from_{};     // what the sources had sent when the segment began
  std::uint32_t last_ = 0;     // the latest record's timestamp
  std::uint32_t origin_ = 0;   // the LOG time grid's first instant
  std::uint32_t next_ = 0;     // its next instant
  std::int64_t next_utc_ = 0;  // the UTC grid's next instant
};
