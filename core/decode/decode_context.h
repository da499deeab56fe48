// The state of one conversion: options, constants, the latest-value cache, the followers, the
// reader of the input and the writer of the output. Every pass and every dispatch step receives
// it, so conversions on different contexts share nothing and can run at once.
#pragma once

#include <cstdio>

#include "decode/followers.h"
#include "decode/summary_record.h"
#include "orvexdecode.h"
#include "records/record_reader.h"
#include "text/output_writer.h"

class gps_ahead;

struct decode_context {
  library_options options;
  analog_input_const constants;
  summary_record summary;
  followers follow;      // the clock, the engine units and the position, moved after every record
  record_reader reader;  // reads the input stream
  output_writer out;     // the one writer for the output stream
  // When set, the GPS records take the ports' fixes from it (gps_ahead.h); begin_pass clears it.
  gps_ahead* gps = nullptr;

 protected:
  // Contexts are made by OrvexDecode_context_new (api/context.cpp), with what the C API reports
  // beside them.
  decode_context() = default;
};

// Start of every pass: copies the constants and options, clears the latest-value cache (binding
// the analog slot to the constants) and the followers, loads each GPS port's sentence format
// from the options and starts the reader on the input and the writer on the output afresh.
void begin_pass(decode_context& ctx, const analog_input_const* constants, const library_options* options, FILE* input,
                FILE* output);

// Within a pass, reads again from offset (counted from where the pass began) as from the start of
// a segment of the LOG: the cache and the followers clear as at the start of a pass (the next
// record begins the segment numbered index, begun by cause), the writer goes on. False when the
// input can't be repositioned.
bool resume_pass_at(decode_context& ctx, std::uint64_t offset, std::uint32_t index, segment_cause cause);

bool is_verbose(const decode_context& ctx);
bool is_debug(const decode_context& ctx);
