// OrvexDecode_LOG_to_XML_and_KML: the XML report and the KML flight path from one read of the
// LOG. One framing, one dispatch and one GPS assembly serve both: the report's steps write as
// records arrive, the path's steps sample their candidates beside them, and the KML document is
// written once the LOG has ended.
#include <memory>
#include <new>

#include "api/public_call.h"
#include "decode/record_loop.h"
#include "path/kml.h"
#include "path/summary_path.h"
#include "report/xml/xml_report.h"

namespace {

struct report_and_path_steps {
  xml_report_steps& report;
  path_steps& path;

  void dropped(const efis_record& record) { report.dropped(record); }
  void before_dispatch(const efis_record& record) {
    report.before_dispatch(record);
    path.before_dispatch(record);
  }
  void unknown(const efis_record& record) { report.unknown(record); }
  void after_dispatch(const efis_record& record, const record_effect& effect) {
    report.after_dispatch(record, effect);
    path.after_dispatch(record, effect);
  }
  bool only_health_left() const { return report.only_health_left() && path.only_health_left(); }
};

int run_xml_and_kml(decode_context& ctx, const analog_input_const* constants, const library_options* options,
                    FILE* input, FILE* xml_output, FILE* kml_output, const char* description) {
  const decode_time_text now = current_decode_time();
  path_point* const points = own_summary_path();
  const std::unique_ptr<output_writer> kml(new (std::nothrow) output_writer);
  if (points == nullptr || kml == nullptr) return -1;
  begin_pass(ctx, constants, options, input, xml_output);
  xml_report_steps report = begin_xml_report(ctx, description, now);
  path_steps path(ctx, points, summary_path_capacity);
  report_and_path_steps steps{report, path};
  run_record_loop(ctx, steps);
  const int xml_result = end_xml_report(ctx);
  const summary_path_result result = end_summary_path(path);
  note_path_point_limit(ctx, result.point_limit_reached);
  kml->attach(kml_output);
  print_kml_document(*kml, points, result.count, now, description);
  const int kml_result = kml->flush();
  return xml_result < 0 || kml_result < 0 ? -1 : 0;
}

}  // namespace

int OrvexDecode_context_LOG_to_XML_and_KML(decode_context* context, const analog_input_const* constants,
                                           const library_options* options, FILE* input, FILE* xml_output,
                                           FILE* kml_output, FILE* /*debug*/, const char* description) {
  return run_public_conversion(context, constants, options, {input, xml_output, kml_output},
                               [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                 return run_xml_and_kml(ctx, c, o, input, xml_output, kml_output, description);
                               });
}

int OrvexDecode_LOG_to_XML_and_KML(const analog_input_const* constants, const library_options* options, FILE* input,
                                   FILE* xml_output, FILE* kml_output, FILE* /*debug*/, const char* description) {
  return run_classic_conversion(constants, options, {input, xml_output, kml_output},
                                [&](decode_context& ctx, const analog_input_const* c, const library_options* o) {
                                  return run_xml_and_kml(ctx, c, o, input, xml_output, kml_output, description);
                                });
}
