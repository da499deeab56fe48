// OrvexDecode_LOG_to_XML and its context form: one pass over the LOG, writing the report as
// records arrive.
#include "api/public_call.h"
#include "decode/record_loop.h"
#include "report/xml/xml_report.h"

namespace {

int run_xml(decode_context& ctx, const analog_input_const* constants, const library_options* options, FILE* input,
            FILE* output, const char* description) {
  begin_pass(ctx, constants, options, input, output);
  xml_report_steps steps = begin_xml_report(ctx, description, current_decode_time());
  run_record_loop(ctx, steps);
  return end_xml_report(ctx);
}

}  // namespace

int OrvexDecode_context_LOG_to_XML(decode_context* context, const analog_input_const* constants,
                                   const library_options* options, FILE* input, FILE* output, FILE* /*debug*/,
                                   const char* description) {
  return run_public_conversion(context, constants, options, {input, output},
                               [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                 return run_xml(ctx, c, o, input, output, description);
                               });
}

int OrvexDecode_LOG_to_XML(const analog_input_const* constants, const library_options* options, FILE* input,
                           FILE* output, FILE* /*debug*/, const char* description) {
  return run_classic_conversion(constants, options, {input, output},
                                [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                  return run_xml(ctx, c, o, input, output, description);
                                });
}
