#include "decode/source_table.h"

#include "decode/gps_ahead.h"
#include "decoders/gps/assembly.h"

namespace {

// ---- What the dispatch does with a record ------------------------------------------------------

// The bytes a cache slot takes from a record: its own, zeros past its length.
payload_image_source own_bytes(const efis_record& record) { return {record.payload, record.length}; }

// Sources that are only logged: nothing to feed, nothing done.
record_effect dispatch_logged_only(decode_context&, const efis_record&) { return {}; }

record_effect dispatch_eis(decode_context& ctx, const efis_record& record) {
  ctx.summary.eis.store(record.timestamp, record.length, own_bytes(record));
  return {false, cache_slot::eis, -1, record.length < eis_layout::size};
}

record_effect dispatch_analog(decode_context& ctx, const efis_record& record) {
  ctx.summary.analog.store(record.timestamp, record.length, own_bytes(record));
  return {false, cache_slot::analog, -1, record.length < analog_layout::size};
}

record_effect dispatch_gps_1(decode_context& ctx, const efis_record& record) {
  record_effect effect;
  const bool new_fix = ctx.gps != nullptr ? ctx.gps->take(0, record, ctx.summary.gps_1, ctx.summary.gps_2)
                                          : process_gps_entry(record.payload, record.length, &ctx.summary.gps_1);
  if (new_fix) effect.new_fix_port = 0;
  return effect;
}

record_effect dispatch_gps_2(decode_context& ctx, const efis_record& record) {
  record_effect effect;
  const bool new_fix = ctx.gps != nullptr ? ctx.gps->take(1, record, ctx.summary.gps_2, ctx.summary.gps_1)
                                          : process_gps_entry(record.payload, record.length, &ctx.summary.gps_2);
  if (new_fix) effect.new_fix_port = 1;
  return effect;
}

record_effect dispatch_set_menu(decode_context& ctx, const efis_record& record) {
  const set_menu_values& v = ctx.summary.set_menu = decode_set_menu(record.payload, record.length);
  if (const std::optional<std::int32_t> whole = v.whole_value()) {
    engine_settings& s = ctx.summary.settings;
    switch (v.id) {
      case set_menu_temperature_units: s.temperature_units = *whole; break;
      case set_menu_fluid_units: s.fluid_units = *whole; break;
      case set_menu_cylinders: s.cylinders = *whole; break;
      default: break;
    }
  }
  return {false, cache_slot::set_menu, -1, false};
}

using o = library_options;

}  // namespace

const std::array<source_row, last_source_type> source_table = {{
    {source_ahrs, "AHRS_Input", &o::ahrs, dispatch_ahrs},
    {source_eis, "EIS_Input", &o::eis, dispatch_eis},
    {source_gps_1, "GPS1_Input", &o::gps_1, dispatch_gps_1},
    {source_analog, "ANALOG_Input", &o::analog, dispatch_analog},
    {source_sl30_1, "SL30_1_Input", &o::sl30_1, dispatch_logged_only},
    {source_sl30_2, "SL30_2_Input", &o::sl30_2, dispatch_logged_only},
    {source_set_menu, "Set_Menu", &o::set_menu, dispatch_set_menu},
    {source_state, "State", &o::state, dispatch_logged_only},
    {source_arinc, "ARINC_Input", &o::arinc, dispatch_logged_only},
    {source_weather, "Weather_Input", &o::weather, dispatch_logged_only},
    {source_gps_2, "GPS2_Input", &o::gps_2, dispatch_gps_2},
    {source_sl40, "SL40_Input", &o::sl40, dispatch_logged_only},
}};

bool options_select_records(const library_options& options) {
  if (options.ahrs_hr != 0 || options.ahrs_lr != 0) return true;
  for (const source_row& row : source_table) {
    if (options.*row.option != 0) return true;
  }
  return false;
}

std::string_view enum_value_source_type(std::uint32_t type) {
  if (is_known_source_type(type)) return source_row_of(type).name;
  return type == source_summary ? "Summary Record" : "Unknown";
}
