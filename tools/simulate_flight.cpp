// orvexdecode-simulate: writes the LOG of a simulated flight, the same bytes for the same seed.
//
//   orvexdecode-simulate --seed 7 --minutes 45 flight.LOG
//   orvexdecode-simulate --size-mb 20 - | orvexdecode -
#include <getopt.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "flight_simulator.h"
#include "orvexdecode_version.h"

namespace {

const char* program_name = "orvexdecode-simulate";

void print_usage(FILE* to) {
  std::fprintf(to,
               "Usage: %s [options] [output file]\n"
               "Writes the LOG of a simulated flight from and back to one airfield.\n"
               "  -s --seed <n>             pseudo-random seed: the same seed gives the same LOG (default 1)\n"
               "  -m --minutes <m>          length of the LOG in minutes (default 10)\n"
               "     --size-mb <s>          length chosen for a LOG of about s megabytes (10^6 bytes)\n"
               "     --swap-gps             GPS 1 sends NMEA $GPRMC and GPS 2 the aviation format\n"
               "                            (decode with --gps_1_nmea --gps_2_aviation)\n"
               "     --aviation-format <f>  1: aviation sentences with the altitude item (default);\n"
               "                            3: without it\n"
               "  -o --output <file>        output file; \"-\" is standard output (the default)\n"
               "  -h --help                 this message\n"
               "     --version              print the version and exit\n"
               "Without --swap-gps decode with --gps_2_nmea to read GPS 2 as well.\n",
               program_name);
}

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "%s: %s\nTry `%s --help` for more information\n", program_name, message.c_str(), program_name);
  std::exit(2);
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
  flight_options options;
  std::string output = "-";
  bool have_minutes = false;
  bool have_size = false;
  double size_mb = 0.0;
  enum { opt_size = 1000, opt_swap, opt_format, opt_version };
  static const option long_options[] = {
      {"seed", required_argument, nullptr, 's'},
      {"minutes", required_argument, nullptr, 'm'},
      {"size-mb", required_argument, nullptr, opt_size},
      {"swap-gps", no_argument, nullptr, opt_swap},
      {"aviation-format", required_argument, nullptr, opt_format},
      {"output", required_argument, nullptr, 'o'},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, opt_version},
      {nullptr, 0, nullptr, 0},
  };
  int c;
  while ((c = getopt_long(argc, argv, "s:m:o:h", long_options, nullptr)) != -1) {
    switch (c) {
      case 's': options.seed = parse_seed(optarg); break;
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
        break;
      case 'o': output = optarg; break;
      case 'h': print_usage(stdout); return std::fflush(stdout) == 0 ? 0 : 2;
      case opt_version:
        std::printf("%s %s\n", program_name, ORVEXDECODE_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 2;
      default: fail("unknown option");
    }
  }
  if (optind < argc) output = argv[optind++];
  if (optind < argc) fail("more than one output file");
  if (have_minutes && have_size) fail("give --minutes or --size-mb, not both");
  if (have_size) options.minutes = minutes_for_megabytes(size_mb);
  if (options.minutes > longest_flight_minutes) fail("the flight is longer than the LOG timestamps can cover");

  FILE* out = stdout;
  if (output != "-") {
    out = std::fopen(output.c_str(), "wb");
    if (out == nullptr) fail("cannot open " + output + " for writing: " + std::strerror(errno));
  } else if (isatty(fileno(stdout))) {
    fail("the LOG is binary: name an output file or redirect standard output");
  }
  const bool written = simulate_flight(options, [out](std::span<const std::uint8_t> bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  });
  const bool closed = out == stdout ? std::fflush(out) == 0 : std::fclose(out) == 0;
  if (!written || !closed) fail("cannot write " + (output == "-" ? std::string("standard output") : output));
  return 0;
}
