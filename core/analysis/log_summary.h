// What the flight time line finds in a LOG, as plain data: its flights and ground runs (LOG-time
// windows with their events and figures), the figures of the whole LOG, its time span and
// clock, the units of its values, its health and the exceedances of the aircraft limits.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/exceedances.h"
#include "analysis/flight_figures.h"
#include "analysis/limits.h"
#include "analysis/log_health.h"
#include "analysis/log_instant.h"
#include "analysis/logbook_row.h"
#include "decode/engine_units.h"
#include "decode/utc_clock.h"

// A flight (one or more takeoffs between an engine start and the engine stop), a ground run (an
// engine run without a takeoff), or the whole LOG. The window runs from the first of engine start
// and takeoff to the last of engine stop and landing.
struct flight_record {
  std::optional<log_event> engine_start;  // the first, for a window with several engine runs
  std::optional<log_event> engine_stop;   // the last; none when the LOG ends with the engine running
  std::optional<log_event> takeoff;       // the first
  std::optional<log_event> landing;       // the last; none when the LOG ends airborne
  std::uint32_t start_ms = 0;
  std::uint32_t end_ms = 0;
  std::uint32_t engine_runs = 0;
  std::uint32_t airborne_periods = 0;
  bool engine_running_at_end = false;  // the LOG ends before the engine stopped
  bool airborne_at_end = false;        // the LOG ends before the landing
  double engine_time_s = 0.0;          // the engine runs, added up
  double flight_time_s = 0.0;          // the airborne periods, added up
  std::optional<double> block_time_s;  // engine start to engine stop
  std::optional<double> distance_nm;   // GPS 1 great-circle distance while airborne
  std::optional<double> fuel_used_from_quantity;
  std::optional<double> fuel_used_from_flow;
  flight_figures figures;
  airborne_figures airborne;
  std::vector<exceedance> exceedances;  // those that overlap the window
  logbook_row logbook;                  // a flight's logbook times, night and landings

  bool is_flight() const { return airborne_periods > 0; }
};

struct log_time_span {
  bool has_records = false;
  log_instant first;  // the first and last records read whole
  log_instant last;
  std::uint32_t earliest_ms = 0;  // the lowest and highest timestamps of those records (they differ
  std::uint32_t latest_ms = 0;    // from the first and last where the LOG's time went back)
  utc_source source = utc_source::none;
  utc_anchor first_anchor{};  // the clock's first anchor, for later passes
  std::uint64_t day_corrections = 0;
};

struct log_summary {
  log_health health;
  log_time_span time;
  engine_units units;  // the reporting units
  bool units_changed = false;
  std::int32_t cylinders = -1;  // the set-menu setting 58; -1 when not said
  flight_record log;            // the whole LOG: every sample, and the windows' times and totals added up
  std::vector<flight_record> flights;
  std::vector<flight_record> ground_runs;
  std::uint64_t windows_not_listed = 0;  // flights and ground runs past the listed ones
  std::vector<aircraft_limit> limits;    // the limits checked (none without a limits file)
  std::vector<exceedance> exceedances;   // all of them, in the order they began
  std::uint64_t exceedances_not_listed = 0;
};
