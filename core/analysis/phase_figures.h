// The engine figures of a flight phase, gathered one EIS sample at a time in flat memory: for
// each measure its count, least, mean, median and greatest value, the median read from a
// histogram of fixed bins one unit wide (one degree, one psi, one rpm; a tenth of a gallon an
// hour, of an inch of mercury, of a psi of fuel pressure), so that it is exact for the values
// the LOG stores; a value beyond the bins counts in the nearest end bin. For the fitted
// cylinders also the spread between them (hottest minus coolest of one sample: its mean and
// greatest) and the steepest cooling of each head: the steepest fall of a least-squares line
// through the CHT samples of any 60 s of the phase, in degrees a minute.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "analysis/log_instant.h"
#include "decode/samples.h"

// One measure over a phase; empty (count 0) when the LOG gave no value.
struct measure_figures {
  std::uint64_t count = 0;
  double min = 0.0;
  double mean = 0.0;
  double median = 0.0;
  double max = 0.0;
};

// The spread between the fitted cylinders, over the samples holding two or more of them.
struct spread_figures {
  std::uint64_t count = 0;
  double mean = 0.0;
  double max = 0.0;
};

// The steepest cooling of a cylinder head: minus the slope of the least-squares line through the
// samples of a 60 s window, in degrees a minute (positive when it cooled), and the window.
struct cooling_figure {
  bool has = false;  // no window of the phase spanned enough of 60 s
  double per_minute = 0.0;
  log_instant from;  // the window's first and last samples
  log_instant to;
};

struct phase_figures {
  std::uint64_t eis_samples = 0;
  measure_figures cht[cylinder_count];  // the fitted cylinders' (the others stay empty)
  measure_figures egt[cylinder_count];
  spread_figures cht_spread;
  spread_figures egt_spread;
  measure_figures oil_temperature;
  measure_figures oil_pressure_psi;
  measure_figures fuel_flow;  // per hour, in the fuel unit
  measure_figures manifold_pressure_inhg;  // from the aux input the profile maps
  measure_figures fuel_pressure_psi;
  measure_figures rpm;
  cooling_figure cht_cooling[cylinder_count];
};

// The measures of a sample, in the order of phase_sample::value.
enum phase_measure : std::size_t {
  measure_cht_1 = 0,  // CHT 1-6
  measure_egt_1 = measure_cht_1 + cylinder_count,
  measure_oil_temperature = measure_egt_1 + cylinder_count,
  measure_oil_pressure,
  measure_fuel_flow,
  measure_manifold_pressure,
  measure_fuel_pressure,
  measure_rpm,
  phase_measure_count
};

// The values of one EIS sample that the figures and the phases take, in the reporting units.
// Floats: every value a LOG stores fits one exactly or within a millionth.
struct phase_sample {
  std::uint32_t log_ms;
  std::uint32_t segment;  // of the LOG (log_instant.h)
  float value[phase_measure_count];  // NaN: not held, a cylinder not fitted or an input not mapped
  // The aircraft as it stands at the sample (NaN: not known), for the phases.
  float altitude_ft;
  float speed_kt;  // indicated airspeed, else ground speed
  float ground_speed_kt;
  float vertical_speed_fpm;
  std::uint8_t label;  // the phase it belongs to (flight_phases.cpp)
  bool airborne;
  bool every_cht;  // it holds the CHT of every fitted cylinder: it counts for the cooling
  std::uint8_t cylinders;  // fitted (1-6): the values of the others are NaN

  float rpm() const { return value[measure_rpm]; }
};

// Sums for least-squares lines through the CHT of each cylinder against time, over samples
// that come and go in time order; a sample enters only when it holds every fitted CHT, so the
// sums of time are the cylinders' shared ones.
struct cooling_sums {
  double n = 0.0, st = 0.0, stt = 0.0;
  double sy[cylinder_count] = {};
  double sty[cylinder_count] = {};
};

constexpr std::uint32_t cooling_window_ms = 60000;

// Gathers the figures of one phase at a time. The histograms (some 120 KB) are allocated once;
// begin() readies them for the next phase by clearing the bins the last one used.
class phase_accumulator {
 public:
  phase_accumulator();
  ~phase_accumulator();
  phase_accumulator(const phase_accumulator&) = delete;
  phase_accumulator& operator=(const phase_accumulator&) = delete;

  void begin();
  // A sample of the phase, and the samples of the cooling window: oldest is the first sample of
  // the phase no more than 60 s older than it (the caller keeps them).
  void take(const phase_sample& s);
  void leave_window(const phase_sample& s);  // the oldest sample of the window leaves it
  // The steepest cooling so far, through the window now ending at s (from: its first sample).
  void note_cooling(const phase_sample& first, const phase_sample& last);
  // The figures; instants of the cooling windows through at.
  // The figures; instants of the cooling windows through at(log_ms, segment).
  template <typename InstantAt>
  phase_figures figures(InstantAt&& at) const {
    phase_figures f = figures_without_instants();
    for (std::size_t c = 0; c < cylinder_count; ++c) {
      if (!f.cht_cooling[c].has) continue;
      f.cht_cooling[c].from = at(cooling_[c].from_ms, cooling_[c].from_segment);
      f.cht_cooling[c].to = at(cooling_[c].to_ms, cooling_[c].to_segment);
    }
    return f;
  }

 private:
  struct spread_sums {
    std::uint64_t count = 0;
    double sum = 0.0;
    float max = 0.0f;
  };
  struct steepest {
    bool has = false;
    double per_minute = 0.0;
    std::uint32_t from_ms = 0;
    std::uint32_t to_ms = 0;
    std::uint32_t from_segment = 0;
    std::uint32_t to_segment = 0;
  };
  template <bool enters>
  void move_window(const phase_sample& s);
  measure_figures summary(std::size_t measure) const;
  phase_figures figures_without_instants() const;

  std::unique_ptr<std::uint32_t[]> bins_;
  // Per measure: the least and greatest (+inf and -inf before the first), the sum and the count.
  float min_[phase_measure_count] = {};
  float max_[phase_measure_count] = {};
  double sum_[phase_measure_count] = {};
  std::uint64_t count_[phase_measure_count] = {};
  // Per measure: the reading it took last in the phase (NaN before the first) and its bin.
  float last_[phase_measure_count] = {};
  std::uint32_t* last_bin_[phase_measure_count] = {};
  spread_sums cht_spread_, egt_spread_;
  std::uint64_t samples_ = 0;
  std::uint32_t base_ms_ = 0;  // the phase's first sample: the origin of the windows' times
  cooling_sums window_;
  steepest cooling_[cylinder_count];
};
