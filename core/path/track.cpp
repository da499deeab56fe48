// OrvexDecode_LOG_to_FRC and OrvexDecode_LOG_to_FRC_binary: the summary path as
// tab-separated rows of position, altitude and attitude.
#include "path/track.h"

#include "path/kml.h"
#include "records/library_state.h"
#include "xml/fixed_format.h"

namespace {

constexpr double tenths_fps_per_knot = 16.8780986;

constexpr const char* track_header =
    "Latitude(deci)\tLongitude(deci)\tAltitude(m)\tPitch(deg)\tBank(deg)\tHeading(deg)\n";

void print_track_columns(const path_point& p) {
  lib.out.line(OUT_FORMAT("{}\t{}\t{}\t{}\t{}\t{}\n"), fixed(static_cast<double>(p.latitude), 6),
               fixed(static_cast<double>(p.longitude), 6), fixed(metres_of_feet(p.pressure_alt), 6),
               fixed(static_cast<double>(p.pitch_angle), 6), fixed(static_cast<double>(p.roll_angle), 6),
               fixed(static_cast<double>(p.yaw_angle), 6));
}

// Runs the extraction into the export's own array and writes the document with print.
template <typename Print>
int export_track(const analog_input_const* constants, const library_options* options,
                 FILE* input, FILE* output, FILE* debug, Print print) {
  static path_point summary_path[summary_path_capacity];
  const std::int32_t count = LOG_to_summary_path(constants, options, input, output, debug,
                                                 summary_path, summary_path_capacity);
  const int last = print(summary_path, count);
  return lib.out.flush() == 0 ? last : -1;
}

}  // namespace

int track_airspeed_knots(std::int16_t asi) { return static_cast<int>(asi / tenths_fps_per_knot); }

int print_frc_track(const path_point* points, std::int32_t count) {
  lib.out.text("BOF\n");
  lib.out.text(track_header);
  for (std::int32_t pos = 1; pos < count - 1; ++pos) print_track_columns(points[pos]);
  return lib.out.text("EOF\n");
}

int print_frc_binary_track(const path_point* points, std::int32_t count) {
  lib.out.text("ASI kts,Tach,TimeStamp,GPSAlt\t-\t");
  lib.out.text(track_header);
  for (std::int32_t pos = 1; pos < count - 1; ++pos) {
    const path_point& p = points[pos];
    lib.out.line(OUT_FORMAT("{}\t{}\t{}\t{}\t-\t"), track_airspeed_knots(p.asi), p.tachometer,
                 static_cast<std::int32_t>(p.timestamp), p.gps_altitude);
    print_track_columns(p);
  }
  return lib.out.text("EOF\n");
}

int OrvexDecode_LOG_to_FRC(const analog_input_const* constants, const library_options* options,
                           FILE* input, FILE* output, FILE* debug) {
  return export_track(constants, options, input, output, debug, print_frc_track);
}

int OrvexDecode_LOG_to_FRC_binary(const analog_input_const* constants,
                                  const library_options* options, FILE* input, FILE* output,
                                  FILE* debug) {
  return export_track(constants, options, input, output, debug, print_frc_binary_track);
}
