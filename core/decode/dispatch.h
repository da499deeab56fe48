// The record dispatch: selection by the options and the update of the latest-value cache.
#pragma once

#include "decode/decode_context.h"
#include "decode/record_effect.h"
#include "decode/source_table.h"
#include "records/efis_record.h"

// For a record of a known source type: marks it selected by the options and feeds the cache,
// the GPS assembly or the settings, whether it is selected or not. Returns what it did. An AHRS
// record (most of a LOG's) goes straight to its dispatch, without the table.
inline record_effect process_efis_record(decode_context& ctx, const efis_record& record) {
  if (record.source_type == source_ahrs) {
    record_effect effect = dispatch_ahrs(ctx, record);
    if (ctx.options.ahrs != 0) effect.selected = true;
    return effect;
  }
  const source_row& row = source_row_of(record.source_type);
  record_effect effect = row.dispatch(ctx, record);
  if (ctx.options.*row.option != 0) effect.selected = true;
  return effect;
}
