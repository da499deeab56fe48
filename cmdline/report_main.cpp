// orvexdecode-report: writes the flight report of an EFIS LOG as one self-contained HTML page
// (cmdline/report_options.cpp has the usage).
//
// The library reads the LOG twice (core/report/html/flight_report.h): a LOG file is rewound,
// and standard input or any other stream that can't be rewound is first copied to a temporary
// file. The report goes to a temporary file renamed over its name only once the run has
// succeeded.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "document_options.h"
#include "file_checks.h"
#include "output_file.h"
#include "report_options.h"
#include "rewindable_input.h"

namespace {

// What to do when the report can't be written where it was going. Without -o it goes beside
// the LOG, often on a card that is read-only or full: the hint names that folder and the way
// around it. With -o the user chose the place; nothing to add.
std::string output_hint(const report_request& request) {
  if (!request.output_beside_log) return "";
  const std::filesystem::path report(request.output);
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(report, error).lexically_normal().parent_path();
  if (error) folder = report.parent_path().empty() ? std::filesystem::path(".") : report.parent_path();
  std::string name = report.filename().string();
  if (name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._-+,@%") !=
      std::string::npos) {
    name = "'" + name + "'";  // for the shell; a name with a quote in it is left to the user
  }
  return "The report goes beside the LOG unless -o names another file, and " + folder.string() +
         " can't take it: try -o ~/" + name;
}

[[noreturn]] void exit_output_error(const report_request& request, const char* what, const char* name, int error) {
  const std::string hint = output_hint(request);
  exit_file_error(what, name, error, hint.empty() ? nullptr : hint.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  guard_standard_descriptors();
  const report_request request = parse_report_arguments(argc, argv);
  const bool standard_input = request.log == "-";
  const char* const input_name = standard_input ? "standard input" : request.log.c_str();
  const char* const output_name = request.output.empty() ? nullptr : request.output.c_str();

  FILE* input = stdin;
  if (!standard_input) {
    input = std::fopen(request.log.c_str(), "rb");
    if (input == nullptr) exit_file_error("Input file can't be opened for reading", input_name, errno);
  } else if (standard_descriptor_was_closed(STDIN_FILENO)) {
    exit_file_error("Standard input is closed");
  }
  if (output_name == nullptr && standard_descriptor_was_closed(STDOUT_FILENO)) {
    exit_file_error("Standard output is closed");
  }
  const char* const shown_output = output_name ? output_name : "standard output";
  if (is_the_input(input, output_name)) exit_file_error("Output file is the same file as the input file", shown_output);
  if (!request.force && holds_log_records(output_name)) {
    exit_file_error("Output file is a LOG file (--force overwrites it)", shown_output);
  }
  output_file output;
  if (!output.open(output_name)) {
    if (output.refused()) {
      exit_output_error(request, "Output file can't be replaced safely (no temporary file can be made beside it)",
                        output_name, errno);
    }
    exit_output_error(request, "Output file can't be opened for writing", output_name, errno);
  }

  rewindable_input log;
  if (const std::string error = make_rewindable(input, input_name, log); !error.empty()) exit_file_error(error.c_str());
  decode_context* ctx = OrvexDecode_context_new();
  if (ctx == nullptr) exit_file_error("Out of memory", nullptr, ENOMEM);

  orvex_document_options options = document_options(request.analysis, request.sources);
  set_window(options, request.window);
  options.window_label = request.window_label.c_str();
  options.every_ms = request.every_ms;
  options.log_name = input_name;
  const orvex_log_input in{log.stream, nullptr, 0};
  orvex_document_output out{output.stream(), nullptr, 0};
  orvex_document_result result;
  const int status = OrvexDecode_context_report_html(ctx, &options, &in, &out, &result);
  for_each_warning(result, [](const std::string& w) { std::fprintf(stderr, "warning: %s\n", terminal_text(w).c_str()); });
  switch (status) {
    case ORVEX_DOCUMENT_READ_FAILED:
      exit_file_error("Input file can't be read", input_name, read_error_from(result.read_errno));
    case ORVEX_DOCUMENT_NOT_A_LOG:
      exit_file_error((std::string("Not a LOG file (") + result.message + ")").c_str(), input_name);
    case ORVEX_DOCUMENT_REFUSED:
      exit_file_error((std::string("The stretch asked for can't be shown: ") + result.message).c_str());
    case ORVEX_DOCUMENT_REWIND_FAILED:
      exit_file_error("Input file can't be read again", input_name, result.read_errno);
    case ORVEX_DOCUMENT_AIRPORTS_FAILED: exit_file_error("Airports can't be read", result.message);
    default: break;
  }
  close_input(log);
  if (!standard_input) std::fclose(input);
  OrvexDecode_context_free(ctx);
  const bool written = status == ORVEX_DOCUMENT_WRITTEN;
  if (!output.finish() || !written) exit_output_error(request, "Output can't be written", shown_output, 0);
  if (!output.commit()) exit_output_error(request, "Output file can't be replaced", output_name, errno);
  return 0;
}
