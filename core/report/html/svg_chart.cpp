#include "report/html/svg_chart.h"

#include <algorithm>
#include <cmath>

#include "report/html/chart_geometry.h"
#include "report/html/path_data.h"
#include "text/utc_text.h"

namespace g = chart_geometry;

namespace {

// The text alternative: what the chart leaves out, each series' range and when it peaked.
std::string chart_summary(const chart_design& chart, const time_axis& axis) {
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
  return summary;
}

// The path of a series: its runs, x in seconds of the time axis and y the value negated.
void write_path_data(output_writer& out, const chart_series& series, const time_axis& axis, int decimals) {
  path_data_writer path(out, axis.x_decimals, decimals, true);
  for (const chart_run& run : series.runs()) {
    path.start_run();
    for (const chart_point& p : run) path.point_at_ms(p.log_ms, -p.value);
  }
  path.finish();
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
void open_layer(output_writer& out, const time_axis& axis, double y, double height) {
  out.line(OUT_FORMAT("<svg class=\"d\" x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\" viewBox=\"0 {} {} {}\" "
                      "preserveAspectRatio=\"none\">"),
           g::plot_left, g::plot_top, g::plot_width, g::plot_height, shortest(y, 6),
           shortest(std::max(axis.span_s(), 0.001), 3), shortest(height, 6));
}

void write_figure_head(output_writer& out, const chart_design& chart, const time_axis& axis) {
  out.line(OUT_FORMAT("<figure class=\"chart\" id=\"chart-{}\" data-span=\"{}\"><figcaption><h3>{}</h3>"
                      "<p class=\"alt\" id=\"alt-{}\">{}.</p></figcaption><ul class=\"legend\">"),
           chart.id, shortest(axis.span_s(), 3), escaped_utf8(chart.title), chart.id,
           escaped_utf8(chart_summary(chart, axis)));
  for (const chart_line& line : chart.lines) {
    out.line(OUT_FORMAT("<li><svg viewBox=\"0 0 28 8\" aria-hidden=\"true\"><path class=\"s c{}\" d=\"M1 4H27\"/>"
                        "</svg>{} ({})</li>"),
             line.style, escaped_utf8(line.name), escaped_utf8(line.unit));
  }
  static constexpr struct {
    std::string_view kind;
    std::string_view meaning;
  } band_kinds[] = {{"engine", "engine running on the ground"}, {"air", "airborne"}, {"exceed", "limit exceeded"},
                    {"warn", "engine warning"}};
  for (const auto& k : band_kinds) {
    if (std::none_of(chart.bands.begin(), chart.bands.end(), [&](const chart_band& b) { return b.kind == k.kind; })) {
      continue;
    }
    out.line(OUT_FORMAT("<li><svg viewBox=\"0 0 16 10\" aria-hidden=\"true\"><rect class=\"b-{}\" width=\"16\" "
                        "height=\"10\"/></svg>{}</li>"),
             k.kind, k.meaning);
  }
  if (std::any_of(chart.bands.begin(), chart.bands.end(), [](const chart_band& b) { return b.strip; })) {
    out.text(
        "<li><svg viewBox=\"0 0 16 10\" aria-hidden=\"true\"><rect class=\"b-climb\" width=\"5\" height=\"10\"/>"
        "<rect class=\"b-cruise\" x=\"5\" width=\"6\" height=\"10\"/><rect class=\"b-descent\" x=\"11\" "
        "width=\"5\" height=\"10\"/></svg>flight phases (the strip at the foot)</li>");
  }
  out.text("</ul><p class=\"readout\" aria-hidden=\"true\"></p>");
}

// The bands behind everything, each at least two pixels wide.
void write_bands(output_writer& out, const chart_design& chart, const time_axis& axis) {
  if (chart.bands.empty()) return;
  open_layer(out, axis, 0.0, 1.0);
  const double min_width = std::max(axis.span_s(), 0.001) / g::plot_width * 2.0;
  for (const chart_band& band : chart.bands) {
    const double x0 = std::max(0.0, axis.x_of(band.from_ms));
    const double x1 = std::min(axis.span_s(), axis.x_of(band.to_ms));
    if (x1 < x0) continue;
    out.line(OUT_FORMAT("<rect class=\"b-{}\""), band.kind);
    if (!band.id.empty()) out.line(OUT_FORMAT(" id=\"{}\""), band.id);
    // A flight phase is a strip along the foot of the plot; the others fill its height.
    out.line(OUT_FORMAT(" x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\"><title>{}</title></rect>"), shortest(x0, 2),
             band.strip ? "0.92" : "0", shortest(std::max(x1 - x0, min_width), 2), band.strip ? "0.08" : "1",
             escaped_utf8(band.title));
  }
  out.text("</svg>");
}

void write_time_label(output_writer& out, bool utc, double tick, double step) {
  const auto whole = static_cast<std::int64_t>(std::llround(tick));
  if (!utc) {
    out.line(OUT_FORMAT("{}"), duration_text(static_cast<double>(whole)));
    return;
  }
  const utc_fields f = utc_fields_of(whole);
  if (step < 60) {
    out.line(OUT_FORMAT("{:02}:{:02}:{:02}"), f.hour, f.minute, f.second);
  } else {
    out.line(OUT_FORMAT("{:02}:{:02}"), f.hour, f.minute);
  }
}

void write_time_ticks(output_writer& out, const time_axis& axis) {
  const double span = axis.span_s();
  if (!(span > 0.0)) return;
  const double step = time_tick_step(span, g::max_time_ticks);
  // Ticks at whole steps of each piece's clock (UTC, or LOG time) within the piece, and a break
  // mark where the axis cuts out the time between two pieces.
  out.text("<g class=\"xaxis\">");
  int guard = 0;
  for (std::size_t i = 0; i < axis.pieces.size(); ++i) {
    const axis_piece& piece = axis.pieces[i];
    const double start_s = piece.axis_ms / 1000.0;
    const double end_s = i + 1 < axis.pieces.size() ? axis.pieces[i + 1].axis_ms / 1000.0 : span;
    if (piece.cut_before) {
      const double x = g::plot_left + (start_s - axis.cut_ms / 2000.0) / span * g::plot_width;
      out.line(OUT_FORMAT("<path class=\"cut\" d=\"M{} {}V{}\"/>"), shortest(x, 1), g::plot_top, g::plot_bottom);
    }
    const double clock_origin_s = piece.has_utc ? piece.utc_ms / 1000.0 : piece.from_ms / 1000.0;
    for (double tick = std::ceil(clock_origin_s / step) * step;
         tick - clock_origin_s <= end_s - start_s + 1e-6 && guard < 64; tick += step, ++guard) {
      const double x = g::plot_left + (start_s + tick - clock_origin_s) / span * g::plot_width;
      out.line(OUT_FORMAT("<path d=\"M{} {}V{}\"/><text x=\"{}\" y=\"{}\">"), shortest(x, 1), g::plot_top,
               g::plot_bottom, shortest(x, 1), g::time_label_y);
      write_time_label(out, piece.has_utc, tick, step);
      out.text("</text>");
    }
  }
  out.line(OUT_FORMAT("</g><text class=\"xunit\" x=\"{}\" y=\"{}\">{}</text>"), g::plot_right, g::time_unit_y,
           axis.has_utc() ? "UTC" : "LOG time");
}

// The range of one value axis: its series and its limits, rounded out to whole ticks.
bool value_range_of(const chart_design& chart, int side, value_range& range) {
  axis_extent extent;
  bool any_line = false;
  for (const chart_line& line : chart.lines) {
    if (line.axis != side) continue;
    any_line = true;
    if (line.series->empty()) continue;
    extent.take(line.series->lowest().value);
    extent.take(line.series->highest().value);
  }
  if (!any_line) return false;
  for (const chart_limit& limit : chart.limits) {
    if (limit.axis == side && extent.has) extent.take(limit.value);
  }
  if (!extent.has) extent.take(0.0);
  if (chart.margin && extent.high > extent.low) {
    // The data and a tenth of their range beyond each end, with the ticks that fall inside.
    const double pad = (extent.high - extent.low) / 10.0;
    const double low = extent.low >= 0.0 ? std::max(0.0, extent.low - pad) : extent.low - pad;
    const double high = extent.high + pad;
    range = nice_range(low, high, 6);
    range.low = low;
    range.high = high;
    return true;
  }
  range = nice_range(extent.low, extent.high, 4);
  return true;
}

// Tick labels and, for the left axis, the grid; then the axis's unit.
void write_value_axis(output_writer& out, const chart_design& chart, int side, const value_range& range) {
  const int tick_decimals = decimals_of_step(range.step);
  const int label_x = side == 0 ? g::plot_left - g::value_label_gap : g::plot_right + g::value_label_gap;
  out.text(side == 0 ? "<g class=\"yaxis\">" : "<g class=\"yaxis right\">");
  for (double v = std::ceil(range.low / range.step - 1e-9) * range.step; v <= range.high + range.step * 1e-6;
       v += range.step) {
    const double y = g::plot_bottom - (v - range.low) / (range.high - range.low) * g::plot_height;
    if (side == 0) out.line(OUT_FORMAT("<path d=\"M{} {}H{}\"/>"), g::plot_left, shortest(y, 1), g::plot_right);
    out.line(OUT_FORMAT("<text x=\"{}\" y=\"{}\">{}</text>"), label_x, shortest(y + 4, 1), grouped(v, tick_decimals));
  }
  out.line(OUT_FORMAT("</g><text class=\"unit\" x=\"{}\" y=\"{}\"{}>{}</text>"),
           side == 0 ? g::plot_left : g::plot_right, g::value_unit_y, side == 0 ? "" : " text-anchor=\"end\"",
           escaped_utf8(chart.axis_label[side]));
}

// The limits and the series of one value axis, in a layer of the axis's own data units.
void write_value_layer(output_writer& out, const chart_design& chart, int side, const value_range& range,
                       const time_axis& axis) {
  open_layer(out, axis, -range.high, range.high - range.low);
  for (const chart_limit& limit : chart.limits) {
    if (limit.axis != side) continue;
    out.line(OUT_FORMAT("<path class=\"limit\" d=\"M0 {}H{}\"><title>{}</title></path>"), shortest(-limit.value, 6),
             shortest(axis.span_s(), 3), escaped_utf8(limit.title));
  }
  for (const chart_line& line : chart.lines) {
    if (line.axis != side) continue;
    out.line(OUT_FORMAT("<path class=\"s c{}\" data-name=\"{}\" data-unit=\"{}\" data-dec=\"{}\" d=\""), line.style,
             escaped_utf8(line.name), escaped_utf8(line.unit), line.decimals);
    write_path_data(out, *line.series, axis, line.decimals);
    out.text("\"/>");
  }
  out.text("</svg>");
}

}  // namespace

double time_tick_step(double span_s, int max_ticks) {
  for (const int s : g::time_tick_steps) {
    if (span_s / s <= max_ticks) return s;
  }
  constexpr double day = g::time_tick_steps.back();
  return std::ceil(span_s / max_ticks / day) * day;
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

void write_svg_chart(output_writer& out, const chart_design& chart, const time_axis& axis) {
  write_figure_head(out, chart, axis);
  out.line(OUT_FORMAT("<svg class=\"plot\" viewBox=\"0 0 {} {}\" role=\"img\" aria-label=\"{}\" "
                      "aria-describedby=\"alt-{}\">"),
           g::width, g::height, escaped_utf8(chart.title), chart.id);
  // The drawing in one group, which a narrow screen's style sheet stretches to a taller chart.
  out.line(OUT_FORMAT("<g><rect class=\"frame\" x=\"{}\" y=\"{}\" width=\"{}\" height=\"{}\"/>"), g::plot_left,
           g::plot_top, g::plot_width, g::plot_height);
  write_bands(out, chart, axis);
  write_time_ticks(out, axis);
  for (int side = 0; side < 2; ++side) {
    value_range range{};
    if (!value_range_of(chart, side, range)) continue;
    write_value_axis(out, chart, side, range);
    write_value_layer(out, chart, side, range, axis);
  }
  out.text("</g></svg></figure>\n");
}

void write_chart_geometry(output_writer& out) {
  out.line(OUT_FORMAT(" data-plot=\"{} {} {} {} {}\" data-ticks=\"{}"), g::plot_left, g::plot_top, g::plot_width,
           g::plot_height, g::time_label_y, g::max_time_ticks);
  for (const int step : g::time_tick_steps) out.line(OUT_FORMAT(" {}"), step);
  out.text("\"");
}
