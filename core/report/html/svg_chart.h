// One chart of the HTML report as inline SVG: up to two value axes (left and right, each with
// its unit), the series of each axis as paths in the axis's own data units, the flight phases
// and exceedances as bands, limit lines, and a UTC time axis shared by every chart.
//
// The data lie in nested <svg> elements whose viewBox is the data range (x: seconds from the
// start of the time axis, y: the value negated, so up is up) stretched over the plot; the
// strokes do not scale. The page's script zooms every chart at once by changing the x range of
// those viewBoxes and reads the values under the cursor back from the paths, which hold them
// exactly (to the series' decimals). Without the script each chart is a complete static image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/html/report_axis.h"
#include "sampling/chart_series.h"
#include "text/output_writer.h"

// The shared time axis (report_axis.h): positions in milliseconds from its start, the LOG's
// segments on it side by side, each labelled in its own clock (UTC, or LOG time without one).
struct time_axis : report_axis {
  int x_decimals = 1;  // of the seconds in the paths

  double x_of(std::uint32_t axis_ms) const { return axis_ms / 1000.0; }
  double span_s() const { return span_ms / 1000.0; }
};

struct chart_line {
  const chart_series* series;
  std::string name;  // "CHT 1"
  std::string unit;  // "°F"
  int decimals;      // of the values in the path and the readout
  int axis;          // 0 left, 1 right
  int style;         // colour and dash: 0-7
};

// A stretch of time shaded across the plot: "engine" (engine running on the ground),
// "air" (airborne) or "exceed" (an exceedance, with an id the page links to).
struct chart_band {
  std::uint32_t from_ms;  // positions on the axis
  std::uint32_t to_ms;
  std::string kind;  // its class is "b-" kind
  std::string title;
  std::string id;
  bool strip = false;  // a flight phase: a strip along the foot of the plot, not its whole height
};

struct chart_limit {
  double value;
  int axis;
  std::string title;
};

struct chart_design {
  std::string id;             // "cht": the figure is "chart-cht"
  std::string title;          // "Cylinder head temperature"
  std::string axis_label[2];  // "ft", "kt"; empty: no axis on that side
  std::vector<chart_line> lines;
  std::vector<chart_band> bands;
  std::vector<chart_limit> limits;
  std::string summary;  // the text alternative: what the chart shows, in words
  // The value axes span the data and a tenth of its range beyond each end (not below zero
  // unless the data go there), rather than the data alone.
  bool margin = false;
};

// Writes the <figure> of a chart.
void write_svg_chart(output_writer& out, const chart_design& chart, const time_axis& axis);

// The x tick step, in seconds, for a span of seconds: of chart_geometry::time_tick_steps (1 2 5
// 10 15 30 s, 1 2 5 10 15 30 min, 1 2 3 6 12 24 h) the finest that gives at most max_ticks
// ticks, else whole days.
double time_tick_step(double span_s, int max_ticks);

// A round step for a value axis over [low, high] with about `ticks` intervals (1, 2 or 5 times a
// power of ten), and the axis range as whole steps around it.
struct value_range {
  double low;
  double high;
  double step;
};
value_range nice_range(double low, double high, int ticks);
