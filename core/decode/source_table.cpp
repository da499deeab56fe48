#include "decode/source_table.h"

#include <algorithm>
#include <cstring>

#include "report/xml/ahrs_xml.h"
#include "report/xml/analog_xml.h"
#include "report/xml/eis_xml.h"
#include "decoders/gps/assembly.h"
#include "report/xml/set_menu_xml.h"

namespace {

// ---- What the dispatch does with a record ------------------------------------------------------

// The bytes a cache slot takes from a record: its own, zeros past its length.
payload_image_source own_bytes(const efis_record& record) { return {record.payload, record.length}; }

// The AHRS type byte decides which slot a record goes to; the other AHRS messages are not kept.
record_effect dispatch_ahrs(decode_context& ctx, const efis_record& record) {
  const std::uint8_t ahrs_type = record.length > ahrs_layout::ahrs_type.offset ? ahrs_type_of(record.payload) : 0;
  if (ahrs_type == ahrs_type_low_rate) {
    ctx.summary.ahrs_lr.store(record.timestamp, record.length, own_bytes(record));
    return {ctx.options.ahrs_lr != 0, cache_slot::ahrs_low_rate, -1, record.length < ahrs_lr_layout::size};
  }
  if (ahrs_type == ahrs_type_high_rate) {
    ctx.summary.ahrs_hr.store(record.timestamp, record.length, own_bytes(record));
    return {ctx.options.ahrs_hr != 0, cache_slot::ahrs_high_rate, -1, record.length < ahrs_hr_layout::size};
  }
  return {};
}

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
  if (process_gps_entry(record.payload, record.length, &ctx.summary.gps_1)) effect.new_fix_port = 0;
  return effect;
}

record_effect dispatch_gps_2(decode_context& ctx, const efis_record& record) {
  record_effect effect;
  if (process_gps_entry(record.payload, record.length, &ctx.summary.gps_2)) effect.new_fix_port = 1;
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

// ---- How the report writes a selected record ---------------------------------------------------

int print_ahrs(decode_context& ctx, const efis_record& record) {
  // Every AHRS message is shown, cached or not: decode the record itself, zero-padded.
  std::uint8_t padded[ahrs_payload_size] = {};
  std::memcpy(padded, record.payload, std::min<std::size_t>(record.length, sizeof padded));
  return print_xml_ahrs_log_entry(ctx.out, decode_ahrs(padded), is_verbose(ctx));
}

int print_eis(decode_context& ctx, const efis_record&) {
  return print_xml_eis_log_entry(ctx.out, ctx.summary.eis.values(), is_verbose(ctx));
}

int print_analog(decode_context& ctx, const efis_record&) {
  return print_xml_analog_entry(ctx.out, ctx.summary.analog.values(), is_verbose(ctx));
}

int print_set_menu(decode_context& ctx, const efis_record&) {
  return print_xml_set_menu_entry(ctx.out, ctx.summary.set_menu, is_verbose(ctx));
}

// GPS records are shown in the summaries; a selected one leaves an empty wrapper in verbose
// debug mode.
template <const std::string_view& Open, const std::string_view& Close>
int print_gps_verbose_wrapper(decode_context& ctx, const efis_record&) {
  if (!is_verbose(ctx) || !is_debug(ctx)) return 0;
  ctx.out.text(Open);
  return ctx.out.text(Close);
}

// Sources that are logged but not decoded leave a placeholder element in verbose mode.
template <const std::string_view& Element>
int print_verbose_placeholder(decode_context& ctx, const efis_record&) {
  return is_verbose(ctx) ? ctx.out.text(Element) : 0;
}

constexpr std::string_view gps_1_open = "\t<gps_1_entry_verbose>\n";
constexpr std::string_view gps_1_close = "\t</gps_1_entry_verbose>\n";
constexpr std::string_view gps_2_open = "\t<gps_2_entry_verbose>\n";
constexpr std::string_view gps_2_close = "\t</gps_2_entry_verbose>\n";
constexpr std::string_view sl30_1_element = "\t<sl30_1_input_entry_verbose/>\n";
constexpr std::string_view sl30_2_element = "\t<sl30_2_input_entry_verbose/>\n";
constexpr std::string_view state_element = "\t<state_entry_verbose/>\n";
constexpr std::string_view arinc_element = "\t<arinc_input_entry_verbose/>\n";
constexpr std::string_view weather_element = "\t<weather_entry_verbose/>\n";
constexpr std::string_view sl40_element = "\t<sl40_input_entry_verbose/>\n";

using o = library_options;

}  // namespace

const std::array<source_row, last_source_type> source_table = {{
    {source_ahrs, "AHRS_Input", &o::ahrs, dispatch_ahrs, print_ahrs},
    {source_eis, "EIS_Input", &o::eis, dispatch_eis, print_eis},
    {source_gps_1, "GPS1_Input", &o::gps_1, dispatch_gps_1, print_gps_verbose_wrapper<gps_1_open, gps_1_close>},
    {source_analog, "ANALOG_Input", &o::analog, dispatch_analog, print_analog},
    {source_sl30_1, "SL30_1_Input", &o::sl30_1, nullptr, print_verbose_placeholder<sl30_1_element>},
    {source_sl30_2, "SL30_2_Input", &o::sl30_2, nullptr, print_verbose_placeholder<sl30_2_element>},
    {source_set_menu, "Set_Menu", &o::set_menu, dispatch_set_menu, print_set_menu},
    {source_state, "State", &o::state, nullptr, print_verbose_placeholder<state_element>},
    {source_arinc, "ARINC_Input", &o::arinc, nullptr, print_verbose_placeholder<arinc_element>},
    {source_weather, "Weather_Input", &o::weather, nullptr, print_verbose_placeholder<weather_element>},
    {source_gps_2, "GPS2_Input", &o::gps_2, dispatch_gps_2, print_gps_verbose_wrapper<gps_2_open, gps_2_close>},
    {source_sl40, "SL40_Input", &o::sl40, nullptr, print_verbose_placeholder<sl40_element>},
}};

std::string_view enum_value_source_type(std::uint32_t type) {
  if (is_known_source_type(type)) return source_row_of(type).name;
  return type == source_summary ? "Summary Record" : "Unknown";
}
