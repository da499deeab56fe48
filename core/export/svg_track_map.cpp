#include "export/svg_track_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "export/html_text.h"

namespace {

constexpr double map_width = 1000.0;
constexpr double map_height = 640.0;
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
std::string degrees_text(double value, bool latitude, int minute_decimals) {
  const char hemisphere = latitude ? (value < 0 ? 'S' : 'N') : (value < 0 ? 'W' : 'E');
  const double scale = std::pow(10.0, minute_decimals);
  const long long total = std::llround(std::fabs(value) * 60.0 * scale);  // minutes times scale
  const long long whole_degrees = total / (60 * static_cast<long long>(scale));
  const double minutes = static_cast<double>(total - whole_degrees * 60 * static_cast<long long>(scale)) / scale;
  char text[48];
  std::snprintf(text, sizeof text, "%lld\xC2\xB0%0*.*f\xE2\x80\xB2%c", whole_degrees,
                minute_decimals > 0 ? 3 + minute_decimals : 2, minute_decimals, minutes, hemisphere);
  return text;
}

// The finest grid step, in minutes of arc, that draws at most max_lines lines over span degrees.
double grid_step_minutes(double span_deg, int max_lines) {
  static constexpr double steps[] = {0.1, 0.2, 0.5, 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 1200, 3000};
  for (const double s : steps) {
    if (span_deg * 60.0 / s <= max_lines) return s;
  }
  return 3000.0;
}

void point(std::string& out, const map_projection& p, const track_point& t) {
  append_number(out, p.x_of(t.longitude_deg), 1);
  out += ' ';
  append_number(out, p.y_of(t.latitude_deg), 1);
}

int altitude_class(const track_point& a, const track_point& b, const extent& altitudes) {
  if (!a.has_altitude || !b.has_altitude || !altitudes.has) return -1;
  const double range = altitudes.high - altitudes.low;
  if (!(range > 0.0)) return 0;
  const double mean = (a.altitude_ft + b.altitude_ft) / 2.0;
  return std::clamp(static_cast<int>((mean - altitudes.low) / range * altitude_classes), 0, altitude_classes - 1);
}

void grid(std::string& out, const map_projection& p) {
  const double half_lat = p.height / 2.0 / p.pixels_per_degree;
  const double half_lon = p.width / 2.0 / (p.pixels_per_degree * p.cos_latitude);
  out += "<g class=\"grid\">";
  for (int latitude = 1; latitude >= 0; --latitude) {
    const double center = latitude ? p.latitude_0 : p.longitude_0;
    const double half = latitude ? half_lat : half_lon;
    const double step_minutes = grid_step_minutes(2 * half, latitude ? 5 : 7);
    const int decimals = step_minutes < 1.0 ? 1 : 0;
    const double step = step_minutes / 60.0;
    for (double v = std::ceil((center - half) / step) * step; v <= center + half; v += step) {
      if (latitude && std::fabs(v) > 90.0) continue;
      // Labels stay clear of the map's edges, the scale bar and the north arrow. A narrow
      // screen draws them larger and leaves out those of class "edge", which would then reach
      // the right edge or the north arrow (longitudes in the right 40 %), the longitudes' row
      // or the scale bar (latitudes near the top and the bottom).
      const std::string label = degrees_text(v, latitude != 0, decimals);
      if (latitude) {
        const double y = p.y_of(v);
        out += "<path d=\"M0 ";
        append_number(out, y, 1);
        out += "H1000\"/>";
        if (y < 30 || y > p.height - 70) continue;
        out += y < 110 || y > p.height - 120 ? "<text class=\"edge\" x=\"6\" y=\"" : "<text x=\"6\" y=\"";
        append_number(out, y - 4, 1);
        out += std::string("\">") + label + "</text>";
      } else {
        const double x = p.x_of(v);
        out += "<path d=\"M";
        append_number(out, x, 1);
        out += " 0V640\"/>";
        if (x < 60 || x > p.width - 120) continue;
        out += x > p.width - 400 ? "<text class=\"lon edge\" x=\"" : "<text class=\"lon\" x=\"";
        append_number(out, x + 4, 1);
        out += std::string("\" y=\"14\">") + label + "</text>";
      }
    }
  }
  out += "</g>";
}

void scale_bar(std::string& out, const map_projection& p) {
  const double pixels_per_nm = p.pixels_per_degree / 60.0;  // a nautical mile is a minute of latitude
  static constexpr double lengths[] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.25, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
  double nm = lengths[0];
  for (const double l : lengths) {
    if (l * pixels_per_nm <= 220.0) nm = l;
  }
  const double length = nm * pixels_per_nm;
  out += "<g class=\"scale\"><rect x=\"16\" y=\"588\" width=\"";
  append_number(out, length + 24, 1);
  out += "\" height=\"40\"/><path d=\"M28 606v10h";
  append_number(out, length, 1);
  out += std::string("v-10\"/><text x=\"28\" y=\"601\">") + number_text(nm, 2) + " nm (" + number_text(nm * 1.852, 2) +
         " km)</text></g>";
}

void north_arrow(std::string& out) {
  out +=
      "<g class=\"north\" aria-label=\"north\"><circle cx=\"960\" cy=\"62\" r=\"24\"/>"
      "<path d=\"M960 42l9 28-9-6-9 6z\"/><text x=\"960\" y=\"35\">N</text></g>";
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

void render_svg_track_map(std::string& out, const std::vector<track_point>& track, const std::vector<map_mark>& marks,
                          const time_axis& axis) {
  out += "<figure class=\"map\" id=\"map\"><figcaption><h3>Map of the track</h3><p class=\"alt\" id=\"alt-map\">";
  if (track.empty()) {
    out += "No GPS position in this stretch of the LOG: no track to draw.</p></figcaption></figure>\n";
    return;
  }
  extent altitudes, latitudes, longitudes;
  for (const track_point& t : track) {
    if (t.has_altitude) altitudes.take(t.altitude_ft);
    latitudes.take(t.latitude_deg);
    longitudes.take(t.longitude_deg);
  }
  const map_projection p = fit_projection(track, marks, map_width, map_height);
  const double across_nm =
      std::max(latitudes.high - latitudes.low, (longitudes.high - longitudes.low) * p.cos_latitude) * 60.0;
  out += with_commas(track.size()) + " GPS positions from " + axis.moment_text(track.front().axis_ms) + " to " +
         axis.moment_text(track.back().axis_ms) + ", within " + number_text(across_nm, 1) + " nm";
  if (altitudes.has) {
    out += std::string("; altitude ") + grouped_number(altitudes.low, 0) + " to " + grouped_number(altitudes.high, 0) +
           " ft";
  }
  for (const map_mark& m : marks) out += std::string("; ") + html_escaped(m.label);
  out += ".</p></figcaption>";

  out +=
      "<svg class=\"track\" viewBox=\"0 0 1000 640\" role=\"img\" aria-label=\"Map of the track\" "
      "aria-describedby=\"alt-map\">"
      "<rect class=\"ground\" width=\"1000\" height=\"640\"/>";
  grid(out, p);

  // The whole track once, dark and wide under the coloured pieces; it carries the times of its
  // points for the cursor.
  out += "<path class=\"casing\" d=\"";
  std::string times;
  const auto starts = [&track](std::size_t i) { return i == 0 || track[i].starts_run; };
  for (std::size_t i = 0; i < track.size(); ++i) {
    out += starts(i) ? "M" : starts(i - 1) ? "L" : " ";
    point(out, p, track[i]);
    if (i > 0) times += ' ';
    append_number(times, axis.x_of(track[i].axis_ms), 1);
  }
  out += std::string("\" data-t=\"") + times + "\"/>";

  // Coloured pieces: each segment takes the class of its mean altitude; neighbours of one class
  // share a path.
  int open_class = -2;
  for (std::size_t i = 1; i < track.size(); ++i) {
    if (track[i].starts_run) {
      if (open_class != -2) out += "\"/>";
      open_class = -2;
      continue;
    }
    const int c = altitude_class(track[i - 1], track[i], altitudes);
    if (c != open_class) {
      if (open_class != -2) out += "\"/>";
      out += "<path class=\"a";
      out += c < 0 ? "n" : std::to_string(c);
      out += "\" d=\"M";
      point(out, p, track[i - 1]);
      out += "L";
      open_class = c;
    } else {
      out += ' ';
    }
    point(out, p, track[i]);
  }
  if (open_class != -2) out += "\"/>";

  for (const map_mark& m : marks) {
    const double x = p.x_of(m.longitude_deg);
    const double y = p.y_of(m.latitude_deg);
    // A narrow screen writes the label of a mark in the eastern half to its left, where its
    // larger type has room.
    out += std::string("<g class=\"mark ") + (m.takeoff ? "takeoff" : "landing") + (x > p.width / 2 ? " east" : "") +
           "\"><path d=\"M";
    append_number(out, x, 1);
    out += ' ';
    append_number(out, y, 1);
    out += m.takeoff ? "l-9 14h18z" : "l-9 -14h18z";
    out += "\"/><text x=\"";
    append_number(out, x + 12, 1);
    out += "\" y=\"";
    append_number(out, m.takeoff ? y + 16 : y - 6, 1);
    out += std::string("\">") + html_escaped(m.label) + "</text></g>";
  }
  scale_bar(out, p);
  north_arrow(out);
  out += "<circle id=\"map-cursor\" r=\"7\" cx=\"-50\" cy=\"-50\"/></svg>";

  if (altitudes.has) {
    out += "<ul class=\"legend\">";
    for (int c = 0; c < altitude_classes; ++c) {
      const double low = altitudes.low + (altitudes.high - altitudes.low) * c / altitude_classes;
      const double high = altitudes.low + (altitudes.high - altitudes.low) * (c + 1) / altitude_classes;
      out += std::string("<li><svg viewBox=\"0 0 28 8\" aria-hidden=\"true\"><path class=\"a") + std::to_string(c) +
             "\" d=\"M1 4H27\"/></svg>" + grouped_number(low, 0) + "\xE2\x80\x93" + grouped_number(high, 0) +
             " ft</li>";
    }
    out += "</ul>";
  }
  out += "</figure>\n";
}
