// orvexdecode-simulate: writes the LOG of a simulated flight, the same bytes for the same seed,
// or of a scenario file with the truth of what it planted.
//
//   orvexdecode-simulate --seed 7 --minutes 45 flight.LOG
//   orvexdecode-simulate --size-mb 20 - | orvexdecode -
//   orvexdecode-simulate --scenario pattern.scenario --truth pattern.json pattern.LOG
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "file_checks.h"
#include "flight_simulator.h"
#include "option_errors.h"
#include "orvexdecode_version.h"
#include "scenario_simulator.h"

namespace {

constexpr const char* simulator_name = "orvexdecode-simulate";
const char* program_name = simulator_name;

void print_usage(FILE* to) {
  std::fprintf(to,
               "Usage: %s [options] [output file]\n"
               "Writes the LOG of a simulated flight from and back to one airfield, or of a scenario.\n"
               "  -s --seed <n>             pseudo-random seed: the same seed gives the same LOG (default 1)\n"
               "  -m --minutes <m>          length of the LOG in minutes (default 10)\n"
               "     --size-mb <s>          length chosen for a LOG of about s megabytes (10^6 bytes)\n"
               "     --swap-gps             GPS 1 sends NMEA $GPRMC and GPS 2 the aviation format\n"
               "                            (decode with --gps_1_nmea --gps_2_aviation)\n"
               "     --aviation-format <f>  1: aviation sentences with the altitude item (default);\n"
               "                            3: without it\n"
               "     --scenario <file>      fly a scenario file (see the manual page); --seed, --swap-gps\n"
               "                            and --aviation-format override its settings\n"
               "     --truth <file>         with --scenario: write what the scenario planted as JSON\n"
               "  -o --output <file>        output file; \"-\" is standard output (the default)\n"
               "  -h --help                 this message\n"
               "     --version              print the version and exit\n"
               "Without --swap-gps decode with --gps_2_nmea to read GPS 2 as well.\n",
               program_name);
}

// A usage error: one line, status 1.
[[noreturn]] void fail(const std::string& message) { exit_usage_error(program_name, message); }

// A scenario file that can't be flown: status 1, as a bad value is.
[[noreturn]] void fail_scenario(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", terminal_text(program_name).c_str(), terminal_text(message).c_str());
  std::exit(1);
}

// A file that cannot be read or written: status 2.
[[noreturn]] void fail_file(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", terminal_text(program_name).c_str(), terminal_text(message).c_str());
  std::exit(2);
}

std::string read_whole(const std::string& path) {
  FILE* in = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
  if (in == nullptr) fail_file("cannot read " + path + ": " + std::strerror(errno));
  std::string text;
  char buffer[65536];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    text.append(buffer, n);
    if (text.size() > 16u << 20) fail_file(path + " is too large for a scenario file");
  }
  const bool failed = std::ferror(in) != 0;
  if (in != stdin) std::fclose(in);
  if (failed) fail_file("cannot read " + path);
  return text;
}

// The scenario of the file, with the options given on the command line taking the place of its
// settings.
scenario scenario_of(const std::string& path, const flight_options& options, bool have_seed, bool have_format) {
  scenario s;
  scenario_error error;
  if (!read_scenario(read_whole(path), s, error)) fail_scenario(path + ": " + error_text(error));
  scenario_settings& set = s.settings;
  if (have_seed) set.seed = options.seed;
  if (options.swap_gps) std::swap(set.gps[0], set.gps[1]);
  if (have_format) {
    for (gps_sentences& g : set.gps) {
      if (g == gps_sentences::aviation || g == gps_sentences::aviation_3) {
        g = options.aviation_format == 3 ? gps_sentences::aviation_3 : gps_sentences::aviation;
      }
    }
  }
  return s;
}

double parse_number(const char* text, const char* what) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !(value >= 0.0)) fail(std::string("bad ") + what + ": " + text);
  return value;
}

std::uint64_t parse_seed(const char* text) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || text[0] == '-') fail(std::string("bad seed: ") + text);
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 0 && argv[0] != nullptr) program_name = argv[0];
  flight_options options;
  std::string output = "-";
  bool have_minutes = false;
  bool have_size = false;
  bool have_seed = false;
  bool have_format = false;
  double size_mb = 0.0;
  std::string scenario_path;
  std::string truth_path;
  enum { opt_size = 1000, opt_swap, opt_format, opt_version, opt_scenario, opt_truth };
  static const option long_options[] = {
      {"seed", required_argument, nullptr, 's'},
      {"minutes", required_argument, nullptr, 'm'},
      {"size-mb", required_argument, nullptr, opt_size},
      {"swap-gps", no_argument, nullptr, opt_swap},
      {"aviation-format", required_argument, nullptr, opt_format},
      {"scenario", required_argument, nullptr, opt_scenario},
      {"truth", required_argument, nullptr, opt_truth},
      {"output", required_argument, nullptr, 'o'},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, opt_version},
      {nullptr, 0, nullptr, 0},
  };
  opterr = 0;  // the error is told through mistyped_option_text
  int c;
  while ((c = getopt_long(argc, argv, "s:m:o:h", long_options, nullptr)) != -1) {
    if (const std::string mistake = single_dash_long_option_text(argv, long_options); !mistake.empty()) fail(mistake);
    switch (c) {
      case 's':
        options.seed = parse_seed(optarg);
        have_seed = true;
        break;
      case 'm':
        options.minutes = parse_number(optarg, "minutes");
        have_minutes = true;
        break;
      case opt_size:
        size_mb = parse_number(optarg, "size");
        have_size = true;
        break;
      case opt_swap: options.swap_gps = true; break;
      case opt_format:
        if (std::strcmp(optarg, "1") != 0 && std::strcmp(optarg, "3") != 0) fail("the aviation format is 1 or 3");
        options.aviation_format = optarg[0] - '0';
        have_format = true;
        break;
      case opt_scenario: scenario_path = optarg; break;
      case opt_truth: truth_path = optarg; break;
      case 'o': output = optarg; break;
      case 'h': print_usage(stdout); return std::fflush(stdout) == 0 ? 0 : 2;
      case opt_version:
        std::printf("%s %s\n", simulator_name, ORVEXDECODE_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 2;
      default: fail(mistyped_option_text(argv, "s:m:o:h", long_options));
    }
  }
  if (optind < argc) output = argv[optind++];
  if (optind < argc) fail("more than one output file");
  if (have_minutes && have_size) fail("give --minutes or --size-mb, not both");
  if (!scenario_path.empty() && (have_minutes || have_size))
    fail("a scenario sets its own length: no --minutes or --size-mb");
  if (!truth_path.empty() && scenario_path.empty()) fail("--truth needs --scenario");
  if (!truth_path.empty() && truth_path == output) fail("the truth and the LOG go to the same file");
  if (have_size) options.minutes = minutes_for_megabytes(size_mb);
  if (options.minutes > longest_flight_minutes) fail("the flight is longer than the LOG timestamps can cover");

  scenario planned;
  if (!scenario_path.empty()) planned = scenario_of(scenario_path, options, have_seed, have_format);

  FILE* out = stdout;
  if (output != "-") {
    out = std::fopen(output.c_str(), "wb");
    if (out == nullptr) fail_file("cannot open " + output + " for writing: " + std::strerror(errno));
  } else if (isatty(fileno(stdout))) {
    fail("the LOG is binary: name an output file or redirect standard output");
  }
  const log_sink sink = [out](std::span<const std::uint8_t> bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  };
  bool written = true;
  scenario_truth truth;
  scenario_error flown;
  if (scenario_path.empty()) {
    written = simulate_flight(options, sink);
  } else if (!simulate_scenario(planned, sink, truth_path.empty() ? nullptr : &truth, &flown) && flown.line >= 0) {
    if (out != stdout) {
      std::fclose(out);
      std::remove(output.c_str());  // no LOG of a scenario that could not be flown
    }
    fail_scenario(scenario_path + ": " + error_text(flown));
  } else {
    written = flown.message.empty();
  }
  const bool closed = out == stdout ? std::fflush(out) == 0 : std::fclose(out) == 0;
  if (!written || !closed) fail_file("cannot write " + (output == "-" ? std::string("standard output") : output));
  if (!truth_path.empty()) {
    const std::string json = truth_json(truth);
    FILE* t = truth_path == "-" ? stdout : std::fopen(truth_path.c_str(), "wb");
    if (t == nullptr) fail_file("cannot open " + truth_path + " for writing: " + std::strerror(errno));
    const bool ok = std::fwrite(json.data(), 1, json.size(), t) == json.size();
    if (!((t == stdout ? std::fflush(t) == 0 : std::fclose(t) == 0) && ok)) fail_file("cannot write " + truth_path);
  }
  return 0;
}
