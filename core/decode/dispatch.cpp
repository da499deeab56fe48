#include "decode/dispatch.h"

#include "decode/source_table.h"

bool process_efis_record(decode_context& ctx, const efis_record& record, payload_image_source image) {
  const source_row& row = source_row_of(record.source_type);
  bool selected = ctx.options.*row.option != 0;
  if (row.dispatch != nullptr && row.dispatch(ctx, record, image)) selected = true;
  return selected;
}
