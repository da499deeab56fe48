// OrvexDecode_LOG_to_XML: one pass over the LOG, writing the report as records arrive.
#include "xml/xml_report.h"

#include <cstring>
#include <initializer_list>
#include <ctime>
#include <string_view>

#include "decoders/ahrs.h"
#include "decoders/analog.h"
#include "decoders/eis.h"
#include "decoders/gps_xml.h"
#include "decoders/set_menu.h"
#include "records/library_state.h"
#include "records/record_reader.h"
#include "xml/xml_escape.h"

namespace {

constexpr std::string_view lib_version = "2.25";
constexpr std::uint32_t summary_units_per_decisecond = 100;

std::string_view stored_text(const char* text, std::size_t size) {
  return {text, bounded_strlen(text, size)};
}

void print_prologue(const char* description, const decode_time_text& now) {
  output_writer& out = lib.out;
  const library_options& o = lib.options;
  out.text("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"");
  out.escaped(stored_text(o.xsl_stylesheet, sizeof o.xsl_stylesheet));
  out.text("\"?>\n<orvex_efis_decode prog=\"");
  out.escaped(stored_text(o.prog, sizeof o.prog));
  out.line(OUT_FORMAT("\" lib_version=\"{}\" decode_timestamp=\"{}\" description=\""),
           lib_version, now.text);
  out.escaped(description != nullptr ? std::string_view(description) : std::string_view());
  out.text("\">\n");
}

// A placeholder element of an undecoded source, written only in verbose mode.
int print_verbose_placeholder(std::string_view element) {
  return lib.options.verbose != 0 ? lib.out.text(element) : 0;
}

int print_gps_verbose_wrapper(std::string_view open, std::string_view close) {
  if (lib.options.verbose == 0 || lib.options.debug == 0) return 0;
  lib.out.text(open);
  return lib.out.text(close);
}

void print_selected_record(efis_record& record) {
  output_writer& out = lib.out;
  enum_value_source_type(record.source_type_desc, record.source_type);
  out.line(OUT_FORMAT("<orvex_efis_log_entry source_type=\"{:x}\" source_type_desc=\"{}\" "
                       "timestamp=\"{}\">\n"),
           record.source_type, record.source_type_desc, static_cast<std::int32_t>(record.timestamp));
  print_xml_efis_record(&record);
  out.text("</orvex_efis_log_entry>\n");
}

}  // namespace

decode_time_text current_decode_time() {
  decode_time_text now{};
  const std::time_t t = std::time(nullptr);
  char buffer[64] = {};
  if (ctime_r(&t, buffer) != nullptr) std::memcpy(now.text, buffer, 24);
  return now;
}

int print_xml_header() {
  output_writer& out = lib.out;
  const library_options& o = lib.options;
  out.text("<library_options>\n");
  out.text("\t<library_cvs revision=\"\" lib_name=\"libOrvexDecode\" lib_date=\"\"/>\n");
  out.line(OUT_FORMAT("\t<library_options_verbose>{}</library_options_verbose>\n"), o.verbose);
  out.line(OUT_FORMAT("\t<library_options_summary>{}</library_options_summary>\n"), o.summary);
  out.line(OUT_FORMAT("\t<library_options_summary_deciseconds>{}"
                       "</library_options_summary_deciseconds>\n"),
           o.summary_deciseconds);
  out.line(OUT_FORMAT("\t<library_options_ahrs>{}</library_options_ahrs>\n"), o.ahrs);
  out.line(OUT_FORMAT("\t<library_options_ahrs_hr>{}</library_options_ahrs_hr>\n"), o.ahrs_hr);
  out.line(OUT_FORMAT("\t<library_options_ahrs_lr>{}</library_options_ahrs_lr>\n"), o.ahrs_lr);
  out.line(OUT_FORMAT("\t<library_options_eis>{}</library_options_eis>\n"), o.eis);
  out.line(OUT_FORMAT("\t<library_options_analog>{}</library_options_analog>\n"), o.analog);
  out.line(OUT_FORMAT("\t<library_options_gps_1>{}</library_options_gps_1>\n"), o.gps_1);
  out.line(OUT_FORMAT("\t<library_options_gps_1_type>{}</library_options_gps_1_type>\n"),
           o.gps_1_type);
  out.line(OUT_FORMAT("\t<library_options_gps_2>{}</library_options_gps_2>\n"), o.gps_2);
  out.line(OUT_FORMAT("\t<library_options_gps_2_type>{}</library_options_gps_2_type>\n"),
           o.gps_2_type);
  out.line(OUT_FORMAT("\t<library_options_arinc>{}</library_options_arinc>\n"), o.arinc);
  out.line(OUT_FORMAT("\t<library_options_state>{}</library_options_state>\n"), o.state);
  out.line(OUT_FORMAT("\t<library_options_set_menu>{}</library_options_set_menu>\n"),
           o.set_menu);
  out.line(OUT_FORMAT("\t<library_options_sl30_1>{}</library_options_sl30_1>\n"), o.sl30_1);
  out.line(OUT_FORMAT("\t<library_options_sl30_2>{}</library_options_sl30_2>\n"), o.sl30_2);
  out.line(OUT_FORMAT("\t<library_options_sl40>{}</library_options_sl40>\n"), o.sl40);
  out.line(OUT_FORMAT("\t<library_options_weather>{}</library_options_weather>\n"), o.weather);
  out.text("\t<library_options_xsl_stylesheet>");
  out.escaped(stored_text(o.xsl_stylesheet, sizeof o.xsl_stylesheet));
  out.text("</library_options_xsl_stylesheet>\n");
  int result = out.text("\t</library_options>\n");
  if (o.verbose != 0) {
    out.text("<verbose_header>\n");
    out.text("\t\t<library_options_debug_not_available/>\n");
    result = out.text("</verbose_header>\n");
  }
  return result;
}

int print_xml_efis_record(efis_record* record) {
  swapendian_efis_record(record);
  switch (record->source_type) {
    case source_ahrs: return print_xml_ahrs_log_entry(record->payload);
    case source_eis: return print_xml_eis_log_entry(record->payload);
    case source_gps_1:
      return print_gps_verbose_wrapper("\t<gps_1_entry_verbose>\n", "\t</gps_1_entry_verbose>\n");
    case source_analog: return print_xml_analog_entry(record->payload);
    case source_sl30_1: return print_verbose_placeholder("\t<sl30_1_input_entry_verbose/>\n");
    case source_sl30_2: return print_verbose_placeholder("\t<sl30_2_input_entry_verbose/>\n");
    case source_set_menu: return print_xml_set_menu_entry(record->payload);
    case source_state: return print_verbose_placeholder("\t<state_entry_verbose/>\n");
    case source_arinc: return print_verbose_placeholder("\t<arinc_input_entry_verbose/>\n");
    case source_weather: return print_verbose_placeholder("\t<weather_entry_verbose/>\n");
    case source_gps_2:
      return print_gps_verbose_wrapper("\t<gps_2_entry_verbose>\n", "\t</gps_2_entry_verbose>\n");
    case source_sl40: return print_verbose_placeholder("\t<sl40_input_entry_verbose/>\n");
    default: return lib.out.text("\t<unknown_entry_type/>\n");
  }
}

int print_xml_summary(summary_record* summary) {
  output_writer& out = lib.out;
  out.line(OUT_FORMAT("<summary_log_entry source_type=\"ff\" source_type_desc=\"Summary_Data\" "
                       "eis_timestamp=\"{}\" ahrs_hr_timestamp=\"{}\" ahrs_lr_timestamp=\"{}\" "
                       "analog_input_timestamp=\"{}\">\n"),
           static_cast<std::int32_t>(summary->eis.timestamp),
           static_cast<std::int32_t>(summary->ahrs_hr.timestamp),
           static_cast<std::int32_t>(summary->ahrs_lr.timestamp),
           static_cast<std::int32_t>(summary->analog.timestamp));
  for (efis_record* cached : {&summary->eis, &summary->ahrs_hr, &summary->ahrs_lr, &summary->analog}) {
    if (cached->timestamp != 0) print_xml_efis_record(cached);
  }
  if (summary->gps_1.valid != 0) print_xml_gps_composite_entry("1", &summary->gps_1);
  if (summary->gps_2.valid != 0) print_xml_gps_composite_entry("2", &summary->gps_2);
  return out.text("</summary_log_entry>\n");
}

int OrvexDecode_LOG_to_XML(const analog_input_const* constants, const library_options* options,
                           FILE* input, FILE* output, FILE* debug, const char* description) {
  static efis_record record;
  static record_reader reader;
  std::memset(&record, 0, sizeof record);
  std::uint32_t summary_reference = 0;
  const decode_time_text now = current_decode_time();
  begin_pass(constants, options, input, output, debug, pass_kind::xml);
  reader.reset(input);
  const std::uint32_t summary_period =
      static_cast<std::uint32_t>(lib.options.summary_deciseconds) * summary_units_per_decisecond;

  print_prologue(description, now);
  print_xml_header();
  if (lib.options.constants != 0) print_xml_analog_constants();

  const auto take_first_reference = [&summary_reference](std::uint32_t timestamp) {
    if (summary_reference == 0) summary_reference = timestamp;
  };
  for (;;) {
    clear_efis_record(&record);
    const read_outcome outcome = reader.next(record, take_first_reference);
    if (outcome == read_outcome::end) break;
    if (outcome == read_outcome::dropped) continue;
    if (lib.options.summary != 0 && record.timestamp > summary_reference + summary_period) {
      print_xml_summary(&lib.summary);
      summary_reference = record.timestamp;
    }
    process_efis_record(&record);
    if (record.selected != 0) print_selected_record(record);
  }
  lib.out.text("</orvex_efis_decode>\n");
  return lib.out.flush();
}
