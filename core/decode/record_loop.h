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
//     bool only_health_left() const;             // true: nothing more to write but unknown entries
//   };
//
// Once only_health_left() holds, the rest of the LOG is only framed: the reader's counts, the
// aviation ports' buffer fill and the unknown() and dropped() steps go on, as the LOG's health
// and the document need; nothing is dispatched and the followers stand still.
#pragma once

#include "decode/decode_context.h"
#include "decode/dispatch.h"
#include "decoders/gps/assembly.h"
#include "records/source_type.h"

// The rest of a pass whose steps wrote all they will but unknown entries (see above).
template <typename Steps>
void run_health_tail(decode_context& ctx, Steps& steps) {
  efis_record record;
  for (;;) {
    const read_outcome outcome = ctx.reader.next(record);
    if (outcome == read_outcome::end) return;
    if (outcome == read_outcome::dropped) {
      if constexpr (requires { steps.dropped(record); }) steps.dropped(record);
    } else if (record.source_type == source_gps_1) {
      follow_gps_buffer_fill(record.payload, record.length, &ctx.summary.gps_1);
    } else if (record.source_type == source_gps_2) {
      follow_gps_buffer_fill(record.payload, record.length, &ctx.summary.gps_2);
    } else if (!is_known_source_type(record.source_type)) {
      if constexpr (requires { steps.unknown(record); }) steps.unknown(record);
    }
  }
}

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
    if constexpr (requires { steps.only_health_left(); }) {
      // GPS assembled on another thread hands over every record's outcome: not for the tail.
      if (steps.only_health_left() && ctx.gps == nullptr) {
        run_health_tail(ctx, steps);
        break;
      }
    }
  }
  ctx.reader.stop_reading();
}
