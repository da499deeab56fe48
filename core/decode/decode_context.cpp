#include "decode/decode_context.h"

#include "decoders/gps/assembly.h"

void begin_pass(decode_context& ctx, const analog_input_const* constants, const library_options* options, FILE* input,
                FILE* output) {
  ctx.constants = *constants;
  ctx.options = *options;
  ctx.summary = summary_record{};
  ctx.summary.analog.bind(analog_decoder{ctx.constants});
  ctx.follow = followers{};
  reset_gps_port(&ctx.summary.gps_1, ctx.options.gps_1_type);
  reset_gps_port(&ctx.summary.gps_2, ctx.options.gps_2_type);
  ctx.reader.reset(input);
  ctx.out.attach(output);
}

bool is_verbose(const decode_context& ctx) { return ctx.options.verbose != 0; }
bool is_debug(const decode_context& ctx) { return ctx.options.debug != 0; }
