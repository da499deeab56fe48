// orvexdecode-report: writes the flight report of an EFIS LOG as one self-contained HTML page
// (cmdline/report_options.cpp has the usage).
//
// Two reads of the LOG: the flight time line first (flights, figures, health, exceedances, the
// clock and the units), then the charts' series and the track over the stretch asked for. The
// report goes to a temporary file renamed over its name only once the run has succeeded.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "analysis/logbook_local.h"
#include "export/html_report.h"
#include "file_checks.h"
#include "loss_warnings.h"
#include "log_content.h"
#include "output_file.h"
#include "report_options.h"
#include "rewindable_input.h"

namespace {

constexpr std::size_t default_buckets = 1500;
constexpr std::size_t most_buckets = 20000;  // with --every: the finest a chart gets (about 12 MB of page)

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
  const std::unique_ptr<output_writer> writer(new (std::nothrow) output_writer);
  if (ctx == nullptr || writer == nullptr) exit_file_error("Out of memory", nullptr, ENOMEM);

  errno = 0;
  log_summary summary = analyse_log(*ctx, request.analysis, log.stream);
  if (request.zone) give_local_times(summary, *request.zone);
  if (const int error = read_error_of(log.stream)) exit_file_error("Input file can't be read", input_name, error);
  if (const char* reason = not_a_log_reason(summary.health)) {
    exit_file_error((std::string("Not a LOG file (") + reason + ")").c_str(), input_name);
  }

  const log_window window = resolve_window(request.window, summary);
  if (!window.error.empty())
    exit_file_error((std::string("The stretch asked for can't be shown: ") + window.error).c_str());
  if (!window.warning.empty()) std::fprintf(stderr, "warning: %s\n", terminal_text(window.warning).c_str());

  report_gathering gathering;
  gathering.from_ms = window.from_ms;
  gathering.to_ms = window.to_ms;
  gathering.gap_ms = summary.health.gap_limit_ms;
  if (request.every_ms != 0) {
    gathering.buckets = most_buckets;
    gathering.min_bucket_ms = request.every_ms;
    gathering.track_every_ms = request.every_ms;
  } else {
    gathering.buckets = default_buckets;
  }
  if (!rewind_input(log)) exit_file_error("Input file can't be read again", input_name, errno);
  errno = 0;
  const report_data data =
      gather_report_data(*ctx, request.analysis.decode, request.analysis.constants, summary, gathering, log.stream);
  if (const int error = read_error_of(log.stream)) exit_file_error("Input file can't be read", input_name, error);
  close_input(log);
  if (!standard_input) std::fclose(input);

  html_report_input page;
  page.log_name = input_name;
  page.window_label = request.window_label;
  page.summary = &summary;
  page.data = &data;
  writer->attach(output.stream());
  const bool written = write_html_report(*writer, page) >= 0 && writer->flush() >= 0;
  OrvexDecode_context_free(ctx);
  if (!output.finish() || !written) exit_output_error(request, "Output can't be written", shown_output, 0);
  if (!output.commit()) exit_output_error(request, "Output file can't be replaced", output_name, errno);
  return 0;
}
