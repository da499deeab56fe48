// orvexdecode-track: writes the tab-separated track of a LOG (the library's FRC exports).
//
//   orvexdecode-track [--binary] [--gps_1_aviation | --gps_1_nmea] INPUT [OUTPUT]
//
// INPUT "-" is standard input; OUTPUT defaults to standard output ("-" names it too).
// Exit status: 0 success (and --help or --version, which print to standard output); 1 usage error
// (usage on standard error); 2 error: a message starting "ERROR:" on standard error.
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "file_checks.h"
#include "loss_warnings.h"
#include "option_errors.h"
#include "orvexdecode.h"
#include "output_file.h"

namespace {

constexpr const char* command_name = "orvexdecode-track";
const char* program_name = command_name;

constexpr const char* usage_text =
    "Usage: %s [--binary] [--gps_1_aviation | --gps_1_nmea] INPUT [OUTPUT]\n"
    "Writes the flight path of an EFIS LOG file as a tab-separated track.\n"
    "\n"
    "  INPUT             LOG file; \"-\" reads standard input\n"
    "  OUTPUT            track file; default (or \"-\") standard output\n"
    "  --binary          add airspeed, engine speed, timestamp and GPS altitude columns\n"
    "  --gps_1_aviation  GPS 1 sends the aviation format - default\n"
    "  --gps_1_nmea      GPS 1 sends NMEA RMC sentences\n"
    "  -h --help         this help message\n"
    "  --version         print the version and exit\n";

[[noreturn]] void exit_usage(const char* message) {
  if (message != nullptr) std::fprintf(stderr, "%s: %s\n", program_name, message);
  std::fprintf(stderr, usage_text, program_name);
  std::exit(1);
}

const char* display_name(const char* name) { return name != nullptr ? name : "standard output"; }

bool is_dash(const char* name) { return std::strcmp(name, "-") == 0; }

struct track_request {
  bool binary = false;
  library_options options = OrvexDecode_default_options();
  const char* input_name = nullptr;
  const char* output_name = nullptr;  // nullptr: standard output
};

track_request parse_arguments(int argc, char** argv) {
  enum : int { opt_binary = 256, opt_aviation, opt_nmea, opt_version };
  static const option long_options[] = {
      {"binary", no_argument, nullptr, opt_binary},   {"gps_1_aviation", no_argument, nullptr, opt_aviation},
      {"gps_1_nmea", no_argument, nullptr, opt_nmea}, {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, opt_version}, {nullptr, 0, nullptr, 0},
  };
  track_request request;
  bool format_given = false;
  opterr = 0;  // the error is told through option_error_text
  for (;;) {
    const int c = getopt_long(argc, argv, "h", long_options, nullptr);
    if (c == -1) break;
    switch (c) {
      case opt_binary: request.binary = true; break;
      case opt_aviation:
      case opt_nmea: {
        const std::int32_t format = c == opt_nmea ? ORVEX_GPS_FORMAT_NMEA : ORVEX_GPS_FORMAT_AVIATION;
        if (format_given && request.options.gps_1_type != format) {
          exit_usage("--gps_1_aviation and --gps_1_nmea exclude each other");
        }
        request.options.gps_1_type = format;
        format_given = true;
        break;
      }
      case 'h':
        if (standard_descriptor_was_closed(STDOUT_FILENO)) exit_file_error("Standard output is closed");
        std::printf(usage_text, program_name);
        std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      case opt_version:
        std::printf("%s %s\n", command_name, ORVEXDECODE_VERSION);
        std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      default: exit_usage(option_error_text(argv, "h", long_options).c_str());
    }
  }
  const int operands = argc - optind;
  if (operands < 1) exit_usage("no INPUT given");
  if (operands > 2) exit_usage("too many arguments");
  request.input_name = argv[optind];
  if (operands == 2 && !is_dash(argv[optind + 1])) request.output_name = argv[optind + 1];
  return request;
}

}  // namespace

int main(int argc, char** argv) {
  guard_standard_descriptors();
  if (argc > 0 && argv[0] != nullptr) program_name = argv[0];
  const track_request request = parse_arguments(argc, argv);
  const char* const input_name = is_dash(request.input_name) ? "standard input" : request.input_name;

  FILE* input = stdin;
  if (!is_dash(request.input_name)) {
    input = std::fopen(request.input_name, "rb");
    if (input == nullptr) exit_file_error("Input file can't be opened for reading", input_name, errno);
  } else if (standard_descriptor_was_closed(STDIN_FILENO)) {
    exit_file_error("Standard input is closed");
  }
  if (request.output_name == nullptr && standard_descriptor_was_closed(STDOUT_FILENO)) {
    exit_file_error("Standard output is closed");
  }
  if (is_the_input(input, request.output_name)) {
    exit_file_error("Output file is the same file as the input file", display_name(request.output_name));
  }
  // A LOG is never overwritten (two LOGs of a shell glob, say): the user removes it first.
  if (holds_log_records(request.output_name)) {
    exit_file_error("Output file is a LOG file and is not overwritten", display_name(request.output_name));
  }
  output_file output;
  if (!output.open(request.output_name)) {
    if (output.refused()) {
      exit_file_error("Output file can't be replaced safely (no temporary file can be made beside it)",
                      request.output_name, errno);
    }
    exit_file_error("Output file can't be opened for writing", request.output_name, errno);
  }

  const analog_input_const constants = OrvexDecode_default_constants();
  decode_context* const context = OrvexDecode_context_new();
  if (context == nullptr) exit_file_error("Out of memory");
  errno = 0;
  const int result =
      request.binary
          ? OrvexDecode_context_LOG_to_FRC_binary(context, &constants, &request.options, input, output.stream(), stderr)
          : OrvexDecode_context_LOG_to_FRC(context, &constants, &request.options, input, output.stream(), stderr);
  const orvex_log_health health = OrvexDecode_context_health(context);
  print_loss_warnings(health, "track");
  OrvexDecode_context_free(context);

  if (const int error = read_error_of(input)) exit_file_error("Input file can't be read", input_name, error);
  if (const char* reason = not_a_log_reason(health)) {
    exit_file_error((std::string("Not a LOG file (") + reason + ")").c_str(), input_name);
  }
  std::fclose(input);
  if (!output.finish() || result < 0) {
    exit_file_error("Output can't be written", display_name(request.output_name));
  }
  if (!output.commit()) exit_file_error("Output file can't be replaced", request.output_name, errno);
  return 0;
}
