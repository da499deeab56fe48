// OrvexDecode_LOG_to_FRC and OrvexDecode_LOG_to_FRC_binary: the summary path as
// tab-separated rows of position, altitude and attitude.
#include "path/track.h"

#include <memory>
#include <new>

#include "api/public_call.h"
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

// Runs the extraction into the export's own array and writes the document with print.
template <typename Print>
int run_track_pass(decode_context& ctx, const analog_input_const* constants, const library_options* options,
                   FILE* input, FILE* output, Print print) {
  path_point* const summary_path = own_summary_path();
  if (summary_path == nullptr) return -1;
  const summary_path_result path =
      LOG_to_summary_path(ctx, constants, options, input, output, summary_path, summary_path_capacity);
  note_path_point_limit(ctx, path.point_limit_reached);
  const int last = print(ctx.out, summary_path, path.count);
  return ctx.out.flush() == 0 ? last : -1;
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

int OrvexDecode_context_LOG_to_FRC(decode_context* context, const analog_input_const* constants,
                                   const library_options* options, FILE* input, FILE* output, FILE* /*debug*/) {
  return run_public_conversion(context, constants, options, {input, output},
                               [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                 return run_track_pass(ctx, c, o, input, output, print_frc_track);
                               });
}

int OrvexDecode_context_LOG_to_FRC_binary(decode_context* context, const analog_input_const* constants,
                                          const library_options* options, FILE* input, FILE* output, FILE* /*debug*/) {
  return run_public_conversion(context, constants, options, {input, output},
                               [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                 return run_track_pass(ctx, c, o, input, output, print_frc_binary_track);
                               });
}

int OrvexDecode_LOG_to_FRC(const analog_input_const* constants, const library_options* options, FILE* input,
                           FILE* output, FILE* /*debug*/) {
  return run_classic_conversion(constants, options, {input, output},
                                [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                  return run_track_pass(ctx, c, o, input, output, print_frc_track);
                                });
}

int OrvexDecode_LOG_to_FRC_binary(const analog_input_const* constants, const library_options* options, FILE* input,
                                  FILE* output, FILE* /*debug*/) {
  return run_classic_conversion(constants, options, {input, output},
                                [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                  return run_track_pass(ctx, c, o, input, output, print_frc_binary_track);
                                });
}
