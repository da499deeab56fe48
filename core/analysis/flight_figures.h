// The figures of a stretch of a LOG (a flight, a ground run, the time airborne, the whole LOG):
// highest and lowest values with the moment each was first reached, and first and last values
// for what is worked out as a difference or told at both ends (fuel on board, the engine timer,
// and the running totals of the fuel burned and the distance flown). Every figure is empty until
// a value arrives, so a source the LOG never holds gives no figure rather than 0. Figures of two
// stretches merge.
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>

#include "analysis/log_instant.h"
#include "decode/samples.h"

// An extreme of the stored numbers of a field (air_data_numbers): it starts beyond every number,
// so the first number is taken by the same one comparison as any later one.
template <bool Highest>
struct number_extreme {
  static constexpr int none = Highest ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
  int value = none;
  log_instant when;

  template <typename InstantAt>
  [[gnu::always_inline]] void take_at(int v, InstantAt&& at) {
    if (Highest ? v > value : v < value) {
      value = v;
      when = at();
    }
  }
  bool has() const { return value != none; }
};

// An extreme of values that are never infinite (the engine's, worked out from 16-bit numbers):
// it starts at the infinity beyond every value, so the first value is taken by the same one
// comparison as any later one (a NaN, a field the record does not hold, never is).
template <bool Highest>
struct finite_extreme {
  static constexpr double none = Highest ? -std::numeric_limits<double>::infinity()
                                         : std::numeric_limits<double>::infinity();
  double value = none;
  log_instant when;

  [[gnu::always_inline]] void take(double v, const log_instant& at) {
    if (Highest ? v > value : v < value) {
      value = v;
      when = at;
    }
  }
  bool has() const { return value != none; }
};

template <bool Highest>
struct extreme {
  bool has = false;
  double value = 0.0;
  log_instant when;

  // A NaN value (a field the record does not hold) is skipped. Taken for every record, so the
  // common case (a value no further out) is one comparison: NaN compares false, and the first
  // value is taken whatever it is.
  void take(double v, const log_instant& at) {
    take_at(v, [&at] { return at; });
  }
  // The same, the moment asked of at() only when the value is taken.
  template <typename InstantAt>
  [[gnu::always_inline]] void take_at(double v, InstantAt&& at) {
    if ((Highest ? v > value : v < value) || (!has && v == v)) {
      has = true;
      value = v;
      when = at();
    }
  }
  // An equal value keeps the earlier moment.
  void merge(const extreme& later) {
    if (later.has) take(later.value, later.when);
  }
  void merge(const finite_extreme<Highest>& later) {
    if (later.has()) take(later.value, later.when);
  }
  // A number extreme, its number turned into a value.
  template <typename Value>
  void merge(const number_extreme<Highest>& later, Value&& value_of) {
    if (later.has()) take(value_of(later.value), later.when);
  }
  std::optional<double> get() const { return has ? std::optional<double>(value) : std::nullopt; }
};

using highest = extreme<true>;
using lowest = extreme<false>;

struct first_last {
  bool has = false;
  double first = 0.0;
  double last = 0.0;

  void take(double v) {
    if (std::isnan(v)) return;
    if (!has) first = v;
    has = true;
    last = v;
  }
  void merge(const first_last& later) {
    if (!later.has) return;
    if (!has) first = later.first;
    has = true;
    last = later.last;
  }
  std::optional<double> first_value() const { return has ? std::optional<double>(first) : std::nullopt; }
  std::optional<double> last_value() const { return has ? std::optional<double>(last) : std::nullopt; }
  // last - first, for running totals; nothing without a value.
  std::optional<double> growth() const { return has ? std::optional<double>(last - first) : std::nullopt; }
};

// The air data's figures alone, for a stretch whose samples all go to the same figures: the
// AHRS high-rate records (most of a LOG's records) are taken once here, and the stretch is
// merged into the LOG's figures and a window's when the window moves, rather than each record
// taken into both. It keeps the stored numbers; the merge turns them into values.
struct air_data_figures {
  number_extreme<true> pressure_altitude;
  number_extreme<true> ias;
  number_extreme<true> vertical_speed;
  number_extreme<false> lowest_vertical_speed;
  number_extreme<true> bank;  // the roll's magnitude: either wing down
  number_extreme<true> pitch;
  number_extreme<false> lowest_pitch;

  // A whole message; at() gives the record's moment, worked out only when a figure moves.
  template <typename InstantAt>
  [[gnu::always_inline]] void take_air_data(const air_data_numbers& n, InstantAt&& at) {
    pressure_altitude.take_at(n.pressure_altitude, at);
    ias.take_at(n.ias, at);
    vertical_speed.take_at(n.vertical_speed, at);
    lowest_vertical_speed.take_at(n.vertical_speed, at);
    bank.take_at(n.roll < 0 ? -n.roll : n.roll, at);
    pitch.take_at(n.pitch, at);
    lowest_pitch.take_at(n.pitch, at);
  }
  // A short message: the fields it holds.
  template <typename InstantAt>
  void take_held(const air_data_numbers& n, const ahrs_hr_slot& ahrs, InstantAt&& at) {
    namespace f = ahrs_hr_layout;
    if (ahrs.holds(f::pressure_alt)) pressure_altitude.take_at(n.pressure_altitude, at);
    if (ahrs.holds(f::asi)) ias.take_at(n.ias, at);
    if (ahrs.holds(f::vsi)) {
      vertical_speed.take_at(n.vertical_speed, at);
      lowest_vertical_speed.take_at(n.vertical_speed, at);
    }
    if (ahrs.holds(f::roll_angle)) bank.take_at(n.roll < 0 ? -n.roll : n.roll, at);
    if (ahrs.holds(f::pitch_angle)) {
      pitch.take_at(n.pitch, at);
      lowest_pitch.take_at(n.pitch, at);
    }
  }
};

// The engine's figures alone, for a stretch whose samples all go to the same figures (as the
// air data's): each EIS record is taken once here, and the stretch is merged into the LOG's
// figures and a window's when the window moves.
struct engine_figures {
  finite_extreme<true> cht[cylinder_count];
  finite_extreme<true> egt[cylinder_count];
  finite_extreme<true> oil_temperature;
  finite_extreme<false> bus_voltage_low;
  finite_extreme<true> bus_voltage_high;
  first_last fuel_quantity;
  first_last fuel_burned;
  first_last engine_hours;

  void take_engine(const engine_sample& s, const log_instant& at, double fuel_burned_total) {
    for (std::size_t i = 0; i < cylinder_count; ++i) {
      cht[i].take(s.cht[i], at);
      egt[i].take(s.egt[i], at);
    }
    oil_temperature.take(s.oil_temperature, at);
    bus_voltage_low.take(s.bus_voltage, at);
    bus_voltage_high.take(s.bus_voltage, at);
    fuel_quantity.take(s.fuel_quantity);
    fuel_burned.take(fuel_burned_total);
    engine_hours.take(s.engine_hours);
  }
};

struct flight_figures {
  highest pressure_altitude_ft;
  highest ias_kt;
  highest ground_speed_kt;
  highest vertical_speed_fpm;
  lowest lowest_vertical_speed_fpm;
  highest bank_deg;  // either wing down
  highest pitch_deg;
  lowest lowest_pitch_deg;
  highest cht[cylinder_count];
  highest egt[cylinder_count];
  highest oil_temperature;
  lowest bus_voltage_low;
  highest bus_voltage_high;
  first_last fuel_quantity;  // fuel on board: at the start and the end of the stretch
  first_last fuel_burned;    // the running total of the integrated fuel flow
  first_last engine_hours;   // the engine timer (Hobbs): at the start and the end of the stretch

  void take_ground_speed(double kt, const log_instant& at) { ground_speed_kt.take(kt, at); }
  void merge(const flight_figures& later);
  // The air data of a later stretch (merging stretch by stretch in their order gives what
  // taking their samples one by one gives).
  void merge(const air_data_figures& later);
  void merge(const engine_figures& later);

  // Fuel used over the stretch: from the quantity on board, and from the fuel flow.
  std::optional<double> fuel_used_from_quantity() const {
    return fuel_quantity.has ? std::optional<double>(fuel_quantity.first - fuel_quantity.last) : std::nullopt;
  }
  std::optional<double> fuel_used_from_flow() const { return fuel_burned.growth(); }
};

// Figures taken only while airborne.
struct airborne_figures {
  lowest oil_pressure_psi;
  first_last distance_nm;  // the running total of the GPS 1 distance

  void take_engine(const engine_sample& s, const log_instant& at) { oil_pressure_psi.take(s.oil_pressure_psi, at); }
  void take_distance(double distance_total_nm) { distance_nm.take(distance_total_nm); }
  void merge(const airborne_figures& later) {
    oil_pressure_psi.merge(later.oil_pressure_psi);
    distance_nm.merge(later.distance_nm);
  }
};
