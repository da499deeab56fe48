// The KML flight path: the summary path as a KML 2.0 document for a globe viewer.
#include "path/kml.h"

#include <math.h>

#include <memory>
#include <new>
#include <string_view>

#include "text/utf8_text.h"

namespace {

constexpr double feet_per_metre = 3.2808399;
constexpr double pi = 3.141592653589793;
constexpr double wingtip_offset_degrees = 0.00004;
constexpr double wingtip_height_metres = 3.0;

// The trig functions take single-precision radians, as the track data is single precision.
float radians_of(float degrees) { return static_cast<float>(degrees * pi / 180); }

void print_coordinate(output_writer& out, const kml_coordinate& c) {
  out.line(OUT_FORMAT("\t\t\t{},{},{}\n"), fixed(c.longitude, 6), fixed(c.latitude, 6), fixed(c.height, 6));
}

// Each line string holds points 1 to count - 2: the last stored point is not written.
template <typename CoordinateOf>
void print_coordinates(output_writer& out, const path_point* points, std::int32_t count, CoordinateOf coordinate_of) {
  for (std::int32_t pos = 1; pos < count - 1; ++pos) print_coordinate(out, coordinate_of(points[pos]));
}

constexpr std::string_view line_string_end = "\t\t</coordinates>\n\t</LineString>\n</Placemark>";

constexpr std::string_view main_path_head =
    "<Placemark>\n\t<name>Main flightpath</name>\n\t<visibility>1</visibility>\n\t<open>1</open>\n"
    "\t<Style>\n\t\t<LineStyle>\n\t\t\t<color>ffff0000</color>\n\t\t\t<width>2</width>\n"
    "\t\t</LineStyle>\n\t\t<PolyStyle>\n\t\t\t<color>b2ff0000</color>\n\t\t\t<outline>0</outline>\n"
    "\t\t</PolyStyle>\n\t</Style>\n\t<LineString>\n\t\t<extrude>1</extrude>\n"
    "\t\t<tessellate>0</tessellate>\n\t\t<altitudeMode>absolute</altitudeMode>\n"
    "\t\t<coordinates>\n";

constexpr std::string_view left_wingtip_head =
    "<Placemark>\n\t<name>Left Wingtip</name>\n\t<visibility>1</visibility>\n\t<open>0</open>\n"
    "\t<Style>\n\t\t<LineStyle>\n\t\t\t<color>ff0000ff</color>\n\t\t\t<width>2</width>\n"
    "\t\t</LineStyle>\n\t</Style>\n\t<LineString>\n\t\t<extrude>0</extrude>\n"
    "\t\t<tessellate>0</tessellate>\n\t\t<altitudeMode>absolute</altitudeMode>\n"
    "\t\t<coordinates>\n";

constexpr std::string_view right_wingtip_head =
    "<Placemark>\n\t<name>Right Wingtip</name>\n\t<visibility>1</visibility>\n\t<open>0</open>\n"
    "\t<Style>\n\t\t<LineStyle>\n\t\t\t<color>ff00ff00</color>\n\t\t\t<width>2</width>\n"
    "\t\t</LineStyle>\n\t</Style>\n\t<LineString>\n\t\t<extrude>0</extrude>\n"
    "\t\t<tessellate>0</tessellate>\n\t\t<altitudeMode>absolute</altitudeMode>\n"
    "\t\t<coordinates>\n";

// The calling thread's own array for the right wingtips of a path, kept between documents like
// the path's own array; null when memory is short.
kml_coordinate* own_right_wingtips() {
  static thread_local const std::unique_ptr<kml_coordinate[]> tips(new (std::nothrow)
                                                                       kml_coordinate[summary_path_capacity]);
  return tips.get();
}

}  // namespace

double metres_of_feet(std::int16_t feet) { return feet / feet_per_metre; }

wingtip_coordinates wingtips_around(double longitude, double latitude, double height, float roll_deg, float pitch_deg,
                                    float yaw_deg) {
  const float r = radians_of(roll_deg);
  const float pitch = radians_of(pitch_deg);
  const float y = radians_of(yaw_deg);
  const double across_lon = wingtip_offset_degrees * cosf(y) * cosf(r);
  const double across_lat = wingtip_offset_degrees * sinf(y) * cosf(r);
  const double above = wingtip_height_metres * cosf(pitch) * sinf(r);
  return {{longitude - across_lon, latitude + across_lat, height + above},
          {longitude + across_lon, latitude - across_lat, height - above}};
}

wingtip_coordinates wingtips_of(const path_point& p) {
  return wingtips_around(p.longitude, p.latitude, metres_of_feet(p.pressure_alt), p.roll_angle, p.pitch_angle,
                         p.yaw_angle);
}

int print_kml_document(output_writer& out, const path_point* points, std::int32_t count, const decode_time_text& now,
                       const char* description) {
  out.text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  out.text("<kml xmlns=\"http://earth.google.com/kml/2.0\">\n");
  out.line(OUT_FORMAT("<Document>\n\t<name>{}</name>\n\t<description>Generated info {} - "), "OrvexDecode Flight path",
           now.view());
  write_escaped_utf8(out, description != nullptr ? std::string_view(description) : std::string_view());
  const path_point& look_at = points[1];
  out.line(OUT_FORMAT("</description>\n\t<LookAt>\n\t\t<longitude>{}</longitude>\n"
                      "\t\t<latitude>{}</latitude>\n\t\t<range>10000</range>\n"
                      "\t\t<tilt>45</tilt>\n\t\t<heading>{}</heading>\n\t</LookAt>\n"),
           fixed(static_cast<double>(look_at.longitude), 6), fixed(static_cast<double>(look_at.latitude), 6),
           look_at.track);

  out.text(main_path_head);
  print_coordinates(out, points, count, [](const path_point& p) {
    return kml_coordinate{p.longitude, p.latitude, metres_of_feet(p.pressure_alt)};
  });
  out.text(line_string_end);

  // Each point's wingtips are worked out once: the right ones are kept from the left line for
  // the right line (in the thread's own array of the path's size; without it, worked out again).
  kml_coordinate* const right_tips = count <= summary_path_capacity ? own_right_wingtips() : nullptr;
  out.text(left_wingtip_head);
  print_coordinates(out, points, count, [&](const path_point& p) {
    const wingtip_coordinates tips = wingtips_of(p);
    if (right_tips != nullptr) right_tips[&p - points] = tips.right;
    return tips.left;
  });
  out.text(line_string_end);

  out.text(right_wingtip_head);
  if (right_tips != nullptr) {
    for (std::int32_t pos = 1; pos < count - 1; ++pos) print_coordinate(out, right_tips[pos]);
  } else {
    print_coordinates(out, points, count, [](const path_point& p) { return wingtips_of(p).right; });
  }
  out.text(line_string_end);

  return out.text("</Document></kml>\n");
}
