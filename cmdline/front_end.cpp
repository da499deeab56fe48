#include "front_end.h"

#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "file_checks.h"
#include "loss_warnings.h"

front_end_state front_end;

namespace {

// Rows 1-38 store into an option field; rows 39-47 return a character.
const option long_options[] = {
    {"debug", no_argument, &front_end.options.debug, 1},
    {"nodebug", no_argument, &front_end.options.debug, 0},
    {"verbose", no_argument, &front_end.options.verbose, 1},
    {"nosummary", no_argument, &front_end.options.summary, 0},
    {"noverbose", no_argument, &front_end.options.verbose, 0},
    {"summary", no_argument, &front_end.options.summary, 1},
    {"noconstants", no_argument, &front_end.options.constants, 0},
    {"constants", no_argument, &front_end.options.constants, 1},
    {"ahrs", no_argument, &front_end.options.ahrs, 1},
    {"ahrs_hr", no_argument, &front_end.options.ahrs_hr, 1},
    {"ahrs_lr", no_argument, &front_end.options.ahrs_lr, 1},
    {"eis", no_argument, &front_end.options.eis, 1},
    {"analog", no_argument, &front_end.options.analog, 1},
    {"gps_1", no_argument, &front_end.options.gps_1, 1},
    {"gps_2", no_argument, &front_end.options.gps_2, 1},
    {"gps_1_aviation", no_argument, &front_end.options.gps_1_type, 1},
    {"gps_1_nmea", no_argument, &front_end.options.gps_1_type, 2},
    {"gps_2_aviation", no_argument, &front_end.options.gps_2_type, 1},
    {"gps_2_nmea", no_argument, &front_end.options.gps_2_type, 2},
    {"arinc", no_argument, &front_end.options.arinc, 1},
    {"set_menu", no_argument, &front_end.options.set_menu, 1},
    {"sl30_1", no_argument, &front_end.options.sl30_1, 1},
    {"sl30_2", no_argument, &front_end.options.sl30_2, 1},
    {"sl40", no_argument, &front_end.options.sl40, 1},
    {"weather", no_argument, &front_end.options.weather, 1},
    {"noahrs", no_argument, &front_end.options.ahrs, 0},
    {"noahrs_hr", no_argument, &front_end.options.ahrs_hr, 0},
    {"noahrs_lr", no_argument, &front_end.options.ahrs_lr, 0},
    {"noeis", no_argument, &front_end.options.eis, 0},
    {"noanalog", no_argument, &front_end.options.analog, 0},
    {"nogps_1", no_argument, &front_end.options.gps_1, 0},
    {"nogps_2", no_argument, &front_end.options.gps_2, 0},
    {"noarinc", no_argument, &front_end.options.arinc, 0},
    {"noset_menu", no_argument, &front_end.options.set_menu, 0},
    {"nosl30_1", no_argument, &front_end.options.sl30_1, 0},
    {"nosl30_2", no_argument, &front_end.options.sl30_2, 0},
    {"nosl40", no_argument, &front_end.options.sl40, 0},
    {"noweather", no_argument, &front_end.options.weather, 0},
    {"infile", required_argument, nullptr, 'i'},
    {"outfile", required_argument, nullptr, 'o'},
    {"kmlfile", required_argument, nullptr, 'k'},
    {"xslt", required_argument, nullptr, 'x'},
    {"xsl_style_sheet", required_argument, nullptr, 'x'},
    {"xsl_stylesheet", required_argument, nullptr, 'x'},
    {"summary_period", required_argument, nullptr, 's'},
    {"version", no_argument, nullptr, '?'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

constexpr const char* short_options = "dvi:o:k:x:h?";

constexpr const char* options_block =
    "Options:\n"
    " -i --infile <filename>        : Input LOG file (or last parm) - \"-\" is stdin\n"
    " -o --outfile <filename>       : Output XML file - default stdout\n"
    " -k --kmlfile <filename>       : Output KML (Goggle Earth) file - default not generated\n"
    "    --[no]summary              : Toggle summary output - default ON\n"
    "    --summary_period <decisec> : Set summary period - default every .5 secs\n"
    "    --[no]constants            : Toggle PFD constants output - default ON\n"
    " -v --[no]verbose              : Provide some extra XML entries - default OFF\n"
    " -x --xsl_style_sheet <url>    : Specify a custom XSLT style sheet\n"
    " -h --help                     : This help message\n";

constexpr const char* record_block =
    "    --[no]ahrs     : All AHRS records - default OFF\n"
    "    --[no]ahrs_hr  : All AHRS High Rate records - default OFF\n"
    "    --[no]ahrs_lr  : All AHRS Low Rate records - default OFF\n"
    "    --[no]eis      : All EIS records - default OFF\n"
    "    --[no]analog   : All analog records - default OFF\n"
    "    --[no]gps_1    : (N/A) All GPS 1 records - default OFF\n"
    "    --[no]gps_2    : (N/A) All GPS 2 records - default OFF\n"
    "      --gps_1_aviation : GPS 1 format (used for Garmin sources) - default\n"
    "      --gps_1_nmea : GPS 1 format (used for internal / other sources)\n"
    "      --gps_2_aviation : GPS 2 format (used for Garmin sources)\n"
    "      --gps_2_nmea : GPS 2 format (used for internal / other sources)\n"
    "    --[no]arinc    : (N/A) All records - default OFF\n"
    "    --[no]set_menu : All Set Menu records - default OFF\n"
    "    --[no]sl30_1   : (N/A) All SL30 1 records - default OFF\n"
    "    --[no]sl30_2   : (N/A) All SL30 2 records - default OFF\n"
    "    --[no]sl40_1   : (N/A) All SL40 1 records - default OFF\n"
    "    --[no]weather  : (N/A) All weather records - default OFF\n";

constexpr const char* debug_block = "\n  -d --[no]debug : \tDebug output to stderr (non XML based)\n";

void print_version_block() {
  std::fprintf(stderr,
               "Extended version information:\nprog_version=\"%s\"\nprogram_cvs_revision=\"%s\"\n"
               "prog_date=\"%s\"\n\n",
               front_end_version, "$Revision: 2.23.1.2 $", "$Date: 2007/05/09 22:42:59 $");
}

// Copies an argument into a fixed buffer; a text that does not fit is refused.
void copy_argument(char* dest, std::size_t size, const char* arg, const char* what) {
  const std::size_t n = std::strlen(arg);
  if (n >= size) {
    char message[128];
    std::snprintf(message, sizeof message, "ERROR: %s is longer than %zu characters", what, size - 1);
    exit_error(message);
  }
  std::memcpy(dest, arg, n + 1);
}

bool names_stdin(const char* name) { return std::strcmp(name, "-") == 0 || std::strcmp(name, "stdin") == 0; }

// One LOG is decoded: the first argument after the options, else the last -i. Any other input
// named (a shell glob of several LOGs, say) is told on standard error, so that no one takes the
// report for theirs.
void warn_of_ignored_inputs(const std::vector<const char*>& infile_options, int first_operand, int argc, char** argv) {
  std::vector<const char*> ignored;
  const bool operand = first_operand < argc;
  for (std::size_t i = 0; i < infile_options.size(); ++i) {
    if (operand || i + 1 < infile_options.size()) ignored.push_back(infile_options[i]);
  }
  for (int i = first_operand + 1; i < argc; ++i) ignored.push_back(argv[i]);
  if (ignored.empty()) return;
  std::string line = "warning: one input is decoded: " + terminal_text(front_end.input_filename) + " (ignored: ";
  for (std::size_t i = 0; i < ignored.size(); ++i) line += (i == 0 ? "" : ", ") + terminal_text(ignored[i]);
  line += ")\n";
  std::fputs(line.c_str(), stderr);
}

const char* input_display_name() {
  return names_stdin(front_end.input_filename) ? "standard input" : front_end.input_filename;
}

// A read that failed during the pass cut the report short: an error, though the document
// itself was closed.
void check_read(FILE* input) {
  if (const int error = read_error_of(input)) {
    exit_file_error("Input file can't be read", input_display_name(), error);
  }
}

// A report that could not be written whole is a failure, not a success.
[[noreturn]] void exit_write_error() {
  std::fprintf(stderr, "ERROR: Output file can't be written\n");
  std::exit(2);
}

void check_written(FILE* stream) {
  if (std::fflush(stream) != 0 || std::ferror(stream)) exit_write_error();
}

void open_output(output_file& output, const char* name) {
  if (!output.open(name[0] != '\0' ? name : nullptr)) {
    if (output.refused()) {
      exit_error(("ERROR: Output file can't be replaced safely (no temporary file can be made beside it): " +
                  terminal_text(name))
                     .c_str());
    }
    exit_error("ERROR: Output file can't be openned for writing");
  }
}

void commit_output(output_file& output, const char* name) {
  if (!output.commit()) exit_file_error("Output file can't be replaced", name, errno);
}

}  // namespace

void exit_error(const char* message) {
  std::fprintf(stderr, "%s\n\nTry `%s --help` for more information\n", message, front_end.program_name);
  std::exit(2);
}

void exit_help() {
  std::fprintf(stderr, "Usage: %s [options] <input file> (v%s)\n%s\n%s%s", front_end.program_name, front_end_version,
               options_block, record_block, debug_block);
  std::exit(1);
}

void init_global_defaults() {
  front_end.options = OrvexDecode_default_options();
  front_end.constants = OrvexDecode_default_constants();
}

void parse_commandline_args(int argc, char** argv) {
  library_options& o = front_end.options;
  std::vector<const char*> infile_options;
  for (;;) {
    int option_index = 0;
    const int c = getopt_long(argc, argv, short_options, long_options, &option_index);
    if (c == -1) break;
    switch (c) {
      case 0: break;
      case 'd': o.debug = 1; break;
      case 'v': o.verbose = 1; break;
      case 'i':
        copy_argument(front_end.input_filename, file_name_size, optarg, "Input file name");
        infile_options.push_back(optarg);
        break;
      case 'o': copy_argument(front_end.output_filename, file_name_size, optarg, "Output file name"); break;
      case 'k': copy_argument(front_end.kml_output_filename, file_name_size, optarg, "KML file name"); break;
      case 'x': copy_argument(o.xsl_stylesheet, sizeof o.xsl_stylesheet, optarg, "XSLT style sheet reference"); break;
      case 's': o.summary_deciseconds = std::atoi(optarg); break;
      case 'h': exit_help();
      case '?': print_version_block(); exit_help();
      default: exit_help();
    }
  }
  if (optind < argc) {
    copy_argument(front_end.input_filename, file_name_size, argv[optind], "Input file name");
  }
  warn_of_ignored_inputs(infile_options, optind, argc, argv);
}

void init_internals() {
  front_end.debug_file_handle = stderr;

  if (names_stdin(front_end.input_filename)) {
    if (standard_descriptor_was_closed(STDIN_FILENO)) exit_file_error("Standard input is closed");
    front_end.input_file_handle = stdin;
  } else if (front_end.input_filename[0] == '\0') {
    exit_error("ERROR: No input file specified");
  } else {
    front_end.input_file_handle = std::fopen(front_end.input_filename, "rb");
    if (front_end.input_file_handle == nullptr) exit_error("ERROR: Input file can't be openned for reading");
  }

  // Refuse to truncate the LOG, or one output with the other, before anything is opened for
  // writing.
  const char* const output_name = front_end.output_filename[0] != '\0' ? front_end.output_filename : nullptr;
  const char* const kml_name = front_end.kml_output_filename[0] != '\0' ? front_end.kml_output_filename : nullptr;
  if (output_name == nullptr && standard_descriptor_was_closed(STDOUT_FILENO)) {
    exit_file_error("Standard output is closed");
  }
  if (is_the_input(front_end.input_file_handle, output_name) ||
      (kml_name != nullptr && is_the_input(front_end.input_file_handle, kml_name))) {
    exit_error("ERROR: Output file is the same file as the input file");
  }
  if (kml_name != nullptr && outputs_collide(output_name, kml_name)) {
    exit_error(("ERROR: Output file is the same file as the other output: " + terminal_text(kml_name)).c_str());
  }
  // A LOG is never overwritten, nor a document appended to one: the user removes it first.
  const auto refuse_a_log = [](const char* name) {
    if (!holds_log_records(name)) return;
    exit_error(("ERROR: Output file is a LOG file and is not overwritten: " +
                terminal_text(name != nullptr ? name : "standard output"))
                   .c_str());
  };
  refuse_a_log(output_name);
  if (kml_name != nullptr) refuse_a_log(kml_name);

  open_output(front_end.output, front_end.output_filename);
  if (kml_name != nullptr) open_output(front_end.kml_output, kml_name);
}

void run_conversions() {
  FILE* const debug = front_end.debug_file_handle;
  decode_context* const context = OrvexDecode_context_new();
  if (context == nullptr) exit_file_error("Out of memory");
  errno = 0;
  const bool kml = front_end.kml_output.stream() != nullptr;
  if (kml) {
    // One read of the input serves both documents, so standard input needs no copy.
    OrvexDecode_context_LOG_to_XML_and_KML(context, &front_end.constants, &front_end.options,
                                           front_end.input_file_handle, front_end.output.stream(),
                                           front_end.kml_output.stream(), debug, front_end.input_filename);
  } else {
    OrvexDecode_context_LOG_to_XML(context, &front_end.constants, &front_end.options, front_end.input_file_handle,
                                   front_end.output.stream(), debug, front_end.input_filename);
  }
  const orvex_log_health health = OrvexDecode_context_health(context);
  if (const char* reason = not_a_log_reason(health)) {
    std::fprintf(stderr, "warning: not a LOG file (%s): %s\n", reason, terminal_text(input_display_name()).c_str());
  }
  print_loss_warnings(health, kml ? "KML" : nullptr);
  OrvexDecode_context_free(context);
  check_read(front_end.input_file_handle);
  check_written(front_end.output.stream());
  if (front_end.kml_output.stream() != nullptr) check_written(front_end.kml_output.stream());
}

void close_internals() {
  std::fclose(front_end.input_file_handle);
  if (!front_end.output.finish() || !front_end.kml_output.finish()) exit_write_error();
  commit_output(front_end.output, front_end.output_filename);
  commit_output(front_end.kml_output, front_end.kml_output_filename);
}
