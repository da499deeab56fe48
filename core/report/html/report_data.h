// What the HTML report draws, gathered in one pass over the LOG after the flight time line:
// the time axis (report_axis.h), the chart series (every record of its source folded into the
// series' buckets along the axis, so the extremes on the charts are those of the records) and
// the track of the aircraft for the map (sampled rows: the position as it stands at each
// instant, with the altitude as it stands).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "analysis/log_summary.h"
#include "decode/decode_context.h"
#include "report/html/report_axis.h"
#include "sampling/chart_series.h"

// The quantities the charts show, each in the report's units.
enum class series_id : std::uint8_t {
  pressure_altitude,  // AHRS, ft
  gps_altitude,       // GPS aviation altitude item, ft
  ias,                // AHRS, kt
  ground_speed,       // GPS, kt
  rpm,
  fuel_flow,  // per hour, in the fuel unit
  cht_1,      // CHT 1-6 follow one another
  egt_1 = cht_1 + 6,
  oil_temperature = egt_1 + 6,
  oil_pressure,  // psi
  bus_voltage,   // the EIS primary bus, V
  pitch,         // AHRS, degrees nose up
  roll,          // AHRS, degrees right wing down
  localiser,     // analog input deviation, while its flag says valid
  glideslope,
  manifold_pressure,  // inHg, from the aux input the aircraft profile maps (none without one)
  count
};
constexpr std::size_t series_count = static_cast<std::size_t>(series_id::count);

constexpr series_id cht_series(std::size_t cylinder) {  // 0-5
  return static_cast<series_id>(static_cast<std::size_t>(series_id::cht_1) + cylinder);
}
constexpr series_id egt_series(std::size_t cylinder) {
  return static_cast<series_id>(static_cast<std::size_t>(series_id::egt_1) + cylinder);
}

// One position of the track.
struct track_point {
  std::uint32_t log_ms;  // of the record that completed the fix
  std::uint32_t segment;
  std::uint32_t axis_ms;  // where it lies on the time axis
  double latitude_deg;
  double longitude_deg;
  bool has_altitude;  // pressure altitude, else the GPS altitude
  double altitude_ft;
  bool starts_run;  // the first point after a gap in the positions, or of a segment
};

struct report_gathering {
  row_window bounds;                  // the stretch of the LOG drawn
  std::size_t buckets = 1500;         // chart buckets over the stretch, about
  std::uint32_t min_bucket_ms = 200;  // and none narrower
  std::uint32_t track_every_ms = 0;   // 0: about 6000 track instants over the stretch, at least 200 ms apart
  std::uint32_t gap_ms = 5000;        // a source silent longer than this leaves a gap
};

// What ends a gathering before the LOG's end (its data is then not whole): a second segment,
// or the caller's flag, looked at after each record.
struct gathering_stop {
  bool at_second_segment = false;
  const std::atomic<bool>* cancelled = nullptr;
};

struct report_data {
  report_axis axis;  // the stretch drawn, within the LOG's records; the buckets lie along it
  time_buckets buckets;
  std::uint32_t track_every_ms = 0;
  std::array<chart_series, series_count> series;
  std::vector<track_point> track;

  const chart_series& operator[](series_id id) const { return series[static_cast<std::size_t>(id)]; }
};

// Reads the LOG from the input's current position on ctx (the decode options and constants
// as the flight time line read it), and gathers the series and the track of the stretch. The
// summary gives the segments and their clocks.
report_data gather_report_data(decode_context& ctx, const library_options& options, const analog_input_const& constants,
                               const log_summary& summary, const report_gathering& request, FILE* input,
                               const gathering_stop& stop = {});
