// OrvexDecode_LOG_to_KML, OrvexDecode_LOG_to_FRC and OrvexDecode_LOG_to_FRC_binary, and their
// context forms: one pass that extracts the flight path into the thread's own array, then the
// document written from it.
#include <memory>
#include <new>

#include "api/public_call.h"
#include "path/kml.h"
#include "path/summary_path.h"
#include "path/track.h"
#include "text/decode_time.h"

namespace {

// Runs the extraction and writes the document with print(out, points, count).
template <typename Print>
int run_path_document(decode_context& ctx, const analog_input_const* constants, const library_options* options,
                      FILE* input, FILE* output, Print print) {
  path_point* const summary_path = own_summary_path();
  if (summary_path == nullptr) return -1;
  const summary_path_result path =
      LOG_to_summary_path(ctx, constants, options, input, output, summary_path, summary_path_capacity);
  note_path_point_limit(ctx, path.point_limit_reached);
  const int last = print(ctx.out, summary_path, path.count);
  return ctx.out.flush() == 0 ? last : -1;
}

int run_kml(decode_context& ctx, const analog_input_const* constants, const library_options* options, FILE* input,
            FILE* output, const char* description) {
  const decode_time_text now = current_decode_time();
  return run_path_document(ctx, constants, options, input, output,
                           [&](output_writer& out, const path_point* points, std::int32_t count) {
                             return print_kml_document(out, points, count, now, description);
                           });
}

int run_track(decode_context& ctx, const analog_input_const* constants, const library_options* options, FILE* input,
              FILE* output) {
  return run_path_document(ctx, constants, options, input, output, print_frc_track);
}

int run_track_binary(decode_context& ctx, const analog_input_const* constants, const library_options* options,
                     FILE* input, FILE* output) {
  return run_path_document(ctx, constants, options, input, output, print_frc_binary_track);
}

}  // namespace

int OrvexDecode_context_LOG_to_KML(decode_context* context, const analog_input_const* constants,
                                   const library_options* options, FILE* input, FILE* output, FILE* /*debug*/,
                                   const char* description) {
  return run_public_conversion(context, constants, options, {input, output},
                               [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                 return run_kml(ctx, c, o, input, output, description);
                               });
}

int OrvexDecode_LOG_to_KML(const analog_input_const* constants, const library_options* options, FILE* input,
                           FILE* output, FILE* /*debug*/, const char* description) {
  return run_classic_conversion(constants, options, {input, output},
                                [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                  return run_kml(ctx, c, o, input, output, description);
                                });
}

int OrvexDecode_context_LOG_to_FRC(decode_context* context, const analog_input_const* constants,
                                   const library_options* options, FILE* input, FILE* output, FILE* /*debug*/) {
  return run_public_conversion(context, constants, options, {input, output},
                               [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                 return run_track(ctx, c, o, input, output);
                               });
}

int OrvexDecode_context_LOG_to_FRC_binary(decode_context* context, const analog_input_const* constants,
                                          const library_options* options, FILE* input, FILE* output, FILE* /*debug*/) {
  return run_public_conversion(context, constants, options, {input, output},
                               [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                 return run_track_binary(ctx, c, o, input, output);
                               });
}

int OrvexDecode_LOG_to_FRC(const analog_input_const* constants, const library_options* options, FILE* input,
                           FILE* output, FILE* /*debug*/) {
  return run_classic_conversion(constants, options, {input, output},
                                [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                  return run_track(ctx, c, o, input, output);
                                });
}

int OrvexDecode_LOG_to_FRC_binary(const analog_input_const* constants, const library_options* options, FILE* input,
                                  FILE* output, FILE* /*debug*/) {
  return run_classic_conversion(constants, options, {input, output},
                                [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                  return run_track_binary(ctx, c, o, input, output);
                                });
}
