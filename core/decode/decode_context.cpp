#include "decode/decode_context.h"

#include "decoders/gps/assembly.h"

namespace {

void clear_decode_state(decode_context& ctx) {
  ctx.summary = summary_record{};
  ctx.summary.analog.bind(analog_decoder{ctx.constants});
  ctx.follow = followers{};
  reset_gps_port(&ctx.summary.gps_1, ctx.options.gps_1_type);
  reset_gps_port(&ctx.summary.gps_2, ctx.options.gps_2_type);
}

}  // namespace

void begin_pass(decode_context& ctx, const analog_input_const* constants, const library_options* options, FILE* input,
                FILE* output) {
  ctx.constants = *constants;
  ctx.options = *options;
  clear_decode_state(ctx);
  ctx.reader.reset(input);
  ctx.out.attach(output);
  ctx.gps = nullptr;
}

bool resume_pass_at(decode_context& ctx, std::uint64_t offset, std::uint32_t index, segment_cause cause) {
  clock_hints* hints = ctx.follow.hints;
  ctx.gps = nullptr;  // the ports start again here, on this thread
  clear_decode_state(ctx);
  ctx.follow.hints = hints;
  ctx.follow.segments.resume_at(index, cause);
  return ctx.reader.seek(offset);
}

bool is_verbose(const decode_context& ctx) { return ctx.options.verbose != 0; }
bool is_debug(const decode_context& ctx) { return ctx.options.debug != 0; }
