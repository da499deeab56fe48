// What every pass follows through the LOG: the segment a record lies in (log_segments.h), the
// LOG's clock (LOG time to UTC, from the NMEA fixes of either port), the units the engine values
// arrive in (from the set-menu settings) and where the aircraft is (the position source). The
// read loop moves the segments as a record arrives, before any step sees it, and the rest once
// per record right after its dispatch, before any pass step sees that; so every document
// follows them alike and no pass keeps a copy of its own.
#pragma once

#include <cstdint>

#include "decode/engine_units.h"
#include "decode/log_segments.h"
#include "decode/record_effect.h"
#include "decode/summary_record.h"
#include "decode/utc_clock.h"
#include "records/efis_record.h"

// A source is fresh at LOG time t while its latest sample is at most this old (and not later
// than t): GPS 1 gives way to GPS 2 after this long without a position, the AHRS airspeed to
// the GPS ground speed.
constexpr std::uint32_t fresh_for_ms = 5000;

// When a source was last heard from.
struct last_heard {
  bool has = false;
  std::uint32_t log_ms = 0;

  void note(std::uint32_t t) {
    has = true;
    log_ms = t;
  }
  bool fresh_at(std::uint32_t t) const { return has && t >= log_ms && t - log_ms <= fresh_for_ms; }
};

// A position with the LOG time of the record that completed its fix.
struct timed_position {
  bool has = false;
  double latitude_deg = 0.0;   // south negative
  double longitude_deg = 0.0;  // west negative
  std::uint32_t log_ms = 0;
};

// Where the aircraft is: each port's latest fix that has a position (has_position), and the
// position source, GPS 1 while its position is fresh and else GPS 2.
class position_source {
 public:
  // A fix the port (0 GPS 1, 1 GPS 2) accepted, completed by the record at t.
  void take_fix(int port, const gps_fix& fix, std::uint32_t t);

  const timed_position& latest(int port) const { return latest_[port]; }
  bool fresh_at(int port, std::uint32_t t) const {
    return last_heard{latest_[port].has, latest_[port].log_ms}.fresh_at(t);
  }
  // The port the position comes from at t: 0 while GPS 1's position is fresh, else 1 while
  // GPS 2's is, else -1.
  int port_at(std::uint32_t t) const { return fresh_at(0, t) ? 0 : fresh_at(1, t) ? 1 : -1; }
  // The source's latest position: each fix with a position from the port in charge at its time.
  const timed_position& current() const { return current_; }

  // For a record whose effect has a new fix: the fix had a position; it moved the source (its
  // port was in charge).
  bool gave_position() const { return gave_; }
  bool moved() const { return moved_; }

 private:
  timed_position latest_[2];
  timed_position current_;
  bool gave_ = false;
  bool moved_ = false;
};

// Where a pass gets the clock a segment starts from when it has none of its own yet (the
// LOG's first segment, one after a restart): what an earlier pass found. Asked once per
// segment, as its first record arrives; may read ahead in the LOG (and put the pass's reader
// back where it was).
class clock_hints {
 public:
  virtual clock_mapping clock_at(const log_segments& segments, const efis_record& first_record) = 0;

 protected:
  ~clock_hints() = default;
};

struct followers {
  log_segments segments;
  utc_clock clock;
  unit_tracker units;
  position_source position;
  clock_hints* hints = nullptr;  // set by a pass after begin_pass, or none

  // Every record read whole, as it arrives (before the steps see it): the segment it lies in.
  // A new segment ends the clock of the one before here; the record begins the new one's.
  void arrive(const efis_record& record) {
    segments.note(record.timestamp, record.offset);
    if (!segments.began()) return;
    clock.end_segment();
    hint_ = hints != nullptr ? hints->clock_at(segments, record) : clock_mapping{};
  }

  // Every record read whole, after its dispatch (an unknown type with an empty effect).
  void take(const efis_record& record, const record_effect& effect, const summary_record& cache) {
    if (segments.began()) begin_segment();
    if (effect.slot == cache_slot::set_menu) units.note_settings(cache.settings);
    if (effect.new_fix_port >= 0) take_fix(effect.new_fix_port, cache, record.timestamp);
  }

 private:
  void begin_segment();
  void take_fix(int port, const summary_record& cache, std::uint32_t t);

  clock_mapping hint_;
};
