#include "export_outputs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

#include "analysis/flight_timeline.h"
#include "document_options.h"
#include "file_checks.h"
#include "loss_warnings.h"
#include "output_file.h"
#include "text/utc_text.h"

namespace {

// UTC of a flight's start: the time of its engine start or takeoff, or the LOG's clock.
std::optional<std::int64_t> start_utc_ms(const flight_record& flight, const log_summary& summary) {
  for (const std::optional<log_event>* event : {&flight.engine_start, &flight.takeoff}) {
    if (*event && (*event)->when.log_ms == flight.start_ms && (*event)->when.has_utc) return (*event)->when.utc_ms;
  }
  if (summary.time.source == utc_source::none) return std::nullopt;
  const utc_anchor& anchor = summary.time.first_anchor;
  return anchor.utc_ms + (std::int64_t{flight.start_ms} - anchor.log_ms);
}

// Opens the output (path nullptr: standard output); false, told, when it can't be.
bool opened(output_file& output, const char* path, const char* name) {
  if (output.open(path)) return true;
  print_file_error(output.refused() ? "Output file can't be replaced safely (no temporary file can be made beside it)"
                                    : "Output file can't be opened for writing",
                   name, errno);
  return false;
}

// Finishes the output and puts it in its place when everything was written; false, told, when
// not.
bool committed(output_file& output, bool written, const char* name) {
  if (!output.finish() || !written) {
    print_file_error("Output can't be written", name);
    return false;
  }
  if (!output.commit()) {
    print_file_error("Output file can't be replaced", name, errno);
    return false;
  }
  return true;
}

}  // namespace

int write_export(const export_target& t) {
  const char* const output_name = t.output != nullptr ? t.output : "standard output";
  output_file output;
  if (!opened(output, t.output, output_name)) return 2;
  decode_context* ctx = OrvexDecode_context_new();
  if (ctx == nullptr) {
    print_file_error("Out of memory");
    return 2;
  }
  orvex_document_options options = OrvexDecode_default_document_options();
  options.decode = t.request.decode;
  options.constants = t.request.constants;
  set_window(options, t.request.window);
  options.every_ms = t.request.every_ms;
  options.has_utc_start = t.request.utc_start_ms ? 1 : 0;
  options.utc_start_ms = t.request.utc_start_ms.value_or(0);
  options.tail = t.request.tail.c_str();
  set_profile(options, t.profile);
  options.local_time = t.request.local_time ? 1 : 0;
  if (t.request.local_time_zone) options.time_zone = t.request.local_time_zone->name().c_str();
  // The airports as the lookup the arguments opened found them ("none": off, or a missing
  // default table already told).
  options.airports = t.request.airports != nullptr ? t.request.airports->source().c_str() : "none";
  options.airport_radius_m = t.request.lookup_options.capture_radius_m;
  options.heliports = t.request.lookup_options.other_bases ? 1 : 0;
  const orvex_log_input in{t.log, nullptr, 0};
  orvex_document_output out{output.stream(), nullptr, 0};
  orvex_document_result result;
  errno = 0;
  const std::string format(t.format.name);
  const int status = OrvexDecode_context_export(ctx, format.c_str(), &options, &in, &out, &result);
  const orvex_log_health health = OrvexDecode_context_health(ctx);
  OrvexDecode_context_free(ctx);

  if (const int error = read_error_of(t.log)) {
    print_file_error("LOG can't be read", t.log_name, error);
    return 2;
  }
  if (status == ORVEX_DOCUMENT_REFUSED) {
    print_file_error((t.prefix + result.message).c_str());
    return 2;
  }
  if (status == ORVEX_DOCUMENT_AIRPORTS_FAILED) {
    print_file_error((t.prefix + "Airports can't be read").c_str(), result.message);
    return 2;
  }
  if (!committed(output, status == ORVEX_DOCUMENT_WRITTEN, output_name)) return 2;
  for_each_warning(result, [&t](const std::string& w) {
    std::fprintf(stderr, "warning: %s\n", terminal_text(t.prefix + w).c_str());
  });
  print_loss_warnings(health, nullptr);
  return 0;
}

int write_flights_export(const export_format& format, const export_request& request, std::span<const export_input> logs,
                         const char* output_name_or_null) {
  const char* const output_name = output_name_or_null != nullptr ? output_name_or_null : "standard output";
  output_file output;
  if (!opened(output, output_name_or_null, output_name)) return 2;
  decode_context* ctx = OrvexDecode_context_new();
  if (ctx == nullptr) {
    print_file_error("Out of memory");
    return 2;
  }
  errno = 0;
  const export_result result = export_flights(format, *ctx, request, logs, output.stream());
  OrvexDecode_context_free(ctx);
  for (const export_input& log : logs) {
    if (log.input == nullptr) continue;  // opened and told by export_flights
    if (const int error = read_error_of(log.input)) {
      print_file_error("LOG can't be read", std::string(log.log_name).c_str(), error);
      return 2;
    }
  }
  if (!result.error.empty()) {
    print_file_error(result.error.c_str());
    return 2;
  }
  if (!committed(output, !result.write_failed, output_name)) return 2;
  for (const std::string& w : result.warnings) std::fprintf(stderr, "warning: %s\n", terminal_text(w).c_str());
  return 0;
}

std::vector<planned_export> plan_folder_exports(const export_arguments& args, const std::string& log_arg, FILE* log,
                                                int& status) {
  const std::filesystem::path dir = args.output_dir;
  const std::string name = std::filesystem::path(log_arg).stem().string();
  const std::string_view extension = args.format->extension;
  if (!args.each_flight) return {{(dir / (name + std::string(extension))).string(), args.request}};

  analysis_options options = default_analysis_options();
  options.decode = args.request.decode;
  options.constants = args.request.constants;
  options.utc_start_ms = args.request.utc_start_ms;
  decode_context* ctx = OrvexDecode_context_new();
  if (ctx == nullptr) {
    print_file_error("Out of memory");
    status = 2;
    return {};
  }
  errno = 0;
  const log_summary summary = analyse_log(*ctx, options, log);
  OrvexDecode_context_free(ctx);
  if (const int error = read_error_of(log)) {
    print_file_error("LOG can't be read", log_arg.c_str(), error);
    status = 2;
    return {};
  }
  if (summary.flights.empty()) {
    std::fprintf(stderr, "warning: %s: no flight found; no file written\n", terminal_text(log_arg).c_str());
    return {};
  }
  std::vector<planned_export> exports;
  for (std::size_t i = 0; i < summary.flights.size(); ++i) {
    std::string file = name + "-flight-" + std::to_string(i + 1);
    if (const std::optional<std::int64_t> utc = start_utc_ms(summary.flights[i], summary)) {
      const std::int64_t seconds = *utc >= 0 ? *utc / 1000 : (*utc - 999) / 1000;  // the day it began in
      file += '-';
      file += iso8601_utc(seconds).view().substr(0, 10);
    }
    planned_export e{(dir / (file + std::string(extension))).string(), args.request};
    e.request.window.flight = static_cast<int>(i + 1);
    exports.push_back(std::move(e));
  }
  return exports;
}

void make_output_folder(const std::string& dir) {
  struct stat st {};
  if (stat(dir.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) exit_file_error("Output folder is not a folder", dir.c_str());
    return;
  }
  if (errno != ENOENT || (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)) {
    exit_file_error("Output folder can't be made", dir.c_str(), errno);
  }
}
