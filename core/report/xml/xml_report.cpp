// The XML report: one pass over the LOG, writing the report as records arrive.
#include "report/xml/xml_report.h"

#include <string_view>

#include "decode/source_table.h"
#include "report/xml/ahrs_xml.h"
#include "report/xml/analog_xml.h"
#include "report/xml/eis_xml.h"
#include "report/xml/gps_xml.h"
#include "report/xml/xml_sources.h"
#include "text/decode_time.h"
#include "text/stored_text.h"

namespace {

constexpr std::uint32_t summary_units_per_decisecond = 100;

void print_prologue(decode_context& ctx, const char* description, const decode_time_text& now) {
  output_writer& out = ctx.out;
  const library_options& o = ctx.options;
  out.text("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<?xml-stylesheet type=\"text/xsl\" href=\"");
  out.escaped(stored_text(o.xsl_stylesheet));
  out.text("\"?>\n<orvex_efis_decode prog=\"");
  out.escaped(stored_text(o.prog));
  out.line(OUT_FORMAT("\" lib_version=\"{}\" decode_timestamp=\"{}\" description=\""),
           std::string_view(ORVEXDECODE_VERSION), now.view());
  out.escaped(description != nullptr ? std::string_view(description) : std::string_view());
  out.text("\">\n");
}

}  // namespace

void xml_report_steps::unknown(const efis_record&) { ctx.out.text("\t<unknown_entry_type/>\n"); }

xml_report_steps begin_xml_report(decode_context& ctx, const char* description, const decode_time_text& now) {
  print_prologue(ctx, description, now);
  print_xml_header(ctx);
  if (ctx.options.constants != 0) print_xml_analog_constants(ctx.out, ctx.constants);
  const auto period = static_cast<std::uint32_t>(ctx.options.summary_deciseconds) * summary_units_per_decisecond;
  xml_report_steps steps{ctx, ctx.options.summary != 0, period, 0};
  steps.records_selected = options_select_records(ctx.options);
  return steps;
}

int end_xml_report(decode_context& ctx) {
  ctx.out.text("</orvex_efis_decode>\n");
  return ctx.out.flush();
}

int print_xml_header(decode_context& ctx) {
  output_writer& out = ctx.out;
  const library_options& o = ctx.options;
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
  out.line(OUT_FORMAT("\t<library_options_gps_1_type>{}</library_options_gps_1_type>\n"), o.gps_1_type);
  out.line(OUT_FORMAT("\t<library_options_gps_2>{}</library_options_gps_2>\n"), o.gps_2);
  out.line(OUT_FORMAT("\t<library_options_gps_2_type>{}</library_options_gps_2_type>\n"), o.gps_2_type);
  out.line(OUT_FORMAT("\t<library_options_arinc>{}</library_options_arinc>\n"), o.arinc);
  out.line(OUT_FORMAT("\t<library_options_state>{}</library_options_state>\n"), o.state);
  out.line(OUT_FORMAT("\t<library_options_set_menu>{}</library_options_set_menu>\n"), o.set_menu);
  out.line(OUT_FORMAT("\t<library_options_sl30_1>{}</library_options_sl30_1>\n"), o.sl30_1);
  out.line(OUT_FORMAT("\t<library_options_sl30_2>{}</library_options_sl30_2>\n"), o.sl30_2);
  out.line(OUT_FORMAT("\t<library_options_sl40>{}</library_options_sl40>\n"), o.sl40);
  out.line(OUT_FORMAT("\t<library_options_weather>{}</library_options_weather>\n"), o.weather);
  out.text("\t<library_options_xsl_stylesheet>");
  out.escaped(stored_text(o.xsl_stylesheet));
  out.text("</library_options_xsl_stylesheet>\n");
  int result = out.text("\t</library_options>\n");
  if (o.verbose != 0) {
    out.text("<verbose_header>\n");
    out.text("\t\t<library_options_debug_not_available/>\n");
    result = out.text("</verbose_header>\n");
  }
  return result;
}

int print_selected_record(decode_context& ctx, const efis_record& record) {
  output_writer& out = ctx.out;
  out.line(OUT_FORMAT("<orvex_efis_log_entry source_type=\"{:x}\" source_type_desc=\"{}\" timestamp=\"{}\">\n"),
           record.source_type, enum_value_source_type(record.source_type), static_cast<std::int32_t>(record.timestamp));
  print_xml_record_body(ctx, record);
  return out.text("</orvex_efis_log_entry>\n");
}

int xml_report_steps::print_summary() {
  output_writer& out = ctx.out;
  summary_record& s = ctx.summary;
  const bool verbose = is_verbose(ctx);
  out.line(OUT_FORMAT("<summary_log_entry source_type=\"ff\" source_type_desc=\"Summary_Data\" "
                      "eis_timestamp=\"{}\" ahrs_hr_timestamp=\"{}\" ahrs_lr_timestamp=\"{}\" "
                      "analog_input_timestamp=\"{}\">\n"),
           static_cast<std::int32_t>(s.eis.timestamp()), static_cast<std::int32_t>(s.ahrs_hr.timestamp()),
           static_cast<std::int32_t>(s.ahrs_lr.timestamp()), static_cast<std::int32_t>(s.analog.timestamp()));
  if (s.eis.received()) print_xml_eis_log_entry(out, s.eis.values(), verbose);
  if (s.ahrs_hr.received()) print_xml_ahrs_log_entry(out, s.ahrs_hr.values(), verbose);
  if (s.ahrs_lr.received()) print_xml_ahrs_log_entry(out, s.ahrs_lr.values(), verbose);
  if (s.analog.received()) print_xml_analog_entry(out, s.analog.values(), verbose);
  const gps_composite_state* const ports[2] = {&s.gps_1, &s.gps_2};
  for (int p = 0; p < 2; ++p) {
    if (!gps_fix_to_show[p]) continue;
    print_xml_gps_composite_entry(out, p == 0 ? "1" : "2", *ports[p], verbose, is_debug(ctx));
    if (ports[p]->format == gps_format_nmea) gps_fix_to_show[p] = false;
  }
  return out.text("</summary_log_entry>\n");
}
