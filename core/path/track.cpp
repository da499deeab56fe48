// The track documents: the summary path as tab-separated rows of position, altitude and
// attitude.
#include "path/track.h"

#include "decoders/ahrs.h"
#include "path/kml.h"

namespace {

constexpr const char* track_header =
    "Latitude(deci)\tLongitude(deci)\tAltitude(m)\tPitch(deg)\tBank(deg)\tHeading(deg)\n";

void print_track_columns(output_writer& out, const path_point& p) {
  out.line(OUT_FORMAT("{}\t{}\t{}\t{}\t{}\t{}\n"), fixed(static_cast<double>(p.latitude), 6),
           fixed(static_cast<double>(p.longitude), 6), fixed(metres_of_feet(p.pressure_alt), 6),
           fixed(static_cast<double>(p.pitch_angle), 6), fixed(static_cast<double>(p.roll_angle), 6),
           fixed(static_cast<double>(p.yaw_angle), 6));
}

}  // namespace

int track_airspeed_knots(std::int16_t asi) { return static_cast<int>(asi / ahrs_hr_layout::tenths_fps_per_knot); }

int print_frc_track(output_writer& out, const path_point* points, std::int32_t count) {
  out.text("BOF\n");
  out.text(track_header);
  for (std::int32_t pos = 1; pos < count - 1; ++pos) print_track_columns(out, points[pos]);
  return out.text("EOF\n");
}

int print_frc_binary_track(output_writer& out, const path_point* points, std::int32_t count) {
  out.text("ASI kts,Tach,TimeStamp,GPSAlt\t-\t");
  out.text(track_header);
  for (std::int32_t pos = 1; pos < count - 1; ++pos) {
    const path_point& p = points[pos];
    out.line(OUT_FORMAT("{}\t{}\t{}\t{}\t-\t"), track_airspeed_knots(p.asi), p.tachometer,
             static_cast<std::int32_t>(p.timestamp), p.gps_altitude);
    print_track_columns(out, p);
  }
  return out.text("EOF\n");
}
