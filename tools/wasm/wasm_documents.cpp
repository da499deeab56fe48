// The library as a WebAssembly module (a WASI reactor) for JavaScript, in Node or in a page.
//
// The LOG comes in and the documents go out through functions the host gives the module, so the
// host decides where the bytes live (a file in Node, a dropped file in a page) and the module's
// memory stays flat in the LOG's size. Imports, module "orvex_host":
//   read(buffer, size)          bytes read into buffer; 0 at the end of the LOG, -1 on a read error
//   seek(offset, whence)        the new position (whence as fseek's), -1 when the LOG can't be
//                               positioned (a conversion that reads the LOG twice rewinds it)
//   write(stream, data, size)   0, or -1 when the write failed; stream 1 is the document, stream 2
//                               the second document of a run that writes two (the KML beside the XML)
// Debug text and the warnings of data the LOG lost go to WASI's standard error, as the command
// line front ends write them.
//
// Exports: malloc and free; orvex_version(); orvex_options_new() (the command line's defaults, for free());
// orvex_option_offset(name) (where a field of library_options lies, for the host to set it);
// one function per document, taking the options and the description (the LOG's name in the
// XML and KML): it returns 0, or the orvex_failure bits of what went wrong; then
// orvex_last_health() and orvex_print_loss_warnings(path_document) tell what the LOG lost, and
// orvex_not_a_log_reason() why the input was not a LOG (NULL when it was). The report, the
// summary and the exports go through the C API's document calls: orvex_document_options_new(),
// orvex_document_option() and orvex_document_file() fill their options, orvex_document_check()
// checks the profile, limits, zone and airports named, and orvex_last_result() tells the outcome.
//
// Files the library opens itself (an airport table, the time zones of $TZDIR or
// /usr/share/zoneinfo) are read through WASI: the host preopens the folders that hold them and
// names its working folder with orvex_working_folder() for relative paths.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "decode/utc_clock.h"
#include "loss_warnings.h"
#include "orvexdecode.h"
#include "sampling/log_window.h"
#include "text/float_from_chars.h"

#define ORVEX_EXPORT(name) extern "C" __attribute__((export_name(#name)))
#define ORVEX_IMPORT(name) extern "C" __attribute__((import_module("orvex_host"), import_name(#name)))

ORVEX_IMPORT(read) std::int32_t host_read(void* buffer, std::int32_t size);
ORVEX_IMPORT(seek) std::int64_t host_seek(std::int64_t offset, std::int32_t whence);
ORVEX_IMPORT(write) std::int32_t host_write(std::int32_t stream, const void* data, std::int32_t size);

// What the C and C++ runtimes of WASI lack. 128-bit division in the compiler's builtins checks
// its stack against a guard the C library does not define. The C++ runtime, built without
// threads, has no destructors at thread exit: the one thread's end is the module's end.
extern "C" {
std::uintptr_t __stack_chk_guard = 0x2f5b1ad3;
void __stack_chk_fail(void) { std::abort(); }
int __cxa_atexit(void (*destructor)(void*), void* object, void* module_handle);
int __cxa_thread_atexit(void (*destructor)(void*), void* object, void* module_handle) {
  return __cxa_atexit(destructor, object, module_handle);
}
}

namespace {

enum orvex_failure : std::int32_t {
  input_failed = 1,          // a read of the LOG failed: the documents are cut short
  output_failed = 2,         // a write of stream 1 failed
  second_output_failed = 4,  // a write of stream 2 failed
  out_of_memory = 8,         // no document was written
};

// The host's streams as C streams, the form the library reads and writes.
ssize_t read_host(void*, char* buffer, std::size_t size) {
  const std::size_t most = 1u << 30;
  return host_read(buffer, static_cast<std::int32_t>(size < most ? size : most));
}

int seek_host(void*, off_t* offset, int whence) {
  const std::int64_t at = host_seek(*offset, whence);
  if (at < 0) return -1;
  *offset = static_cast<off_t>(at);
  return 0;
}

ssize_t write_host(void* stream, const char* data, std::size_t size) {
  const auto n = static_cast<std::int32_t>(size);
  if (host_write(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(stream)), data, n) != 0) return -1;
  return n;
}

FILE* open_input() { return fopencookie(nullptr, "rb", {read_host, nullptr, seek_host, nullptr}); }

FILE* open_output(std::intptr_t stream) {
  return fopencookie(reinterpret_cast<void*>(stream), "wb", {nullptr, write_host, nullptr, nullptr});
}

// Flushes and closes an output; false when any write to it failed.
bool close_output(FILE* output) {
  const bool written = std::fflush(output) == 0 && !std::ferror(output);
  return std::fclose(output) == 0 && written;
}

orvex_log_health last_health{};

using conversion = int (*)(decode_context*, const analog_input_const*, const library_options*, FILE*, FILE*, FILE*,
                           const char*);

// One document to stream 1, or two to streams 1 and 2 (second is then the conversion).
std::int32_t run_document(const library_options* options, const char* description, conversion one,
                          decltype(&OrvexDecode_context_LOG_to_XML_and_KML) two = nullptr) {
  last_health = orvex_log_health{};
  decode_context* const context = OrvexDecode_context_new();
  FILE* const input = open_input();
  FILE* const output = open_output(1);
  FILE* const second = two != nullptr ? open_output(2) : nullptr;
  if (context == nullptr || input == nullptr || output == nullptr || (two != nullptr && second == nullptr)) {
    if (second != nullptr) std::fclose(second);
    if (output != nullptr) std::fclose(output);
    if (input != nullptr) std::fclose(input);
    OrvexDecode_context_free(context);
    return out_of_memory;
  }
  const analog_input_const constants = OrvexDecode_default_constants();
  const int result = two != nullptr ? two(context, &constants, options, input, output, second, stderr, description)
                                    : one(context, &constants, options, input, output, stderr, description);
  last_health = OrvexDecode_context_health(context);
  OrvexDecode_context_free(context);
  std::int32_t failures = std::ferror(input) ? input_failed : 0;
  std::fclose(input);
  if (!close_output(output) || (result < 0 && two == nullptr)) failures |= output_failed;
  if (second != nullptr && !close_output(second)) failures |= second_output_failed;
  if (result < 0 && two != nullptr && (failures & (output_failed | second_output_failed)) == 0) {
    failures |= output_failed;
  }
  fflush(stderr);
  return failures;
}

// The track conversions take no description.
template <int (*track)(decode_context*, const analog_input_const*, const library_options*, FILE*, FILE*, FILE*)>
int track_document(decode_context* context, const analog_input_const* constants, const library_options* options,
                   FILE* input, FILE* output, FILE* debug, const char*) {
  return track(context, constants, options, input, output, debug);
}

orvex_document_result last_result{};

// The --profile-set texts of the options made last (the module runs one document at a time).
std::vector<const char*> profile_settings;

// A number of the text as a whole, from least to most; none otherwise.
std::optional<double> number_of(const char* text, double least, double most) {
  double value = 0;
  const char* const end = text + std::strlen(text);
  const std::from_chars_result read = float_from_chars(text, end, value, std::chars_format::fixed);
  if (read.ec != std::errc() || read.ptr != end || !(value >= least) || !(value <= most)) return std::nullopt;
  return value;
}

using document_call = int (*)(decode_context*, const orvex_document_options*, const orvex_log_input*,
                              orvex_document_output*, orvex_document_result*);

// One document of the C API's document calls to stream 1: the ORVEX_DOCUMENT_* status, or -1
// when the call was refused; what went wrong stays in last_result.
std::int32_t run_api_document(const orvex_document_options* options, const char* format, document_call call) {
  last_health = orvex_log_health{};
  last_result = orvex_document_result{};
  decode_context* const context = OrvexDecode_context_new();
  FILE* const input = open_input();
  FILE* const output = open_output(1);
  std::int32_t status = -1;
  if (context != nullptr && input != nullptr && output != nullptr) {
    const orvex_log_input in{input, nullptr, 0};
    orvex_document_output out{output, nullptr, 0};
    status = format != nullptr ? OrvexDecode_context_export(context, format, options, &in, &out, &last_result)
                               : call(context, options, &in, &out, &last_result);
    last_health = OrvexDecode_context_health(context);
  }
  if (output != nullptr && !close_output(output) && status == ORVEX_DOCUMENT_WRITTEN) {
    status = last_result.status = ORVEX_DOCUMENT_WRITE_FAILED;
  }
  if (input != nullptr) std::fclose(input);
  OrvexDecode_context_free(context);
  fflush(stderr);
  return status;
}

std::optional<orvex_time_point> time_point_of(const char* text) {
  const std::optional<time_point> t = parse_time_point(text);
  if (!t) return std::nullopt;
  return orvex_time_point{1, t->is_utc ? 1 : 0, t->utc_ms, t->log_ms};
}

struct option_field {
  const char* name;
  std::size_t offset;
};

// clang-format off
#define ORVEX_FIELD(name) {#name, offsetof(library_options, name)}
constexpr option_field option_fields[] = {
    ORVEX_FIELD(verbose),    ORVEX_FIELD(debug),          ORVEX_FIELD(summary),    ORVEX_FIELD(summary_deciseconds),
    ORVEX_FIELD(constants),  ORVEX_FIELD(ahrs),           ORVEX_FIELD(ahrs_hr),    ORVEX_FIELD(ahrs_lr),
    ORVEX_FIELD(eis),        ORVEX_FIELD(gps_1),          ORVEX_FIELD(gps_1_type), ORVEX_FIELD(gps_2),
    ORVEX_FIELD(gps_2_type), ORVEX_FIELD(analog),         ORVEX_FIELD(set_menu),   ORVEX_FIELD(state),
    ORVEX_FIELD(arinc),      ORVEX_FIELD(weather),        ORVEX_FIELD(sl30_1),     ORVEX_FIELD(sl30_2),
    ORVEX_FIELD(sl40),       ORVEX_FIELD(xsl_stylesheet), ORVEX_FIELD(prog),
};
#undef ORVEX_FIELD
// clang-format on

}  // namespace

// The library's version text.
ORVEX_EXPORT(orvex_version) const char* orvex_version() { return OrvexDecode_version(); }

// The command line's defaults in memory the caller frees with free(); NULL when memory is short.
ORVEX_EXPORT(orvex_options_new) library_options* orvex_options_new() {
  auto* options = static_cast<library_options*>(std::malloc(sizeof(library_options)));
  if (options != nullptr) *options = OrvexDecode_default_options();
  return options;
}

// The byte offset of a field of library_options (a 32-bit integer, or a text of 255 bytes with
// its terminating zero: xsl_stylesheet, prog); -1 for a name it does not have.
ORVEX_EXPORT(orvex_option_offset) std::int32_t orvex_option_offset(const char* name) {
  for (const option_field& f : option_fields) {
    if (std::strcmp(f.name, name) == 0) return static_cast<std::int32_t>(f.offset);
  }
  return -1;
}

// The XML report (orvexdecode's standard output or -o).
ORVEX_EXPORT(orvex_document_xml)
std::int32_t orvex_document_xml(const library_options* options, const char* description) {
  return run_document(options, description, OrvexDecode_context_LOG_to_XML);
}

// The flight path as KML (orvexdecode -k).
ORVEX_EXPORT(orvex_document_path_kml)
std::int32_t orvex_document_path_kml(const library_options* options, const char* description) {
  return run_document(options, description, OrvexDecode_context_LOG_to_KML);
}

// The XML report to stream 1 and the KML flight path to stream 2 from one read of the LOG.
ORVEX_EXPORT(orvex_document_xml_and_path_kml)
std::int32_t orvex_document_xml_and_path_kml(const library_options* options, const char* description) {
  return run_document(options, description, nullptr, OrvexDecode_context_LOG_to_XML_and_KML);
}

// The tab-separated track (orvexdecode-track) and its form with more columns (--binary).
ORVEX_EXPORT(orvex_document_track) std::int32_t orvex_document_track(const library_options* options, const char*) {
  return run_document(options, nullptr, track_document<OrvexDecode_context_LOG_to_FRC>);
}

ORVEX_EXPORT(orvex_document_track_binary)
std::int32_t orvex_document_track_binary(const library_options* options, const char*) {
  return run_document(options, nullptr, track_document<OrvexDecode_context_LOG_to_FRC_binary>);
}

// What the last document's run found lost in the LOG.
ORVEX_EXPORT(orvex_last_health) const orvex_log_health* orvex_last_health() { return &last_health; }

// Why the last document's input was not a LOG ("empty", "no record could be read"), as the
// command line says it; NULL when it was a LOG.
ORVEX_EXPORT(orvex_not_a_log_reason) const char* orvex_not_a_log_reason() { return not_a_log_reason(last_health); }

// The warnings the command line prints after a run, on standard error; path_document names the
// document that holds the flight path (NULL when none does).
ORVEX_EXPORT(orvex_print_loss_warnings) void orvex_print_loss_warnings(const char* path_document) {
  print_loss_warnings(last_health, path_document);
  std::fflush(stderr);
}

// The options of the document calls: the front ends' defaults in memory the caller frees with
// free(); NULL when memory is short. Set with orvex_document_option; their texts (log_name,
// tail) point into memory the caller keeps until the document is written.
ORVEX_EXPORT(orvex_document_options_new) orvex_document_options* orvex_document_options_new() {
  auto* options = static_cast<orvex_document_options*>(std::malloc(sizeof(orvex_document_options)));
  if (options != nullptr) *options = OrvexDecode_default_document_options();
  profile_settings.clear();
  return options;
}

// Sets one option from its command-line text: flight, from, to, every (seconds), utc-start,
// engine-rpm, engine-stop, takeoff-speed, takeoff-time, landing-speed, landing-time, gap,
// airport-radius (km), cross-country (nm), heliports and local-time (any text), or the texts
// log-name, tail, window-label, airports, time-zone and profile-set (each one more setting;
// kept, not copied); gps_1_type and gps_2_type take the ORVEX_GPS_FORMAT_* number. Returns 0, or
// -1 for a text that is not such a value.
ORVEX_EXPORT(orvex_document_option)
std::int32_t orvex_document_option(orvex_document_options* options, const char* name, const char* text) {
  const std::string_view n = name;
  const char* const end = text + std::strlen(text);
  if (n == "flight" || n == "gps_1_type" || n == "gps_2_type") {
    int value = 0;
    const std::from_chars_result read = std::from_chars(text, end, value);
    if (read.ec != std::errc() || read.ptr != end || value < (n == "flight" ? 1 : 0)) return -1;
    (n == "flight" ? options->flight : n == "gps_1_type" ? options->decode.gps_1_type : options->decode.gps_2_type) =
        value;
    return 0;
  }
  if (n == "from" || n == "to") {
    const std::optional<orvex_time_point> t = time_point_of(text);
    if (!t) return -1;
    (n == "from" ? options->from : options->to) = *t;
    return 0;
  }
  if (n == "every") {
    double seconds = 0;
    const std::from_chars_result read = float_from_chars(text, end, seconds, std::chars_format::fixed);
    if (read.ec != std::errc() || read.ptr != end || !(seconds >= 0.001) || !(seconds <= 86400.0)) return -1;
    options->every_ms = static_cast<std::uint32_t>(std::llround(seconds * 1000.0));
    return 0;
  }
  if (n == "utc-start") {
    const std::optional<std::int64_t> utc = parse_utc_iso8601(text);
    if (!utc) return -1;
    options->has_utc_start = 1;
    options->utc_start_ms = *utc;
    return 0;
  }
  // orvexdecode-info's detection and gap limit, as it reads them.
  constexpr struct {
    const char* name;
    double least;
    double orvex_document_options::* field;
  } numbers[] = {
      {"engine-rpm", 1, &orvex_document_options::engine_rpm},     {"engine-stop", 0, &orvex_document_options::engine_stop_s},
      {"takeoff-speed", 1, &orvex_document_options::takeoff_kt},  {"takeoff-time", 0, &orvex_document_options::takeoff_s},
      {"landing-speed", 1, &orvex_document_options::landing_kt},  {"landing-time", 0, &orvex_document_options::landing_s},
      {"gap", 0, &orvex_document_options::gap_s},
  };
  for (const auto& number : numbers) {
    if (n != number.name) continue;
    const std::optional<double> value = number_of(text, number.least, 1e6);
    if (!value) return -1;
    options->*number.field = *value;
    return 0;
  }
  if (n == "airport-radius" || n == "cross-country") {
    const bool radius = n == "airport-radius";
    const std::optional<double> value = number_of(text, 0, radius ? 50 : 100000);
    if (!value) return -1;
    (radius ? options->airport_radius_m : options->cross_country_nm) = radius ? *value * 1000.0 : *value;
    return 0;
  }
  if (n == "heliports" || n == "local-time") {
    (n == "heliports" ? options->heliports : options->local_time) = 1;
    return 0;
  }
  if (n == "profile-set") {
    profile_settings.push_back(text);
    options->profile_settings = profile_settings.data();
    options->profile_setting_count = profile_settings.size();
    return 0;
  }
  if (n == "airports") {
    options->airports = text;
    return 0;
  }
  if (n == "time-zone") {
    options->time_zone = text;
    return 0;
  }
  if (n == "log-name") {
    options->log_name = text;
    return 0;
  }
  if (n == "tail") {
    options->tail = text;
    return 0;
  }
  if (n == "window-label") {
    options->window_label = text;
    return 0;
  }
  return -1;
}

// Sets the text of a file the options take by its bytes: "limits" (an aircraft limits file) or
// "profile" (an aircraft profile), size bytes at data (kept, not copied). Returns 0, or -1 for
// another name.
ORVEX_EXPORT(orvex_document_file)
std::int32_t orvex_document_file(orvex_document_options* options, const char* name, const char* data, std::int32_t size) {
  const std::string_view n = name;
  if (size < 0 || (n != "limits" && n != "profile")) return -1;
  (n == "limits" ? options->limits_text : options->profile_text) = data;
  (n == "limits" ? options->limits_size : options->profile_size) = static_cast<std::size_t>(size);
  return 0;
}

// Checks what the options name before a LOG is read (OrvexDecode_check_document_options): the
// status, what went wrong in orvex_last_result().
ORVEX_EXPORT(orvex_document_check) std::int32_t orvex_document_check(const orvex_document_options* options) {
  return OrvexDecode_check_document_options(options, &last_result);
}

// The folder relative paths (--airports FILE) are read from: the host's working folder.
ORVEX_EXPORT(orvex_working_folder) std::int32_t orvex_working_folder(const char* path) { return chdir(path); }

// The flight report (orvexdecode-report), the JSON summary (orvexdecode-info --json) and the
// exports of orvexdecode-export by the format's name: the ORVEX_DOCUMENT_* status, -1 when the
// call was refused (no memory); orvex_last_result() tells why a document was not written.
ORVEX_EXPORT(orvex_document_report) std::int32_t orvex_document_report(const orvex_document_options* options) {
  return run_api_document(options, nullptr, OrvexDecode_context_report_html);
}

ORVEX_EXPORT(orvex_document_info_json) std::int32_t orvex_document_info_json(const orvex_document_options* options) {
  return run_api_document(options, nullptr, OrvexDecode_context_summary_json);
}

ORVEX_EXPORT(orvex_document_export)
std::int32_t orvex_document_export(const char* format, const orvex_document_options* options) {
  return run_api_document(options, format, nullptr);
}

// The result of the last of those documents: status, read_errno, message and warnings at the
// offsets of orvex_document_result.
ORVEX_EXPORT(orvex_last_result) const orvex_document_result* orvex_last_result() { return &last_result; }
