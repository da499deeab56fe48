// What the flight time line finds in a LOG, as plain data: its flights and ground runs (LOG-time
// windows with their events and figures), the figures of the whole LOG, its time span and
// clock, the units of its values, its health and the exceedances of the aircraft limits.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "analysis/aircraft_profile.h"
#include "analysis/engine_warnings.h"
#include "analysis/exceedances.h"
#include "analysis/flight_figures.h"
#include "analysis/flight_phases.h"
#include "analysis/limits.h"
#include "analysis/log_health.h"
#include "analysis/log_instant.h"
#include "analysis/runway_contacts.h"
#include "analysis/logbook_row.h"
#include "decode/engine_units.h"
#include "decode/log_segments.h"
#include "decode/utc_clock.h"

// A flight (one or more takeoffs between an engine start and the engine stop), a ground run (an
// engine run without a takeoff), or the whole LOG. The window runs from the first of engine start
// and takeoff to the last of engine stop and landing. It ends where its segment of the LOG ends,
// unless the EFIS restarted in flight: airborne on both sides of the break and less than five
// minutes between them, the flight goes on across it.
struct flight_record {
  std::optional<log_event> engine_start;  // the first, for a window with several engine runs
  std::optional<log_event> engine_stop;   // the last; none when the LOG ends with the engine running
  std::optional<log_event> takeoff;       // the first
  std::optional<log_event> landing;       // the last; none when the LOG ends airborne
  std::uint32_t start_ms = 0;             // LOG time in start_segment
  std::uint32_t end_ms = 0;               // LOG time in end_segment
  std::uint32_t start_segment = 0;
  std::uint32_t end_segment = 0;
  std::uint32_t engine_runs = 0;
  std::uint32_t airborne_periods = 0;
  bool engine_running_at_end = false;  // the LOG ends before the engine stopped
  bool airborne_at_end = false;        // the LOG ends before the landing
  double engine_time_s = 0.0;          // the engine runs, added up
  double flight_time_s = 0.0;          // the airborne periods, added up
  std::uint32_t restarts_in_flight = 0;  // EFIS restarts the flight went on across
  double restart_gap_s = 0.0;            // the time without records they left, added up
  std::optional<double> block_time_s;  // engine start to engine stop
  std::optional<double> distance_nm;   // GPS 1 great-circle distance while airborne
  std::optional<double> fuel_used_from_quantity;
  std::optional<double> fuel_used_from_flow;
  flight_figures figures;
  airborne_figures airborne;
  std::vector<exceedance> exceedances;  // those that overlap the window
  std::vector<engine_warning> warnings;  // of a flight or ground run, in the order they began
  logbook_row logbook;                  // a flight's logbook times, night and landings
  std::vector<phase_record> phases;     // in order (none for the whole LOG)
  // Each takeoff, touch-and-go and full-stop landing in order (the first max_listed_contacts),
  // and their airports once located (flight_places.h).
  std::vector<runway_contact> contacts;
  std::uint32_t contacts_not_listed = 0;

  bool is_flight() const { return airborne_periods > 0; }
  std::uint64_t start_order() const { return log_order(start_segment, start_ms); }
  std::uint64_t end_order() const { return log_order(end_segment, end_ms); }
};

// How a segment of the LOG gets its UTC.
enum class segment_clock : std::uint8_t {
  own,        // from its own GPS fixes
  previous,   // it has none: the clock of the segment before, the LOG timer having run on
  following,  // it has none, nor has any before it since the LOG timer last started: the first
              // clock that follows, the timer running on to it
  user,       // the UTC the user gave for the LOG's first record (a LOG without GPS time)
  none        // no UTC (LOG time went back into it, and it has no fixes)
};

// A stretch of the LOG written without a break (log_segments.h).
struct log_segment {
  segment_cause cause = segment_cause::first;
  std::uint64_t first_offset = 0;  // of its first record, in bytes from where the LOG was read
  std::uint64_t records = 0;       // read whole
  std::uint32_t fixes = 0;         // GPS fixes with date and time its clock took
  log_instant first;               // its first and last records
  log_instant last;
  std::uint32_t lowest_ms = 0;   // the lowest and highest timestamps of its records (they differ
  std::uint32_t highest_ms = 0;  // from the first and last where its time stepped back)
  segment_clock clock = segment_clock::none;
  clock_mapping start;  // the clock as its first record finds it, the segment before read
  clock_mapping early;  // how its LOG times map before its own clock settles (none: no UTC then)
  // The time without records before it, by UTC where both segments have it, else by LOG time
  // where the timer ran on; none for the first segment, or when neither tells.
  std::optional<double> off_before_s;
};

constexpr std::size_t max_listed_segments = 1000;

struct log_time_span {
  bool has_records = false;
  log_instant first;  // the first and last records read whole
  log_instant last;
  std::uint32_t earliest_ms = 0;  // the lowest and highest timestamps of those records (they differ
  std::uint32_t latest_ms = 0;    // from the first and last where the LOG's time went back)
  utc_source source = utc_source::none;  // of the first segment with a clock
  utc_anchor first_anchor{};  // the clock's first anchor, for later passes
  std::uint64_t day_corrections = 0;
  std::uint64_t new_anchors = 0;  // the receivers' time jumped by more than 2 s
  // From the first record to the last: by UTC where both have it, else the segments' LOG times
  // and the gaps between them that LOG time tells.
  double span_s = 0.0;
};

struct log_summary {
  log_health health;
  log_time_span time;
  std::vector<log_segment> segments;  // in LOG order, the first max_listed_segments
  std::uint64_t segments_not_listed = 0;
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
  warning_rules warnings_checked{};  // the engine warnings checked, each with its threshold and time
  std::uint64_t warnings_not_listed = 0;  // past max_listed_warnings
  aircraft_profile profile;  // as given, or the default
  std::uint64_t phases_not_listed = 0;  // past max_listed_phases
  std::optional<airport_search> airports;  // set when the flights' airports were looked up
};
