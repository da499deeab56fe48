// orvexdecode-export: writes a LOG as CSV, the avionics datalog CSV, GPX or KML with time
// (cmdline/export_options.cpp has the usage).
//
// An export reads the LOG twice (core/export/log_exports.h): a LOG file is rewound, and
// standard input or any other stream that can't be rewound is first copied to a temporary
// file. The output replaces a named file only once the whole run has succeeded. A warning
// (a window that holds nothing, a LOG without GPS time) goes to standard error and leaves the
// status 0.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "export_options.h"
#include "file_checks.h"
#include "loss_warnings.h"
#include "output_file.h"
#include "rewindable_input.h"

namespace {

bool is_dash(const std::string& name) { return name == "-"; }

export_result run_export(export_format format, decode_context& ctx, const export_request& request, FILE* input,
                         FILE* output) {
  switch (format) {
    case export_format::csv: return export_csv(ctx, request, input, output);
    case export_format::avionics_csv: return export_avionics_csv(ctx, request, input, output);
    case export_format::gpx: return export_gpx(ctx, request, input, output);
    case export_format::kml: return export_kml_time(ctx, request, input, output);
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  guard_standard_descriptors();
  const export_arguments args = parse_export_arguments(argc, argv);
  const char* const log_name = is_dash(args.log) ? "standard input" : args.log.c_str();
  const char* const output_name = args.output != nullptr ? args.output : "standard output";

  FILE* input = stdin;
  errno = 0;
  if (!is_dash(args.log)) {
    input = std::fopen(args.log.c_str(), "rb");
    if (input == nullptr) exit_file_error("LOG can't be opened for reading", log_name, errno);
  } else if (standard_descriptor_was_closed(STDIN_FILENO)) {
    exit_file_error("Standard input is closed");
  }
  if (args.output == nullptr && standard_descriptor_was_closed(STDOUT_FILENO)) {
    exit_file_error("Standard output is closed");
  }
  if (is_the_input(input, args.output)) exit_file_error("Output file is the LOG itself", output_name);
  rewindable_input log = make_rewindable(input, log_name);
  input = log.stream;

  output_file output;
  if (!output.open(args.output)) exit_file_error("Output file can't be opened for writing", output_name, errno);
  decode_context* ctx = OrvexDecode_context_new();
  if (ctx == nullptr) exit_file_error("Out of memory");
  errno = 0;
  const export_result result = run_export(args.format, *ctx, args.request, input, output.stream());
  const orvex_log_health health = OrvexDecode_context_health(ctx);
  OrvexDecode_context_free(ctx);

  if (const int error = read_error_of(input)) exit_file_error("LOG can't be read", log_name, error);
  close_input(log);
  if (input != stdin && !log.copied) std::fclose(input);
  if (!result.error.empty()) exit_file_error(result.error.c_str());
  if (!output.finish() || result.write_failed) exit_file_error("Output can't be written", output_name);
  if (!output.commit()) exit_file_error("Output file can't be replaced", output_name, errno);
  for (const std::string& w : result.warnings) std::fprintf(stderr, "warning: %s\n", w.c_str());
  print_loss_warnings(health, nullptr);
  return 0;
}
