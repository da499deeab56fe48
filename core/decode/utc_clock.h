// The LOG's clock: maps LOG time (the records' 1 ms timestamps) to UTC, one segment of the LOG
// (log_segments.h) at a time.
//
// A GPS fix carries the UTC of the moment the receiver fixed (NMEA RMC: the date and the time,
// with the fraction of the second where the sentence has one). Its sentence reaches the EFIS
// some time after that, up to a second or so, and the delay varies from fix to fix. So a fix
// gives only a bound: the offset of UTC from LOG time is at least the fix's UTC minus the LOG
// time of the record that completed its sentence. The clock's estimate of the offset is the
// largest of these bounds over the fixes of the last minute (the last 32 at most): the
// sentence that came soonest after its fix.
//
// The offset the clock applies follows the estimate by steady corrections, never by a step: it
// moves toward it by at most a tenth of the LOG time that passes when it goes up, a hundredth
// when it goes down. So UTC always runs forward, and the EFIS clock's drift is followed.
//
// A segment's clock settles on its first 16 fixes, or on those of its first 20 s, or on those
// it has when the segment ends; the offset it settles on is the segment's first anchor. Until
// then a pass does not know it: a pass that reads the LOG once maps those LOG times (those before
// the first fix too) through the first anchor afterwards, and a pass that writes them as it goes
// starts from the first anchor an earlier pass found (start_from), so both give them one UTC.
//
// A segment that follows a gap (the LOG timer ran on) keeps the clock of the segment before
// until its own settles; after a restart (LOG time went back) it has none until then.
//
// A fix more than 2 s off the segment's clock is set aside; when the next one agrees with it,
// the receiver's time changed and the clock starts again from those two (a new anchor, counted).
// Around midnight some receivers move the time to the new day a few fixes before or after the
// date: a fix that disagrees with the clock by a whole day (within ten minutes) is taken as that
// lag and corrected by the day.
//
// A LOG without NMEA time can be anchored by the user: the UTC of its first record.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "decoders/gps/gps_state.h"

enum class utc_source { none, gps, user };

// A LOG time and the UTC it maps to.
struct utc_anchor {
  std::int64_t utc_ms;
  std::uint32_t log_ms;
};

// How the clock maps LOG time to UTC from a moment on: the offset (UTC minus LOG time) is
// from_offset_ms up to from_ms, then moves toward target_offset_ms at the clock's rate.
struct clock_mapping {
  utc_source source = utc_source::none;  // none: no mapping
  std::uint32_t from_ms = 0;
  std::int64_t from_offset_ms = 0;
  std::int64_t target_offset_ms = 0;

  bool known() const { return source != utc_source::none; }
  std::int64_t offset_at(std::uint32_t log_ms) const {
    return log_ms <= from_ms || target_offset_ms == from_offset_ms ? from_offset_ms : offset_moving(log_ms);
  }
  std::int64_t utc_ms_at(std::uint32_t log_ms) const { return std::int64_t{log_ms} + offset_at(log_ms); }
  // The LOG time that maps to utc_ms (the inverse of utc_ms_at, kept within the timestamps).
  std::uint32_t log_ms_at(std::int64_t utc_ms) const;
  // The first LOG time that maps past utc_ms (UTC never runs back as LOG time runs on), or
  // 2^32 when none does: a LOG time t maps past utc_ms exactly when t >= this.
  std::uint64_t first_log_ms_past(std::int64_t utc_ms) const;
  // A mapping through one anchor.
  static clock_mapping through(utc_source source, const utc_anchor& a) {
    const std::int64_t offset = a.utc_ms - std::int64_t{a.log_ms};
    return {source, a.log_ms, offset, offset};
  }
  // The offset after from_ms while it moves toward the target.
  std::int64_t offset_moving(std::uint32_t log_ms) const;
};

class utc_clock {
 public:
  static constexpr std::size_t window_fixes = 32;
  static constexpr std::int64_t window_ms = 60'000;
  static constexpr std::uint32_t settle_fixes = 16;
  static constexpr std::int64_t settle_ms = 20'000;
  static constexpr std::int64_t jump_ms = 2'000;
  static constexpr std::int64_t slew_up_divisor = 10;     // LOG ms per ms the offset rises
  static constexpr std::int64_t slew_down_divisor = 100;  // ... falls

  // Follows the fix a record just completed: a valid NMEA fix with its date and time. The
  // followers follow the fixes of both ports through this, for every pass.
  void follow_fix(const gps_fix& fix, std::uint32_t log_ms) {
    if (fix.receiver_valid && fix.has_utc) take_fix(fix.utc_ms, log_ms);
  }
  // A fix of utc_ms completed by the record at log_ms.
  void take_fix(std::int64_t utc_ms, std::uint32_t log_ms);

  // The segment ends: a clock of its own that has not settled settles on the fixes it has.
  void end_segment();
  // A new segment begins: after a gap (timer_ran_on) the clock maps on as it did until the
  // segment's own clock settles, after a restart it maps nothing. Its own fixes start afresh.
  void begin_segment(bool timer_ran_on);
  // The mapping an earlier pass found for the current segment, used until its own clock
  // settles: its first anchor, or the clock it took over from the segment before.
  void start_from(const clock_mapping& m);
  // The user's UTC for a LOG time; used only while the clock maps nothing.
  void set_from_user(std::int64_t utc_ms, std::uint32_t log_ms);

  bool known() const { return mapping_.known(); }
  utc_source source() const { return mapping_.source; }
  // UTC in milliseconds at a LOG time; only when known().
  std::int64_t utc_ms_at(std::uint32_t log_ms) const { return mapping_.utc_ms_at(log_ms); }
  std::uint32_t log_ms_at(std::int64_t utc_ms) const { return mapping_.log_ms_at(utc_ms); }
  const clock_mapping& mapping() const { return mapping_; }
  // Moves on whenever the mapping may have changed: while it stands, the mapping did not (a
  // pass that derives something from the mapping keeps it until this moves).
  std::uint64_t changes() const { return changes_; }

  // The segment's own clock settled, and its first anchor.
  bool settled() const { return settled_; }
  const utc_anchor& first() const { return first_; }
  std::uint32_t fixes() const { return fixes_; }  // of the current segment, taken into the estimate
  // The segment's estimate so far (settled or not), the offset of UTC from LOG time.
  std::optional<std::int64_t> estimate_ms() const;

  std::uint64_t day_corrections() const { return day_corrections_; }
  std::uint64_t new_anchors() const { return new_anchors_; }  // the receiver's time jumped

 private:
  struct bound {
    std::int64_t offset_ms;
    std::uint32_t log_ms;
    std::uint32_t number = 0;  // of the fix in the segment
  };

  void take_fix_into_mapping(std::int64_t utc_ms, std::uint32_t log_ms);
  std::int64_t largest_bound(std::uint32_t t) const;
  void add_bound(const bound& b);
  void settle_at(std::uint32_t t);
  void move_to(std::uint32_t t, std::int64_t target);

  clock_mapping mapping_;
  bool settled_ = false;
  utc_anchor first_{};
  std::array<bound, window_fixes> window_{};
  std::uint32_t window_count_ = 0;
  std::uint32_t window_head_ = 0;
  std::uint32_t fixes_ = 0;
  std::uint32_t first_fix_ms_ = 0;
  std::uint32_t latest_fix_ms_ = 0;
  std::optional<bound> set_aside_;  // a fix far off the clock, until the next says why
  std::uint64_t day_corrections_ = 0;
  std::uint64_t new_anchors_ = 0;
  std::uint64_t changes_ = 0;
};

// Reads "YYYY-MM-DDThh:mm:ss[.fff]Z" (also with a space for the T, "+00:00" for Z, or no zone:
// always UTC) into milliseconds since 1970; nothing when the text is not such a time.
std::optional<std::int64_t> parse_utc_iso8601(std::string_view text);
