#include "report/xml/xml_sources.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "records/source_type.h"
#include "report/xml/ahrs_xml.h"
#include "report/xml/analog_xml.h"
#include "report/xml/eis_xml.h"
#include "report/xml/set_menu_xml.h"

namespace {

using print_body = int (*)(decode_context& ctx, const efis_record& record);

int print_ahrs(decode_context& ctx, const efis_record& record) {
  // Every AHRS message is shown, cached or not: the record itself is decoded, zero-padded.
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

struct xml_source_row {
  std::uint32_t type;
  print_body print;
};

constexpr std::array<xml_source_row, last_source_type> xml_sources = {{
    {source_ahrs, print_ahrs},
    {source_eis, print_eis},
    {source_gps_1, print_gps_verbose_wrapper<gps_1_open, gps_1_close>},
    {source_analog, print_analog},
    {source_sl30_1, print_verbose_placeholder<sl30_1_element>},
    {source_sl30_2, print_verbose_placeholder<sl30_2_element>},
    {source_set_menu, print_set_menu},
    {source_state, print_verbose_placeholder<state_element>},
    {source_arinc, print_verbose_placeholder<arinc_element>},
    {source_weather, print_verbose_placeholder<weather_element>},
    {source_gps_2, print_gps_verbose_wrapper<gps_2_open, gps_2_close>},
    {source_sl40, print_verbose_placeholder<sl40_element>},
}};

constexpr bool rows_follow_the_types() {
  for (std::size_t i = 0; i < xml_sources.size(); ++i) {
    if (xml_sources[i].type != i + 1) return false;
  }
  return true;
}
static_assert(rows_follow_the_types(), "the row of source type N is row N - 1");

}  // namespace

int print_xml_record_body(decode_context& ctx, const efis_record& record) {
  return xml_sources[record.source_type - 1].print(ctx, record);
}
