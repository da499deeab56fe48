// The geometry of a chart of the HTML report, declared once: the page writes its charts with it
// and hands it to the page's script (write_chart_geometry), which draws its ticks, cursor and
// selection with the same numbers.
//
// A chart is an image of 1000 by 232 (its viewBox); the plot lies inside it with the value
// axes' labels left and right, the units above and the time labels below. The narrow screen's
// style sheet (report_page.css) leans on the viewBox: it stretches the drawing about its middle
// line, y 116.
#pragma once

#include <array>

#include "text/output_writer.h"

namespace chart_geometry {

constexpr int width = 1000;
constexpr int height = 232;
constexpr int plot_left = 62;
constexpr int plot_top = 22;
constexpr int plot_width = 876;
constexpr int plot_height = 176;
constexpr int plot_right = plot_left + plot_width;
constexpr int plot_bottom = plot_top + plot_height;
constexpr int time_label_y = plot_bottom + 16;  // the baseline of the time labels
constexpr int time_unit_y = height - 2;         // "UTC" or "LOG time", right of the last label
constexpr int value_unit_y = 14;                // the unit of each value axis, above it
constexpr int value_label_gap = 5;              // between a value label and the plot
static_assert(width == 1000 && height == 232, "report_page.css writes the viewBox's size and its middle line");

// The time axis: at most max_time_ticks ticks, at the finest of these steps (seconds) that gives
// no more; past the last, whole days.
constexpr int max_time_ticks = 8;
constexpr std::array<int, 18> time_tick_steps = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                                 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};

}  // namespace chart_geometry

// The attributes that hand the geometry to the page's script, on the charts' section:
//   data-plot="62 22 876 176 214"   left, top, width and height of the plot; the time labels' baseline
//   data-ticks="8 1 2 5 ..."         the most time ticks, then the steps
void write_chart_geometry(output_writer& out);
