// The read loop every pass runs: each record read whole goes through the pass's steps around
// the dispatch into the latest-value cache.
//
//   struct steps {
//     void dropped(const efis_record&);          // length 0 or oversized: header fields only
//     void before_dispatch(const efis_record&);  // the cache as it stood before the record
//     payload_image_source image(const efis_record&);  // the bytes cache slots take
//     void unknown(const efis_record&);          // a type the LOG format does not define
//     void after_dispatch(const efis_record&, bool selected);
//     bool finished() const;                     // optional: true ends the loop early
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
      steps.dropped(record);
      continue;
    }
    steps.before_dispatch(record);
    if (!is_known_source_type(record.source_type)) {
      steps.unknown(record);
      continue;
    }
    const bool selected = process_efis_record(ctx, record, steps.image(record));
    steps.after_dispatch(record, selected);
    if constexpr (requires { steps.finished(); }) {
      if (steps.finished()) break;
    }
  }
  ctx.reader.stop_reading();
}
