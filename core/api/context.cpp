// OrvexDecode_context_new, OrvexDecode_context_free and OrvexDecode_context_health.
#include "api/context.h"

#include <algorithm>
#include <new>

#include "decode/spare_processor.h"

namespace {

// The context the C API hands out: the decode state and what its conversions report beside
// it. Every decode_context is one (its constructor is for this alone).
struct api_context final : decode_context {
  bool path_point_limit_reached = false;  // the last conversion wrote a flight path that filled its points
  held_context held;                      // a pass may run on it at any time (decode/spare_processor.h)
};

api_context& api_part(decode_context& ctx) { return static_cast<api_context&>(ctx); }
const api_context& api_part(const decode_context& ctx) { return static_cast<const api_context&>(ctx); }

}  // namespace

void note_path_point_limit(decode_context& ctx, bool reached) { api_part(ctx).path_point_limit_reached = reached; }

decode_context* OrvexDecode_context_new(void) {
  api_context* context = new (std::nothrow) api_context;
  if (context == nullptr) return nullptr;
  context->summary = summary_record{};  // the health of a context before its first pass reads it
  context->reader.reset(nullptr);
  context->out.attach(nullptr);
  return context;
}

void OrvexDecode_context_free(decode_context* context) { delete static_cast<api_context*>(context); }

decode_context* own_context() {
  struct context_owner {
    decode_context* context = OrvexDecode_context_new();
    ~context_owner() { OrvexDecode_context_free(context); }
  };
  static thread_local context_owner owner;
  return owner.context;
}

orvex_log_health OrvexDecode_context_health(const decode_context* context) {
  orvex_log_health health{};
  if (context == nullptr) return health;
  const reader_stats& s = context->reader.stats();
  health.bytes_read = context->reader.bytes_read();
  health.records_read = s.records;
  health.dropped_zero_length = s.zero_length;
  health.dropped_oversized = s.oversized;
  health.dropped_truncated = s.truncated;
  std::copy(s.first_drop_offsets.begin(), s.first_drop_offsets.end(), health.first_drop_offsets);
  health.largest_skip = s.largest_skip;
  health.largest_skip_offset = s.largest_skip_offset;
  health.input_error = s.input_error ? 1 : 0;
  health.unknown_source_records = context->reader.unknown_type_records();
  health.gps_sentence_buffer_full[0] = context->summary.gps_1.buffer_full ? 1 : 0;
  health.gps_sentence_buffer_full[1] = context->summary.gps_2.buffer_full ? 1 : 0;
  health.path_point_limit_reached = api_part(*context).path_point_limit_reached ? 1 : 0;
  return health;
}
