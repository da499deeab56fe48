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

namespace {

bool is_dash(const std::string& name) { return name == "-"; }

bool is_rewindable(FILE* f) {
  struct stat st {};
  return fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && std::ftell(f) >= 0;
}

// A copy of the rest of a stream in an anonymous temporary file, rewound for reading; exits
// with status 2 when the stream can't be read or the copy written.
FILE* copied_to_temporary_file(FILE* input, const char* name) {
  FILE* copy = std::tmpfile();
  if (copy == nullptr) exit_file_error("Temporary file for the LOG can't be created", nullptr, errno);
  static char block[1 << 16];
  for (;;) {
    const std::size_t n = std::fread(block, 1, sizeof block, input);
    if (n > 0 && std::fwrite(block, 1, n, copy) != n) {
      exit_file_error("Temporary file for the LOG can't be written", nullptr, errno);
    }
    if (n < sizeof block) break;
  }
  if (const int error = read_error_of(input)) exit_file_error("LOG can't be read", name, error);
  if (std::fflush(copy) != 0) exit_file_error("Temporary file for the LOG can't be written", nullptr, errno);
  if (std::fseek(copy, 0, SEEK_SET) != 0)
    exit_file_error("Temporary file for the LOG can't be rewound", nullptr, errno);
  return copy;
}

export_result run_export(export_format format, decode_context& ctx, const export_request& request, FILE* input,
                         FILE* output) {
  switch (format) {
    case export_format::csv:
      return export_csv(ctx, request, input, output);
    case export_format::avionics_csv:
      return export_avionics_csv(ctx, request, input, output);
    case export_format::gpx:
      return export_gpx(ctx, request, input, output);
    case export_format::kml:
      return export_kml_time(ctx, request, input, output);
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
  if (!is_rewindable(input)) input = copied_to_temporary_file(input, log_name);

  output_file output;
  if (!output.open(args.output)) exit_file_error("Output file can't be opened for writing", output_name, errno);
  decode_context* ctx = OrvexDecode_context_new();
  if (ctx == nullptr) exit_file_error("Out of memory");
  errno = 0;
  const export_result result = run_export(args.format, *ctx, args.request, input, output.stream());
  const orvex_log_health health = OrvexDecode_context_health(ctx);
  OrvexDecode_context_free(ctx);

  if (const int error = read_error_of(input)) exit_file_error("LOG can't be read", log_name, error);
  std::fclose(input);
  if (!result.error.empty()) exit_file_error(result.error.c_str());
  if (!output.finish() || result.write_failed) exit_file_error("Output can't be written", output_name);
  if (!output.commit()) exit_file_error("Output file can't be replaced", output_name, errno);
  for (const std::string& w : result.warnings) std::fprintf(stderr, "warning: %s\n", w.c_str());
  print_loss_warnings(health, nullptr);
  return 0;
}
