#include "report/html/svg_track_map.h"

#include <algorithm>
#include <cmath>

#include "report/html/path_data.h"

namespace {

constexpr int map_width = 1000;
constexpr int map_height = 640;
constexpr double margin = 48.0;
constexpr double pi = 3.14159265358979323846;
constexpr int altitude_classes = 8;
constexpr double min_extent_deg = 0.005;  // about 0.3 nm: a track that barely moves still gets a map

struct extent {
  bool has = false;
  double low = 0.0;
  double high = 0.0;
  void take(double v) {
    low = has ? std::min(low, v) : v;
    high = has ? std::max(high, v) : v;
    has = true;
  }
};

// "47°29′N", with decimals of the minute when the grid is finer than a minute.
void write_degrees(output_writer& out, double value, bool latitude, int minute_decimals) {
  const char hemisphere = latitude ? (value < 0 ? 'S' : 'N') : (value < 0 ? 'W' : 'E');
  const double scale = std::pow(10.0, minute_decimals);
  const long long total = std::llround(std::fabs(value) * 60.0 * scale);  // minutes times scale
  const long long whole_degrees = total / (60 * static_cast<long long>(scale));
  const double minutes = static_cast<double>(total - whole_degrees * 60 * static_cast<long long>(scale)) / scale;
  // The minutes in two digits before the point, as "%02.0f" or "%04.1f": they hold no more
  // decimals than written, so they round to no more than 59.9.
  out.line(OUT_FORMAT("{}\xC2\xB0{}{}\xE2\x80\xB2{}"), whole_degrees, minutes < 10.0 ? "0" : "",
           fixed(minutes, minute_decimals), hemisphere);
}

// The finest grid step, in minutes of arc, that draws at most max_lines lines over span degrees.
// Past the table the step doubles, so no extent (a span of the whole earth seen near a pole)
// draws more.
double grid_step_minutes(double span_deg, int max_lines) {
  static constexpr double steps[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1200, 3000};
  for (const double s : steps) {
    if (span_deg * 60.0 / s <= max_lines) return s;
  }
  double step = 3000.0;
  while (span_deg * 60.0 / step > max_lines && step < 1e12) step *= 2;
  return step;
}

// Whatever the step, no axis draws more lines than this (a span that is not finite).
constexpr int max_grid_lines = 20;

int altitude_class(const track_point& a, const track_point& b, const extent& altitudes) {
  if (!a.has_altitude || !b.has_altitude || !altitudes.has) return -1;
  const double range = altitudes.high - altitudes.low;
  if (!(range > 0.0)) return 0;
  const double mean = (a.altitude_ft + b.altitude_ft) / 2.0;
  return std::clamp(static_cast<int>((mean - altitudes.low) / range * altitude_classes), 0, altitude_classes - 1);
}

// Labels stay clear of the map's edges, the scale bar and the north arrow. A narrow screen
// draws them larger and leaves out those of class "edge", which would then reach the right edge
// or the north arrow (longitudes in the right 40 %), the longitudes' row or the scale bar
// (latitudes near the top and the bottom).
void write_latitude_line(output_writer& out, const map_projection& p, double v, int decimals) {
  const double y = p.y_of(v);
  out.line(OUT_FORMAT("<path d=\"M0 {}H{}\"/>"), shortest(y, 1), map_width);
  if (y < 30 || y > p.height - 70) return;
  out.line(OUT_FORMAT("<text{} x=\"6\" y=\"{}\">"), y < 110 || y > p.height - 120 ? " class=\"edge\"" : "",
           shortest(y - 4, 1));
  write_degrees(out, v, true, decimals);
  out.text("</text>");
}

void write_longitude_line(output_writer& out, const map_projection& p, double v, int decimals) {
  const double x = p.x_of(v);
  out.line(OUT_FORMAT("<path d=\"M{} 0V{}\"/>"), shortest(x, 1), map_height);
  if (x < 60 || x > p.width - 120) return;
  out.line(OUT_FORMAT("<text class=\"{}\" x=\"{}\" y=\"14\">"), x > p.width - 400 ? "lon edge" : "lon",
           shortest(x + 4, 1));
  write_degrees(out, v, false, decimals);
  out.text("</text>");
}

void write_grid(output_writer& out, const map_projection& p) {
  const double half_lat = p.height / 2.0 / p.pixels_per_degree;
  const double half_lon = p.width / 2.0 / (p.pixels_per_degree * p.cos_latitude);
  out.text("<g class=\"grid\">");
  for (int latitude = 1; latitude >= 0; --latitude) {
    const double center = latitude ? p.latitude_0 : p.longitude_0;
    const double half = latitude ? half_lat : half_lon;
    const double step_minutes = grid_step_minutes(2 * half, latitude ? 5 : 7);
    const int decimals = step_minutes < 1.0 ? 1 : 0;
    const double step = step_minutes / 60.0;
    int lines = 0;
    for (double v = std::ceil((center - half) / step) * step; v <= center + half && lines < max_grid_lines;
         v += step, ++lines) {
      if (latitude && std::fabs(v) > 90.0) continue;
      if (latitude) {
        write_latitude_line(out, p, v, decimals);
      } else {
        write_longitude_line(out, p, v, decimals);
      }
    }
  }
  out.text("</g>");
}

void write_scale_bar(output_writer& out, const map_projection& p) {
  const double pixels_per_nm = p.pixels_per_degree / 60.0;  // a nautical mile is a minute of latitude
  static constexpr double lengths[] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.25, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
  double nm = lengths[0];
  for (const double l : lengths) {
    if (l * pixels_per_nm <= 220.0) nm = l;
  }
  const double length = nm * pixels_per_nm;
  out.line(OUT_FORMAT("<g class=\"scale\"><rect x=\"16\" y=\"588\" width=\"{}\" height=\"40\"/>"
                      "<path d=\"M28 606v10h{}v-10\"/><text x=\"28\" y=\"601\">{} nm ({} km)</text></g>"),
           shortest(length + 24, 1), shortest(length, 1), shortest(nm, 2), shortest(nm * 1.852, 2));
}

void write_north_arrow(output_writer& out) {
  out.text(
      "<g class=\"north\" aria-label=\"north\"><circle cx=\"960\" cy=\"62\" r=\"24\"/>"
      "<path d=\"M960 42l9 28-9-6-9 6z\"/><text x=\"960\" y=\"35\">N</text></g>");
}

// The text alternative: how many positions, when, how far across, how high, and the marks.
void write_map_caption(output_writer& out, const std::vector<track_point>& track, const std::vector<map_mark>& marks,
                       const time_axis& axis, const map_projection& p, const extent& altitudes) {
  extent latitudes, longitudes;
  for (const track_point& t : track) {
    latitudes.take(t.latitude_deg);
    longitudes.take(t.longitude_deg);
  }
  const double across_nm =
      std::max(latitudes.high - latitudes.low, (longitudes.high - longitudes.low) * p.cos_latitude) * 60.0;
  out.line(OUT_FORMAT("{} GPS positions from {} to {}, within {} nm"), with_commas_of(track.size()),
           axis.moment_text(track.front().axis_ms), axis.moment_text(track.back().axis_ms), shortest(across_nm, 1));
  if (altitudes.has) {
    out.line(OUT_FORMAT("; altitude {} to {} ft"), grouped(altitudes.low, 0), grouped(altitudes.high, 0));
  }
  for (const map_mark& m : marks) out.line(OUT_FORMAT("; {}"), escaped_utf8(m.label));
  out.text(".</p></figcaption>");
}

// The whole track once, dark and wide under the coloured pieces; it carries the times of its
// points for the cursor.
void write_casing(output_writer& out, const std::vector<track_point>& track, const map_projection& p,
                  const time_axis& axis) {
  out.text("<path class=\"casing\" d=\"");
  path_data_writer path(out, 1, 1, false);
  for (std::size_t i = 0; i < track.size(); ++i) {
    if (i == 0 || track[i].starts_run) path.start_run();
    path.point(p.x_of(track[i].longitude_deg), p.y_of(track[i].latitude_deg));
  }
  path.finish();
  out.text("\" data-t=\"");
  for (std::size_t i = 0; i < track.size(); ++i) {
    out.line(OUT_FORMAT("{}{}"), i > 0 ? " " : "", shortest(axis.x_of(track[i].axis_ms), 1));
  }
  out.text("\"/>");
}

// Coloured pieces: each segment takes the class of its mean altitude; neighbours of one class
// share a path.
void write_altitude_pieces(output_writer& out, const std::vector<track_point>& track, const map_projection& p,
                           const extent& altitudes) {
  path_data_writer path(out, 1, 1, false);
  const auto point = [&](const track_point& t) { path.point(p.x_of(t.longitude_deg), p.y_of(t.latitude_deg)); };
  int open_class = -2;
  for (std::size_t i = 1; i < track.size(); ++i) {
    if (track[i].starts_run) {
      if (open_class != -2) out.text("\"/>");
      open_class = -2;
      continue;
    }
    const int c = altitude_class(track[i - 1], track[i], altitudes);
    if (c != open_class) {
      if (open_class != -2) out.text("\"/>");
      if (c < 0) {
        out.text("<path class=\"an\" d=\"");
      } else {
        out.line(OUT_FORMAT("<path class=\"a{}\" d=\""), c);
      }
      path.start_run();
      point(track[i - 1]);
      open_class = c;
    }
    point(track[i]);
  }
  if (open_class != -2) out.text("\"/>");
}

void write_marks(output_writer& out, const std::vector<map_mark>& marks, const map_projection& p) {
  for (const map_mark& m : marks) {
    const double x = p.x_of(m.longitude_deg);
    const double y = p.y_of(m.latitude_deg);
    // A narrow screen writes the label of a mark in the eastern half to its left, where its
    // larger type has room.
    if (m.airport) {  // a ring about the reference point, the ident and name to its left (the
                      // takeoffs' and landings' labels go to the right)
      out.line(OUT_FORMAT("<g class=\"mark airport\"><path d=\"M{} {}m-7 0a7 7 0 1 0 14 0a7 7 0 1 0-14 0\"/>"
                          "<text x=\"{}\" y=\"{}\">{}</text></g>"),
               shortest(x, 1), shortest(y, 1), shortest(x - 12, 1), shortest(y + 4, 1), escaped_utf8(m.label));
      continue;
    }
    out.line(OUT_FORMAT("<g class=\"mark {}{}\"><path d=\"M{} {}{}\"/><text x=\"{}\" y=\"{}\">{}</text></g>"),
             m.takeoff ? "takeoff" : "landing", x > p.width / 2 ? " east" : "", shortest(x, 1), shortest(y, 1),
             m.takeoff ? "l-9 14h18z" : "l-9 -14h18z", shortest(x + 12, 1), shortest(m.takeoff ? y + 16 : y - 6, 1),
             escaped_utf8(m.label));
  }
}

void write_altitude_legend(output_writer& out, const extent& altitudes) {
  if (!altitudes.has) return;
  out.text("<ul class=\"legend\">");
  for (int c = 0; c < altitude_classes; ++c) {
    const double low = altitudes.low + (altitudes.high - altitudes.low) * c / altitude_classes;
    const double high = altitudes.low + (altitudes.high - altitudes.low) * (c + 1) / altitude_classes;
    out.line(OUT_FORMAT("<li><svg viewBox=\"0 0 28 8\" aria-hidden=\"true\"><path class=\"a{}\" d=\"M1 4H27\"/>"
                        "</svg>{}\xE2\x80\x93{} ft</li>"),
             c, grouped(low, 0), grouped(high, 0));
  }
  out.text("</ul>");
}

}  // namespace

map_projection fit_projection(const std::vector<track_point>& track, const std::vector<map_mark>& marks, double width,
                              double height) {
  extent latitudes, longitudes;
  for (const track_point& t : track) {
    latitudes.take(t.latitude_deg);
    longitudes.take(t.longitude_deg);
  }
  for (const map_mark& m : marks) {
    latitudes.take(m.latitude_deg);
    longitudes.take(m.longitude_deg);
  }
  map_projection p;
  p.width = width;
  p.height = height;
  if (!latitudes.has) return p;
  p.latitude_0 = (latitudes.low + latitudes.high) / 2.0;
  p.longitude_0 = (longitudes.low + longitudes.high) / 2.0;
  p.cos_latitude = std::max(0.01, std::cos(p.latitude_0 * pi / 180.0));
  const double north_south = std::max(latitudes.high - latitudes.low, min_extent_deg);
  const double east_west = std::max((longitudes.high - longitudes.low) * p.cos_latitude, min_extent_deg);
  p.pixels_per_degree = std::min((width - 2 * margin) / east_west, (height - 2 * margin) / north_south);
  return p;
}

void write_svg_track_map(output_writer& out, const std::vector<track_point>& track, const std::vector<map_mark>& marks,
                         const time_axis& axis) {
  out.text("<figure class=\"map\" id=\"map\"><figcaption><h3>Map of the track</h3><p class=\"alt\" id=\"alt-map\">");
  if (track.empty()) {
    out.text("No GPS position in this stretch of the LOG: no track to draw.</p></figcaption></figure>\n");
    return;
  }
  extent altitudes;
  for (const track_point& t : track) {
    if (t.has_altitude) altitudes.take(t.altitude_ft);
  }
  const map_projection p = fit_projection(track, marks, map_width, map_height);
  write_map_caption(out, track, marks, axis, p, altitudes);
  out.line(OUT_FORMAT("<svg class=\"track\" viewBox=\"0 0 {} {}\" role=\"img\" aria-label=\"Map of the track\" "
                      "aria-describedby=\"alt-map\"><rect class=\"ground\" width=\"{}\" height=\"{}\"/>"),
           map_width, map_height, map_width, map_height);
  write_grid(out, p);
  write_casing(out, track, p, axis);
  write_altitude_pieces(out, track, p, altitudes);
  write_marks(out, marks, p);
  write_scale_bar(out, p);
  write_north_arrow(out);
  out.text("<circle id=\"map-cursor\" r=\"7\" cx=\"-50\" cy=\"-50\"/></svg>");
  write_altitude_legend(out, altitudes);
  out.text("</figure>\n");
}
