// One row per source type of the LOG: its name, the option that selects its records and what the
// dispatch does with each record. Dispatch and selection read this table; adding a source means
// its decoder unit, one row here and, for the XML report, one row in report/xml/xml_sources.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "decode/decode_context.h"
#include "decode/record_effect.h"
#include "records/efis_record.h"
#include "records/source_type.h"

struct source_row {
  std::uint32_t type;
  std::string_view name;                  // the source_type_desc of its records
  std::int32_t library_options::*option;  // selects every record of the type
  // Feeds a record to the cache, its GPS port or the settings and says what it did (the slot
  // filled, a new fix); selects it beyond the option where a rate has an option of its own (the
  // AHRS rates). Sources that are only logged have one that does nothing.
  record_effect (*dispatch)(decode_context& ctx, const efis_record& record);
};

extern const std::array<source_row, last_source_type> source_table;

// The AHRS row's dispatch, inline: most of a LOG's records are AHRS messages, and the read loop
// dispatches them without the call through the table. The AHRS type byte decides which slot a
// record goes to; the other AHRS messages are not kept. A slot takes the record's own bytes,
// zeros past its length.
inline record_effect dispatch_ahrs(decode_context& ctx, const efis_record& record) {
  const std::uint8_t ahrs_type = record.length > ahrs_layout::ahrs_type.offset ? ahrs_type_of(record.payload) : 0;
  if (ahrs_type == ahrs_type_high_rate) {
    ctx.summary.ahrs_hr.store(record.timestamp, record.length, {record.payload, record.length});
    return {ctx.options.ahrs_hr != 0, cache_slot::ahrs_high_rate, -1, record.length < ahrs_hr_layout::size};
  }
  if (ahrs_type == ahrs_type_low_rate) {
    ctx.summary.ahrs_lr.store(record.timestamp, record.length, {record.payload, record.length});
    return {ctx.options.ahrs_lr != 0, cache_slot::ahrs_low_rate, -1, record.length < ahrs_lr_layout::size};
  }
  return {};
}

// True when the options select the records of some source (a row's option or an AHRS rate's).
bool options_select_records(const library_options& options);

// The row of a known source type (1 to 12).
inline const source_row& source_row_of(std::uint32_t type) { return source_table[type - 1]; }

// The name of any type byte: the row's name, "Summary Record" for 255, else "Unknown".
std::string_view enum_value_source_type(std::uint32_t type);
