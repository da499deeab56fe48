// The engine warnings of a flight (warning_rules.h), found one EIS sample at a time as the
// samples' flight phases are settled, in flat memory: a slot per rule and probe, and for the
// cooling a ring of the last minute of CHT samples (at most one a second).
//
// A warning opens at the first sample beyond its threshold (with its condition holding) and
// ends at the first sample back within it that stays so for the release time (5 s; 10 s for a
// probe fault, so that a probe jumping every few seconds makes one fault); it is told when it
// lasted its rule's time. The cooling of a head is the slope of the least-squares line through
// its CHT over the rule's time (a window that spans at least 95 % of it), told at the window's
// middle sample; its warning runs from the middle of the first window beyond the threshold to
// that of the last.
// A probe is at fault when it reads the probe_low threshold or less with the engine running
// (500 rpm or more) after it read above it in the flight (one that never did is not fitted),
// beyond its high threshold, or when it jumps by more than probe_jump within
// its time while no other probe of its kind moves by half as much. While a probe is at fault and
// for 10 s after, its cylinder's value leaves the engine warnings (the CHT rules take the CHT
// probes, the EGT spread the EGT probes), so that a failing probe is not told as a hot, cold or
// fast-cooling cylinder.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/log_instant.h"
#include "analysis/phase_figures.h"
#include "analysis/warning_rules.h"
#include "decode/engine_units.h"

enum class probe_kind : std::uint8_t { none, cht, egt };

constexpr std::uint8_t no_phase_label = 0xFF;

struct engine_warning {
  limit_parameter parameter = limit_parameter::cht_high;
  std::uint8_t cylinder = 0;            // 1-6 (the hottest at the peak for the EGT spread); 0: the oil
  probe_kind probe = probe_kind::none;  // the probe at fault, for a probe fault
  std::uint8_t phase = no_phase_label;  // the flight phase (flight_phase_kind) of its first sample
  log_instant start;
  log_instant end;
  log_instant peak_at;
  double peak = 0.0;  // in the rule's unit: the greatest value (least for a minimum)
  double threshold = 0.0;  // the rule's value, in its unit
};

constexpr std::size_t max_listed_warnings = 1000;  // in a LOG; those past it are counted

class warning_detector {
 public:
  warning_detector(const warning_rules& rules, std::size_t max_listed);

  // A sample with its phase settled, in LOG order, its values in the units given.
  void take(const phase_sample& s, const engine_units& units);
  // The flight or ground run ends: what goes on ends at its last sample.
  void end_window();
  // The warnings ended since the last call, in the order they began (LOG times only: UTC is the
  // caller's).
  std::vector<engine_warning> take_listed();
  std::uint64_t not_listed() const { return not_listed_; }

 private:
  static constexpr std::size_t probe_count = 2 * cylinder_count;  // CHT 1-6, then EGT 1-6
  static constexpr std::size_t ring_size = 256;

  struct stamp {
    std::uint32_t ms = 0;
    std::uint32_t segment = 0;
    std::uint8_t label = no_phase_label;
  };
  struct slot {
    bool active = false;
    bool releasing = false;
    stamp start, last_beyond, release_start, peak_at;
    double peak = 0.0;
    std::uint8_t peak_cylinder = 0;
  };
  struct cooling_entry {
    std::uint32_t ms;
    std::uint8_t label;
    std::uint8_t held;  // a bit per cylinder whose CHT counts
    float cht_f[cylinder_count];
  };
  struct line_sums {
    double n = 0.0, st = 0.0, stt = 0.0, sy = 0.0, sty = 0.0;
  };

  // A value of a slot; nothing to do in the common case, neither beyond nor going on.
  void feed(std::size_t rule, std::size_t index, bool beyond, double value, const stamp& now, const stamp& start,
            std::uint8_t cylinder) {
    if (beyond || slots_[rule * probe_count + index].active) feed_slow(rule, index, beyond, value, now, start, cylinder);
  }
  void feed_slow(std::size_t rule, std::size_t index, bool beyond, double value, const stamp& now, const stamp& start,
                 std::uint8_t cylinder);
  void close(std::size_t rule, slot& s);
  void close_all();
  void break_run();
  void convert_probes(const phase_sample& s, double (&f)[probe_count]) const;
  bool probes_quiet(const phase_sample& s, const stamp& now, const double (&f)[probe_count]);
  void check_probes(const phase_sample& s, const stamp& now, double (&f)[probe_count]);
  bool engine_quiet(const phase_sample& s, const double (&f)[probe_count]) const;
  bool all_quiet(const phase_sample& s, const stamp& now);
  bool cooling_due(const stamp& now) const;
  void check_engine(const phase_sample& s, const stamp& now, const double (&f)[probe_count]);
  void check_cooling(const stamp& now, const double (&f)[probe_count]);
  void move_cooling(const cooling_entry& e, double sign);
  void rebase_cooling();
  bool holds(const limit_condition& c, const phase_sample& s) const;
  slot& slot_of(std::size_t rule, std::size_t index) { return slots_[rule * probe_count + index]; }

  warning_rules rules_;
  engine_units units_{};
  double threshold_f_[warning_rule_count][2] = {};  // per rule, for CHT and EGT probes, in F
  bool maximum_[warning_rule_count] = {};
  std::uint32_t release_ms_[warning_rule_count] = {};
  std::uint32_t jump_within_ms_ = 0;
  std::uint32_t cooling_window_ms_ = 0;  // the cooling rule's time
  std::size_t max_listed_;
  std::vector<slot> slots_;
  std::uint32_t active_in_rule_[warning_rule_count] = {};  // the slots of each rule in a warning
  std::uint32_t active_any_ = 0;  // of every rule
  std::vector<engine_warning> listed_;
  std::size_t total_listed_ = 0;
  std::uint64_t not_listed_ = 0;
  bool has_last_ = false;
  stamp last_;
  // The probes: the last reading, whether it was beyond the range, and the end of suspicion.
  double previous_f_[probe_count] = {};  // NaN: the probe read nothing then
  bool held_before(std::size_t p) const { return previous_f_[p] == previous_f_[p]; }
  bool previous_faulty_[probe_count] = {};
  std::uint32_t previous_ms_ = 0;
  bool suspect_[probe_count] = {};
  bool any_suspect_ = false;
  bool has_read_[probe_count] = {};  // it read above the low threshold in this flight
  std::uint32_t suspect_until_ms_[probe_count] = {};
  // The cooling window.
  cooling_entry ring_[ring_size] = {};
  std::size_t ring_first_ = 0, ring_count_ = 0;
  std::size_t middle_ = 0;  // the window's middle sample, from ring_first_
  std::uint32_t base_ms_ = 0;
  std::uint32_t moves_since_rebase_ = 0;
  std::uint8_t dropped_ = 0;  // a bit per cylinder taken out of the window while its probe is suspect
  line_sums sums_[cylinder_count];
};
