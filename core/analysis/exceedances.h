// Exceedances of the aircraft limits: each stretch of samples beyond a limit (for each cylinder
// where the limit is per cylinder) while the limit's condition holds, with its peak. A stretch
// ends at the first sample back within the limit (or with the condition no longer holding) once
// it has stayed so for the release time, so a value or a condition wavering at its limit makes
// one exceedance, not dozens.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/flight_figures.h"
#include "analysis/limits.h"

struct exceedance {
  std::uint32_t limit_index;  // into the limits checked
  std::uint8_t cylinder;      // 1-6; 0 when the limit is not per cylinder
  log_instant start;
  log_instant end;
  double peak;  // in the limit's unit
  log_instant peak_at;
};

// What the conditions read: the latest values of the other sources.
struct condition_values {
  bool has_rpm = false;
  double rpm = 0.0;
  bool has_ias = false;
  double ias_kt = 0.0;
  bool airborne = false;
};

class exceedance_tracker {
 public:
  // At most max_listed exceedances are kept; later ones are only counted.
  exceedance_tracker(const std::vector<aircraft_limit>& limits, std::uint32_t release_ms, std::size_t max_listed);

  // An EIS snapshot in the reporting units; cylinders is the number fitted (-1 when the LOG does
  // not say: the cylinders whose EGT reads above 0 count for the span).
  void take_engine(const engine_sample& s, const engine_units& units, int cylinders, const condition_values& now,
                   const log_instant& at);
  // Whether a limit is on the airspeed: take_airspeed has nothing to do without one.
  bool checks_airspeed() const { return checks_airspeed_; }
  void take_airspeed(double ias_kt, const condition_values& now, const log_instant& at);
  // At the end of a segment of the LOG (a break the flight does not go on across) and at the end
  // of the LOG: exceedances still going on end at their last sample.
  void end_segment();
  void finish();

  const std::vector<exceedance>& listed() const { return listed_; }
  std::uint64_t not_listed() const { return not_listed_; }

 private:
  struct slot {
    bool active = false;
    bool releasing = false;
    log_instant release_start;
    log_instant last_beyond;
    exceedance current{};
  };

  void take(std::size_t limit_index, std::size_t cylinder, double value, const condition_values& now,
            const log_instant& at);
  void close(slot& s, const log_instant& end);
  slot& slot_of(std::size_t limit_index, std::size_t cylinder) {
    return slots_[limit_index * cylinder_count + cylinder];
  }

  std::vector<aircraft_limit> limits_;
  bool checks_airspeed_ = false;  // a limit is on the airspeed
  std::uint32_t release_ms_;
  std::size_t max_listed_;
  std::vector<slot> slots_;
  std::vector<exceedance> listed_;
  std::uint64_t not_listed_ = 0;
};
