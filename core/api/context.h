// The decode contexts of the C API: what a context reports beside its decode state, and the
// context the classic entry points run on.
#pragma once

#include "decode/decode_context.h"

// What a conversion tells OrvexDecode_context_health beyond what decoding keeps: the flight
// path it wrote filled all its points. Every public conversion clears it before it runs.
void note_path_point_limit(decode_context& ctx, bool reached);

// The context the classic entry points run on: one per thread, made on first use and kept, so
// that a program calling them many times does not pay for a new context each time. Null when
// memory is short.
decode_context* own_context();
