// The documents beyond the classic entry points, over one LOG: every export of the registry, the
// HTML report, the JSON and text summaries; the limits and aircraft profile the second input
// holds are checked against the flights of each.
#include <cstdlib>
#include <span>
#include <string>

#include "analysis/aircraft_profile.h"
#include "analysis/flight_local_times.h"
#include "analysis/limits.h"
#include "export/export_formats.h"
#include "export/export_request.h"
#include "export/export_run.h"
#include "fuzz/document_checks.h"
#include "fuzz/log_checks.h"
#include "fuzz/log_source.h"
#include "report/html/flight_report.h"
#include "report/summary/summary_json.h"
#include "report/summary/summary_text.h"

namespace {

// A report may hold this much beside what grows with the LOG's bytes.
constexpr std::size_t report_allowance_bytes = 1 << 20;

decode_context& document_context() {
  static decode_context* const context = OrvexDecode_context_new();
  return *context;
}

// Runs write(input, output) on the LOG (seekable, read in pieces when chunked) and returns the
// bytes written.
template <typename Write>
std::string written_by(std::span<const std::uint8_t> log, bool chunked, Write write) {
  log_source source{log.data(), log.size()};
  source.chunked = chunked;
  FILE* input = open_log(source);
  char* text = nullptr;
  std::size_t length = 0;
  FILE* output = open_memstream(&text, &length);
  if (input == nullptr || output == nullptr) std::abort();
  write(input, output);
  std::fclose(input);
  std::fclose(output);
  std::string bytes(text, length);
  std::free(text);
  return bytes;
}

std::string check_document(const export_format& format, const std::string& doc) {
  if (format.extension == ".csv") return csv_cell_count_error(doc);
  if (format.extension == ".gpx") return gpx_error(doc);
  if (format.extension == ".kml") return parses_as_xml(doc) ? "" : "the KML is not well-formed";
  if (format.extension == ".json") return json_summary_error(doc);
  return "";
}

std::string check_exports(std::span<const std::uint8_t> log, int gps_format) {
  export_request request = default_export_request();
  request.decode.gps_1_type = gps_format;
  request.local_time = gps_format == ORVEX_GPS_FORMAT_NMEA;
  for (const export_format& format : export_formats()) {
    const std::string name(format.name);
    export_result result;
    const std::string doc = written_by(log, gps_format == ORVEX_GPS_FORMAT_AVIATION, [&](FILE* in, FILE* out) {
      if (format.is_per_log()) {
        result = export_log(format, document_context(), request, in, out);
      } else {
        const export_input input{in, "fuzz.LOG"};
        result = export_flights(format, document_context(), request, std::span(&input, 1), out);
      }
    });
    if (result.write_failed) return name + " export: a write failed";
    if (!result.error.empty()) continue;  // the LOG can't give this document (no GPS time for a flight)
    if (std::string e = check_document(format, doc); !e.empty()) return name + " export: " + e;
  }
  return "";
}

std::string check_report(std::span<const std::uint8_t> log, const analysis_options& analysis, bool first_flight) {
  flight_report_request request;
  request.analysis = analysis;
  request.log_name = "fuzz.LOG";
  if (first_flight) {
    request.window.flight = 1;
    request.window_label = "flight 1";
  }
  flight_report_result result;
  const std::string page = written_by(log, first_flight, [&](FILE* in, FILE* out) {
    result = write_flight_report(document_context(), request, in, out);
  });
  if (result.status == flight_report_status::write_failed) return "report: a write failed";
  if (result.status != flight_report_status::written) return "";
  if (page.size() > report_allowance_bytes + log.size()) {
    return "report: " + std::to_string(page.size()) + " bytes for a LOG of " + std::to_string(log.size());
  }
  if (std::string e = html_markup_error(page); !e.empty()) return "report: " + e;
  return "";
}

std::string check_summaries(std::span<const std::uint8_t> log, const analysis_options& analysis) {
  log_summary summary;
  written_by(log, false, [&](FILE* in, FILE*) { summary = analyse_log(document_context(), analysis, in); });
  give_flights_local_times(summary, nullptr);
  static output_writer out;  // its buffer is large
  std::string json;
  std::string text;
  out.attach(json);
  write_summary_json(out, "fuzz.LOG", summary, analysis);
  out.flush();
  out.attach(text);
  write_summary_text(out, "fuzz.LOG", summary);
  out.flush();
  out.attach(nullptr);
  if (std::string e = json_summary_error(json); !e.empty()) return "JSON summary: " + e;
  return "";
}

}  // namespace

std::string check_every_document(std::span<const std::uint8_t> log, std::string_view settings) {
  analysis_options analysis = default_analysis_options();
  if (!settings.empty()) {
    const limits_parse_result limits = parse_limits(settings);
    if (limits.ok()) analysis.limits = limits.limits;
    aircraft_profile profile = analysis.profile;
    if (read_aircraft_profile(settings, profile).ok()) analysis.profile = profile;
  }
  // One GPS format per input, chosen by its size, keeps the documents' pass quick.
  const int gps_format = static_cast<int>(log.size() % 3) + 1;
  analysis.decode.gps_1_type = gps_format;
  std::string failure = check_exports(log, gps_format);
  if (failure.empty()) failure = check_report(log, analysis, gps_format == ORVEX_GPS_FORMAT_NMEA);
  if (failure.empty()) failure = check_summaries(log, analysis);
  return failure;
}
