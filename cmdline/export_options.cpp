#include "export_options.h"

#include <getopt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "option_values.h"
#include "orvexdecode_version.h"

namespace {

const char* program_name = "orvexdecode-export";

constexpr const char* usage_text =
    "Usage: %s FORMAT [options] LOG [OUTPUT]\n"
    "Writes an EFIS LOG file in a format that flight-analysis services, logbooks and globe\n"
    "viewers import.\n"
    "\n"
    "  FORMAT                  csv: one row per period of every decoded value (RFC 4180)\n"
    "                          avionics-csv: the avionics datalog CSV layout\n"
    "                          gpx: GPX 1.1, a track per flight, a point per GPS 1 fix\n"
    "                          kml: KML 2.2 with time, to replay the flight\n"
    "  LOG                     a LOG file, or \"-\" for standard input\n"
    "  OUTPUT                  the file to write; default (or \"-\") standard output\n"
    "  --flight N              only detected flight N (1 for the first)\n"
    "  --from TIME             only from TIME on (included): UTC in ISO 8601\n"
    "                          (2026-03-11T22:22:46Z) or seconds of LOG time (754.2)\n"
    "  --to TIME               only up to TIME (excluded)\n"
    "  --every S               a row every S seconds - default 1 (not gpx: every fix)\n"
    "  --utc-start TIME        UTC of the first record, for a LOG without GPS time\n"
    "  --tail IDENT            the aircraft's registration, for headers and names\n"
    "  --gps_1_aviation        GPS 1 sends the aviation format - default\n"
    "  --gps_1_nmea            GPS 1 sends NMEA RMC sentences\n"
    "  --gps_2_aviation        GPS 2 sends the aviation format\n"
    "  --gps_2_nmea            GPS 2 sends NMEA RMC sentences - default\n"
    "  -h, --help              this help\n"
    "      --version           the version\n"
    "\n"
    "Exit status: 0 on success, 1 on a usage error, 2 when the LOG can't be read, the output\n"
    "can't be written or the LOG does not hold what was asked for (\"ERROR:\" on standard error).\n";

[[noreturn]] void exit_usage(const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", program_name, message.c_str());
  std::fprintf(stderr, usage_text, program_name);
  std::exit(1);
}

bool format_of(std::string_view name, export_format& format) {
  static constexpr struct {
    std::string_view name;
    export_format format;
  } formats[] = {{"csv", export_format::csv},
                 {"avionics-csv", export_format::avionics_csv},
                 {"gpx", export_format::gpx},
                 {"kml", export_format::kml}};
  for (const auto& f : formats) {
    if (f.name == name) {
      format = f.format;
      return true;
    }
  }
  return false;
}

}  // namespace

export_arguments parse_export_arguments(int argc, char** argv) {
  if (argc > 0 && argv[0] != nullptr) program_name = argv[0];
  enum : int {
    opt_flight = 256,
    opt_from,
    opt_to,
    opt_every,
    opt_utc_start,
    opt_tail,
    opt_gps_1_aviation,
    opt_gps_1_nmea,
    opt_gps_2_aviation,
    opt_gps_2_nmea,
    opt_version,
  };
  static const option long_options[] = {
      {"flight", required_argument, nullptr, opt_flight},
      {"from", required_argument, nullptr, opt_from},
      {"to", required_argument, nullptr, opt_to},
      {"every", required_argument, nullptr, opt_every},
      {"utc-start", required_argument, nullptr, opt_utc_start},
      {"tail", required_argument, nullptr, opt_tail},
      {"gps_1_aviation", no_argument, nullptr, opt_gps_1_aviation},
      {"gps_1_nmea", no_argument, nullptr, opt_gps_1_nmea},
      {"gps_2_aviation", no_argument, nullptr, opt_gps_2_aviation},
      {"gps_2_nmea", no_argument, nullptr, opt_gps_2_nmea},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, opt_version},
      {nullptr, 0, nullptr, 0},
  };
  export_arguments a;
  export_request& r = a.request;
  for (;;) {
    const int c = getopt_long(argc, argv, "h", long_options, nullptr);
    if (c == -1) break;
    switch (c) {
      case opt_flight: r.window.flight = flight_number_option(optarg, exit_usage); break;
      case opt_from: r.window.from = time_option(optarg, "--from", exit_usage); break;
      case opt_to: r.window.to = time_option(optarg, "--to", exit_usage); break;
      case opt_every: r.every_ms = period_option(optarg, 0.001, 86400.0, exit_usage); break;
      case opt_utc_start: r.utc_start_ms = utc_start_option(optarg, exit_usage); break;
      case opt_tail: r.tail = optarg; break;
      case opt_gps_1_aviation: r.decode.gps_1_type = ORVEX_GPS_FORMAT_AVIATION; break;
      case opt_gps_1_nmea: r.decode.gps_1_type = ORVEX_GPS_FORMAT_NMEA; break;
      case opt_gps_2_aviation: r.decode.gps_2_type = ORVEX_GPS_FORMAT_AVIATION; break;
      case opt_gps_2_nmea: r.decode.gps_2_type = ORVEX_GPS_FORMAT_NMEA; break;
      case 'h': std::printf(usage_text, program_name); std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      case opt_version:
        std::printf("orvexdecode-export %s\n", ORVEXDECODE_VERSION);
        std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      default: exit_usage("unknown option or missing value");  // getopt_long has said which
    }
  }
  const int operands = argc - optind;
  if (operands < 1) exit_usage("no FORMAT given");
  if (!format_of(argv[optind], a.format)) {
    exit_usage(std::string("unknown FORMAT (csv, avionics-csv, gpx or kml): ") + argv[optind]);
  }
  if (operands < 2) exit_usage("no LOG given");
  if (operands > 3) exit_usage("too many arguments");
  a.log = argv[optind + 1];
  if (operands == 3 && std::strcmp(argv[optind + 2], "-") != 0) a.output = argv[optind + 2];
  return a;
}
