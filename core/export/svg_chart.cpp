#include "export/svg_chart.h"

#include <algorithm>
#include <cmath>

#include "export/html_text.h"
#include "text/utc_text.h"

namespace {

// The chart's own coordinates: the plot area inside the image of 1000 by 232 (its viewBox).
constexpr double plot_left = 62.0;
constexpr double plot_top = 22.0;
constexpr double plot_width = 876.0;
constexpr double plot_height = 176.0;
constexpr double plot_right = plot_left + plot_width;
constexpr double plot_bottom = plot_top + plot_height;

void append_attribute_number(std::string& out, const char* name, double value, int decimals) {
  out += ' ';
  out += name;
  out += "=\"";
  append_number(out, value, decimals);
  out += '"';
}

// The path of a series: "M x y" at the start of each run, then "L" and the other points;
// a run of one point is a dot ("h0" with round caps).
void append_path_data(std::string& out, const chart_series& series, const time_axis& axis, int decimals) {
  for (const chart_run& run : series.runs()) {
    bool first = true;
    for (const chart_point& p : run) {
      out += first ? "M" : (&p == &run[1] ? "L" : " ");
      append_number(out, axis.x_of(p.log_ms), axis.x_decimals);
      out += ' ';
      append_number(out, -p.value, decimals);
      first = false;
    }
    if (run.size() == 1) out += "h0";
  }
}

struct axis_extent {
  bool has = false;
  double low = 0.0;
  double high = 0.0;
  void take(double v) {
    if (!std::isfinite(v)) return;
    low = has ? std::min(low, v) : v;
    high = has ? std::max(high, v) : v;
    has = true;
  }
};

int decimals_of_step(double step) {
  return step >= 1.0 ? 0 : std::min(6, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
}

// Opens a data layer over the plot: x in seconds of the time axis, y from -high to -low.
void open_layer(std::string& out, const time_axis& axis, double y, double height, const char* extra) {
  out += "<svg class=\"d\" x=\"62\" y=\"22\" width=\"876\" height=\"176\" viewBox=\"0 ";
  append_number(out, y, 6);
  out += ' ';
  append_number(out, std::max(axis.span_s(), 0.001), 3);
  out += ' ';
  append_number(out, height, 6);
  out += "\" preserveAspectRatio=\"none\"";
  out += extra;
  out += ">";
}

void append_time_ticks(std::string& out, const time_axis& axis) {
  const double span = axis.span_s();
  if (!(span > 0.0)) return;
  const double step = time_tick_step(span, 8);
  // Ticks at whole steps of the clock the labels read (UTC, or LOG time).
  const double clock_origin_s = axis.has_utc ? axis.utc_origin_ms / 1000.0 : axis.origin_ms / 1000.0;
  double tick = std::ceil(clock_origin_s / step) * step;
  out += "<g class=\"xaxis\">";
  for (int guard = 0; tick <= clock_origin_s + span + 1e-6 && guard < 64; tick += step, ++guard) {
    const double x = plot_left + (tick - clock_origin_s) / span * plot_width;
    out += "<path d=\"M";
    append_number(out, x, 1);
    out += " 22V198\"/><text";
    append_attribute_number(out, "x", x, 1);
    out += " y=\"214\">";
    const auto whole = static_cast<std::int64_t>(std::llround(tick));
    if (axis.has_utc) {
      const utc_fields f = utc_fields_of(whole);
      char text[16];
      if (step < 60) {
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", f.hour, f.minute, f.second);
      } else {
        std::snprintf(text, sizeof text, "%02d:%02d", f.hour, f.minute);
      }
      out += text;
    } else {
      out += duration_text(static_cast<double>(whole));
    }
    out += "</text>";
  }
  out += "</g><text class=\"xunit\" x=\"938\" y=\"230\">";
  out += axis.has_utc ? "UTC" : "LOG time";
  out += "</text>";
}

}  // namespace

std::string time_axis::moment_text(std::uint32_t log_ms) const {
  if (has_utc) return utc_time_text(utc_origin_ms + (std::int64_t{log_ms} - origin_ms));
  return std::string("LOG ") + duration_text(log_ms / 1000.0);
}

double time_tick_step(double span_s, int max_ticks) {
  static constexpr double steps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                     600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
  for (const double s : steps) {
    if (span_s / s <= max_ticks) return s;
  }
  return std::ceil(span_s / max_ticks / 86400.0) * 86400.0;
}

value_range nice_range(double low, double high, int ticks) {
  if (!(high > low)) {
    const double pad = std::max(1.0, std::fabs(low) * 0.05);
    low -= pad;
    high += pad;
  }
  const double raw = (high - low) / std::max(ticks, 1);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  const double norm = raw / magnitude;
  const double step = (norm <= 1.0 ? 1.0 : norm <= 2.0 ? 2.0 : norm <= 5.0 ? 5.0 : 10.0) * magnitude;
  return {std::floor(low / step + 1e-9) * step, std::ceil(high / step - 1e-9) * step, step};
}

void render_svg_chart(std::string& out, const chart_design& chart, const time_axis& axis) {
  // The text alternative: each series' range and when it peaked.
  std::string summary = chart.summary;
  for (const chart_line& line : chart.lines) {
    if (!summary.empty()) summary += "; ";
    summary += line.name + ": ";
    if (line.series->empty()) {
      summary += "no data";
      continue;
    }
    const chart_point low = line.series->lowest();
    const chart_point high = line.series->highest();
    summary += grouped_number(low.value, line.decimals) + " to " + grouped_number(high.value, line.decimals) + " " +
               line.unit + ", highest at " + axis.moment_text(high.log_ms);
  }

  out += std::string("<figure class=\"chart\" id=\"chart-") + chart.id + "\"";
  append_attribute_number(out, "data-span", axis.span_s(), 3);
  out += std::string("><figcaption><h3>") + html_escaped(chart.title) + "</h3><p class=\"alt\" id=\"alt-" + chart.id +
         "\">" + html_escaped(summary) + ".</p></figcaption><ul class=\"legend\">";
  for (const chart_line& line : chart.lines) {
    out += std::string("<li><svg viewBox=\"0 0 28 8\" aria-hidden=\"true\"><path class=\"s c") +
           std::to_string(line.style) + "\" d=\"M1 4H27\"/></svg>" + html_escaped(line.name) + " (" +
           html_escaped(line.unit) + ")</li>";
  }
  for (const char* kind : {"engine", "air", "exceed"}) {
    const bool shown =
        std::any_of(chart.bands.begin(), chart.bands.end(), [&](const chart_band& b) { return b.kind == kind; });
    if (!shown) continue;
    out += std::string("<li><svg viewBox=\"0 0 16 10\" aria-hidden=\"true\"><rect class=\"b-") + kind +
           "\" width=\"16\" height=\"10\"/></svg>";
    out += std::string(kind) == "engine" ? "engine running on the ground"
           : std::string(kind) == "air"  ? "airborne"
                                         : "limit exceeded";
    out += "</li>";
  }
  if (std::any_of(chart.bands.begin(), chart.bands.end(), [](const chart_band& b) { return b.strip; })) {
    out += "<li><svg viewBox=\"0 0 16 10\" aria-hidden=\"true\"><rect class=\"b-climb\" width=\"5\" height=\"10\"/>"
           "<rect class=\"b-cruise\" x=\"5\" width=\"6\" height=\"10\"/><rect class=\"b-descent\" x=\"11\" "
           "width=\"5\" height=\"10\"/></svg>flight phases (the strip at the foot)</li>";
  }
  out += "</ul><p class=\"readout\" aria-hidden=\"true\"></p>";
  out += std::string("<svg class=\"plot\" viewBox=\"0 0 1000 232\" role=\"img\" aria-label=\"") +
         html_escaped(chart.title) + "\" aria-describedby=\"alt-" + chart.id + "\">";
  // The drawing in one group, which a narrow screen's style sheet stretches to a taller chart.
  out += "<g><rect class=\"frame\" x=\"62\" y=\"22\" width=\"876\" height=\"176\"/>";

  // Bands behind everything.
  if (!chart.bands.empty()) {
    open_layer(out, axis, 0.0, 1.0, "");
    const double min_width = std::max(axis.span_s(), 0.001) / plot_width * 2.0;
    for (const chart_band& band : chart.bands) {
      const double x0 = std::max(0.0, axis.x_of(band.from_ms));
      const double x1 = std::min(axis.span_s(), axis.x_of(band.to_ms));
      if (x1 < x0) continue;
      out += std::string("<rect class=\"b-") + band.kind + "\"";
      if (!band.id.empty()) out += std::string(" id=\"") + band.id + "\"";
      append_attribute_number(out, "x", x0, 2);
      out += band.strip ? " y=\"0.92\"" : " y=\"0\"";
      append_attribute_number(out, "width", std::max(x1 - x0, min_width), 2);
      out += std::string(band.strip ? " height=\"0.08\"><title>" : " height=\"1\"><title>") + html_escaped(band.title) + "</title></rect>";
    }
    out += "</svg>";
  }
  append_time_ticks(out, axis);

  for (int side = 0; side < 2; ++side) {
    axis_extent extent;
    bool any_line = false;
    for (const chart_line& line : chart.lines) {
      if (line.axis != side) continue;
      any_line = true;
      if (line.series->empty()) continue;
      extent.take(line.series->lowest().value);
      extent.take(line.series->highest().value);
    }
    if (!any_line) continue;
    for (const chart_limit& limit : chart.limits) {
      if (limit.axis == side && extent.has) extent.take(limit.value);
    }
    if (!extent.has) extent.take(0.0);
    const value_range range = nice_range(extent.low, extent.high, 4);
    const int tick_decimals = decimals_of_step(range.step);
    // Tick labels and, for the left axis, the grid.
    out += side == 0 ? "<g class=\"yaxis\">" : "<g class=\"yaxis right\">";
    for (double v = range.low; v <= range.high + range.step * 1e-6; v += range.step) {
      const double y = plot_bottom - (v - range.low) / (range.high - range.low) * plot_height;
      if (side == 0) {
        out += "<path d=\"M62 ";
        append_number(out, y, 1);
        out += "H938\"/>";
      }
      out += "<text";
      append_attribute_number(out, "x", side == 0 ? plot_left - 5 : plot_right + 5, 0);
      append_attribute_number(out, "y", y + 4, 1);
      out += '>';
      out += grouped_number(v, tick_decimals);
      out += "</text>";
    }
    out += "</g><text class=\"unit\"";
    append_attribute_number(out, "x", side == 0 ? plot_left : plot_right, 0);
    out += side == 0 ? " y=\"14\">" : " y=\"14\" text-anchor=\"end\">";
    out += html_escaped(chart.axis_label[side]) + "</text>";

    open_layer(out, axis, -range.high, range.high - range.low, "");
    for (const chart_limit& limit : chart.limits) {
      if (limit.axis != side) continue;
      out += "<path class=\"limit\" d=\"M0 ";
      append_number(out, -limit.value, 6);
      out += "H";
      append_number(out, axis.span_s(), 3);
      out += std::string("\"><title>") + html_escaped(limit.title) + "</title></path>";
    }
    for (const chart_line& line : chart.lines) {
      if (line.axis != side) continue;
      out += std::string("<path class=\"s c") + std::to_string(line.style) + "\" data-name=\"" +
             html_escaped(line.name) + "\" data-unit=\"" + html_escaped(line.unit) + "\" data-dec=\"" +
             std::to_string(line.decimals) + "\" d=\"";
      append_path_data(out, *line.series, axis, line.decimals);
      out += "\"/>";
    }
    out += "</svg>";
  }
  out += "</g></svg></figure>\n";
}
