// Record selection, the latest-value cache and the record-level byte-order conversion.
#include <algorithm>
#include <cstring>

#include "decoders/ahrs.h"
#include "decoders/analog.h"
#include "decoders/eis.h"
#include "decoders/gps_assembly.h"
#include "decoders/set_menu.h"
#include "records/library_state.h"

namespace {

// The option that selects every record of a type (AHRS rates are tested on top of it).
std::int32_t selecting_flag(std::uint32_t type) {
  const library_options& o = lib.options;
  switch (type) {
    case source_ahrs: return o.ahrs;
    case source_eis: return o.eis;
    case source_gps_1: return o.gps_1;
    case source_analog: return o.analog;
    case source_sl30_1: return o.sl30_1;
    case source_sl30_2: return o.sl30_2;
    case source_set_menu: return o.set_menu;
    case source_state: return o.state;
    case source_arinc: return o.arinc;
    case source_weather: return o.weather;
    case source_gps_2: return o.gps_2;
    case source_sl40: return o.sl40;
    default: return 0;
  }
}

std::size_t payload_bytes_in_use(const efis_record& record) {
  const std::size_t read = record.length <= raw_payload_size ? record.length : 0;
  return std::max(read, decoded_payload_extent(record.source_type));
}

// A cached record is a copy taken before any byte-order conversion. A slot only ever holds
// records of its own kind, so copying the bytes such a record can use (its header, flags and
// the payload bytes its decoder reads) leaves the slot equal to a whole copy in everything
// that is read from it. (The AHRS type name that rendering writes into a cached entry is
// written again before every read.)
void cache(efis_record& slot, const efis_record& record) {
  slot.source_type = record.source_type;
  slot.timestamp = record.timestamp;
  slot.length = record.length;
  std::memcpy(slot.payload, record.payload, payload_bytes_in_use(record));
  slot.swapped = record.swapped;
  slot.selected = record.selected;
  std::memcpy(slot.raw, record.raw, std::min<std::size_t>(record.length, raw_payload_size));
}

}  // namespace

std::size_t decoded_payload_extent(std::uint32_t source_type) {
  switch (source_type) {
    case source_ahrs: return ahrs_log_entry::sub_payload + ahrs_largest_sub_payload;
    case source_eis: return eis_log_entry::size;
    case source_analog: return analog_entry_size;
    case source_set_menu: return set_menu_entry_size;
    default: return 0;
  }
}

void clear_efis_record(efis_record* record) {
  std::memset(record->payload, 0, payload_bytes_in_use(*record));
  std::memset(record->raw, 0, std::min<std::size_t>(record->length, raw_payload_size));
  if (record->selected != 0) {
    std::memset(record->source_type_desc, 0, sizeof record->source_type_desc);
    // Rendering names the AHRS type in the entry, past the sub-payload.
    if (record->source_type == source_ahrs) {
      std::memset(record->payload + ahrs_log_entry::ahrs_type_desc, 0, ahrs_log_entry::ahrs_type_desc_size);
    }
  }
  record->source_type = 0;
  record->timestamp = 0;
  record->length = 0;
  record->swapped = 0;
  record->selected = 0;
}

void process_efis_record(efis_record* record) {
  const std::uint32_t type = record->source_type;
  if (type == 0 || type > source_sl40) {
    if (lib.pass == pass_kind::xml) lib.out.text("\t<unknown_entry_type/>\n");
    return;
  }
  if (selecting_flag(type) != 0) record->selected = 1;
  summary_record& cache_slots = lib.summary;
  switch (type) {
    case source_ahrs: {
      // The AHRS type is a single byte, so it is read before any conversion.
      const std::uint8_t ahrs_type = record->payload[ahrs_type_offset];
      if (ahrs_type == ahrs_type_low_rate) {
        if (lib.options.ahrs_lr != 0) record->selected = 1;
        cache(cache_slots.ahrs_lr, *record);
      } else if (ahrs_type == ahrs_type_high_rate) {
        if (lib.options.ahrs_hr != 0) record->selected = 1;
        cache(cache_slots.ahrs_hr, *record);
      }
      break;
    }
    case source_eis: cache(cache_slots.eis, *record); break;
    case source_analog: cache(cache_slots.analog, *record); break;
    case source_gps_1: process_gps_entry(record, &cache_slots.gps_1); break;
    case source_gps_2: process_gps_entry(record, &cache_slots.gps_2); break;
    case source_set_menu: process_set_menu_entry(record->payload, record->length); break;
    default: break;
  }
}

efis_record* swapendian_efis_record(efis_record* record) {
  if (record->swapped != 0) return record;
  switch (record->source_type) {
    case source_ahrs: swapendian_ahrs_log_entry(record->payload); break;
    case source_eis: swapendian_eis_log_entry(record->payload); break;
    case source_analog: swapendian_analog_entry(record->payload); break;
    default: break;
  }
  record->swapped = 1;
  return record;
}
