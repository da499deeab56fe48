#include "fuzz/log_checks.h"

#include <libxml/parser.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

#include "analysis/flight_timeline.h"
#include "fuzz/document_checks.h"
#include "fuzz/log_source.h"
#include "orvexdecode.h"

namespace {

enum class entry_point { xml, kml, frc, frc_binary };

const char* name_of(entry_point e) {
  switch (e) {
    case entry_point::xml: return "XML";
    case entry_point::kml: return "KML";
    case entry_point::frc: return "FRC";
    case entry_point::frc_binary: return "FRC binary";
  }
  return "?";
}

struct pass_output {
  int result = -1;
  std::string bytes;
  bool opened = false;
};

// The flight time line's context, made once.
decode_context* analysis_context() {
  static decode_context* context = OrvexDecode_context_new();
  return context;
}

FILE* debug_sink() {
  static FILE* sink = std::fopen("/dev/null", "w");
  return sink;
}

pass_output run_pass(entry_point e, const library_options& options, const std::uint8_t* data,
                     std::size_t size, bool chunked) {
  static const analog_input_const constants = OrvexDecode_default_constants();
  pass_output pass;
  log_source source{data, size, 0, chunked, size > 0 ? data[0] % 7u + 1 : 1u};
  FILE* input = open_log(source);
  char* text = nullptr;
  std::size_t length = 0;
  FILE* output = open_memstream(&text, &length);
  if (input != nullptr && output != nullptr) {
    pass.opened = true;
    switch (e) {
      case entry_point::xml:
        pass.result = OrvexDecode_LOG_to_XML(&constants, &options, input, output, debug_sink(), "fuzz.LOG");
        break;
      case entry_point::kml:
        pass.result = OrvexDecode_LOG_to_KML(&constants, &options, input, output, debug_sink(), "fuzz.LOG");
        break;
      case entry_point::frc:
        pass.result = OrvexDecode_LOG_to_FRC(&constants, &options, input, output, debug_sink());
        break;
      case entry_point::frc_binary:
        pass.result = OrvexDecode_LOG_to_FRC_binary(&constants, &options, input, output, debug_sink());
        break;
    }
  }
  if (input != nullptr) std::fclose(input);
  if (output != nullptr) std::fclose(output);
  if (text != nullptr) pass.bytes.assign(text, length);
  std::free(text);
  return pass;
}

// The decode time differs between two passes a second apart: blank the 24 characters after
// the marker that precedes it.
void mask_decode_time(std::string& doc, std::string_view marker) {
  const std::size_t at = doc.find(marker);
  if (at == std::string::npos) return;
  const std::size_t start = at + marker.size();
  for (std::size_t i = start; i < start + 24 && i < doc.size(); ++i) doc[i] = '#';
}

void mask_decode_times(std::string& doc) {
  mask_decode_time(doc, "decode_timestamp=\"");
  mask_decode_time(doc, "Generated info ");
}

std::string describe(const char* pass, int gps_format, const char* what) {
  return std::string(pass) + " pass, GPS format " + std::to_string(gps_format) + ": " + what;
}

// Every source selected, verbose and debug, both GPS ports in one format.
library_options options_for(int gps_format) {
  library_options options = OrvexDecode_default_options();
  for (std::int32_t* source :
       {&options.ahrs, &options.ahrs_hr, &options.ahrs_lr, &options.eis, &options.gps_1, &options.gps_2,
        &options.analog, &options.set_menu, &options.state, &options.arinc, &options.weather, &options.sl30_1,
        &options.sl30_2, &options.sl40, &options.verbose, &options.debug}) {
    *source = 1;
  }
  options.gps_1_type = gps_format;
  options.gps_2_type = gps_format;
  return options;
}

// One entry point over the LOG read whole and read in pieces; the document read whole, its
// decode time masked, goes to *document.
std::string check_pass(entry_point e, int gps_format, const std::uint8_t* data, std::size_t size,
                       std::string* document) {
  const char* const pass = name_of(e);
  const library_options options = options_for(gps_format);
  pass_output whole = run_pass(e, options, data, size, false);
  if (!whole.opened) return describe(pass, gps_format, "the streams could not be opened");
  if (whole.result < 0) return describe(pass, gps_format, "negative result");
  if ((e == entry_point::xml || e == entry_point::kml) && !parses_as_xml(whole.bytes)) {
    return describe(pass, gps_format, "the document is not well-formed");
  }
  pass_output pieces = run_pass(e, options, data, size, true);
  if (pieces.result < 0) return describe(pass, gps_format, "negative result when read in pieces");
  mask_decode_times(whole.bytes);
  mask_decode_times(pieces.bytes);
  if (whole.bytes != pieces.bytes) return describe(pass, gps_format, "read in pieces it gives other bytes");
  *document = std::move(whole.bytes);
  return "";
}

// The XML report and the KML path from one read of the LOG, in pieces: the same two documents
// as the XML and KML passes.
std::string check_xml_and_kml_pass(int gps_format, const std::uint8_t* data, std::size_t size,
                                   const std::string& xml, const std::string& kml) {
  static const analog_input_const constants = OrvexDecode_default_constants();
  const library_options options = options_for(gps_format);
  log_source source{data, size, 0, true, size > 0 ? data[0] % 7u + 1 : 1u};
  FILE* input = open_log(source);
  char* text[2] = {nullptr, nullptr};
  std::size_t length[2] = {0, 0};
  FILE* xml_output = open_memstream(&text[0], &length[0]);
  FILE* kml_output = open_memstream(&text[1], &length[1]);
  int result = -1;
  const bool opened = input != nullptr && xml_output != nullptr && kml_output != nullptr;
  if (opened) {
    result = OrvexDecode_LOG_to_XML_and_KML(&constants, &options, input, xml_output, kml_output, debug_sink(),
                                            "fuzz.LOG");
  }
  for (FILE* f : {input, xml_output, kml_output}) {
    if (f != nullptr) std::fclose(f);
  }
  std::string documents[2];
  for (int i = 0; i < 2; ++i) {
    if (text[i] != nullptr) documents[i].assign(text[i], length[i]);
    std::free(text[i]);
    mask_decode_times(documents[i]);
  }
  const char* const pass = "XML and KML";
  if (!opened) return describe(pass, gps_format, "the streams could not be opened");
  if (result < 0) return describe(pass, gps_format, "negative result");
  if (documents[0] != xml) return describe(pass, gps_format, "the XML differs from the XML pass");
  if (documents[1] != kml) return describe(pass, gps_format, "the KML differs from the KML pass");
  return "";
}

// The flight time line reads the LOG to its end whatever it holds: its counts agree with each
// other and with the same LOG read a few bytes at a time.
std::string check_analysis_pass(int gps_format, const std::uint8_t* data, std::size_t size) {
  std::uint64_t records[2] = {};
  std::size_t windows[2] = {};
  for (const bool chunked : {false, true}) {
    log_source source{data, size, 0, chunked, size > 0 ? data[0] % 7u + 1 : 1u};
    FILE* input = open_log(source);
    analysis_options options = default_analysis_options();
    options.decode.gps_1_type = options.decode.gps_2_type = gps_format;
    const log_summary summary = analyse_log(*analysis_context(), options, input);
    std::fclose(input);
    const reader_stats& r = summary.health.reader;
    std::uint64_t by_type = 0;
    for (const std::uint64_t n : r.by_type) by_type += n;
    if (by_type != r.records) return describe("analysis", gps_format, "records by type do not add up");
    if (summary.time.has_records != (r.records > 0)) return describe("analysis", gps_format, "time span without records");
    records[chunked] = r.records;
    windows[chunked] = summary.flights.size() + summary.ground_runs.size();
  }
  if (records[0] != records[1] || windows[0] != windows[1]) {
    return describe("analysis", gps_format, "a LOG read a few bytes at a time gives other figures");
  }
  return "";
}

}  // namespace

std::string check_every_entry_point(const std::uint8_t* input, std::size_t input_size) {
  static const bool parser_ready = (xmlInitParser(), true);
  (void)parser_ready;
  const std::string_view whole(reinterpret_cast<const char*>(input), input_size);
  const std::size_t marker = whole.rfind(settings_marker);
  const std::uint8_t* const data = input;
  const std::size_t size = marker == std::string_view::npos ? input_size : marker;
  const std::string_view settings = marker == std::string_view::npos ? "" : whole.substr(marker + settings_marker.size());
  for (const int gps_format : {1, 2, 3}) {
    std::string documents[4];
    const entry_point passes[4] = {entry_point::xml, entry_point::kml, entry_point::frc, entry_point::frc_binary};
    for (int i = 0; i < 4; ++i) {
      std::string failure = check_pass(passes[i], gps_format, data, size, &documents[i]);
      if (!failure.empty()) return failure;
    }
    std::string failure = check_xml_and_kml_pass(gps_format, data, size, documents[0], documents[1]);
    if (failure.empty()) failure = check_analysis_pass(gps_format, data, size);
    if (!failure.empty()) return failure;
  }
  return check_every_document(std::span(data, size), settings);
}
