// The record dispatch: selection by the options and the update of the latest-value cache.
#pragma once

#include "decode/decode_context.h"
#include "decode/source_table.h"
#include "records/efis_record.h"

// For a record of a known source type: marks it selected by the options and feeds the cache,
// the GPS assembly or the settings, whether it is selected or not. Cache slots take their bytes
// from image. Returns whether the record is selected.
inline bool process_efis_record(decode_context& ctx, const efis_record& record, payload_image_source image) {
  const source_row& row = source_row_of(record.source_type);
  bool selected = ctx.options.*row.option != 0;
  if (row.dispatch != nullptr && row.dispatch(ctx, record, image)) selected = true;
  return selected;
}

// The image source of the XML pass: the record's own bytes, zeros past its length.
inline payload_image_source own_bytes(const efis_record& record) { return {record.payload, record.length}; }
