// The read loop every pass runs: each record read whole is placed in its segment, dispatched
// into the latest-value cache, the followers move after it, and the pass's steps see it before
// and after. A step the pass does not need is left out:
//
//   struct steps {
//     void dropped(const efis_record&);          // length 0 or oversized: header fields only
//     void before_dispatch(const efis_record&);  // the cache and the followers as they stood before
//                                                // (the segments already count the record)
//     void unknown(const efis_record&);          // a type the LOG format does not define
//     void after_dispatch(const efis_record&, const record_effect&);
//     bool finished() const;                     // true ends the loop early
//   };
#pragma once

#include "decode/decode_context.h"
#include "decode/dispatch.h"
#include "records/source_type.h"

template <typename Steps>
void run_record_loop(decode_context& ctx, Steps& steps) {
  efis_record record;
  for (;;) {
    const read_outcome outcome = ctx.reader.next(record);
    if (outcome == read_outcome::end) break;
    if (outcome == read_outcome::dropped) {
      if constexpr (requires { steps.dropped(record); }) steps.dropped(record);
      continue;
    }
    ctx.follow.arrive(record);
    if constexpr (requires { steps.before_dispatch(record); }) steps.before_dispatch(record);
    if (!is_known_source_type(record.source_type)) {
      ctx.follow.take(record, record_effect{}, ctx.summary);
      if constexpr (requires { steps.unknown(record); }) steps.unknown(record);
      continue;
    }
    const record_effect effect = process_efis_record(ctx, record);
    ctx.follow.take(record, effect, ctx.summary);
    if constexpr (requires { steps.after_dispatch(record, effect); }) steps.after_dispatch(record, effect);
    if constexpr (requires { steps.finished(); }) {
      if (steps.finished()) break;
    }
  }
  ctx.reader.stop_reading();
}
