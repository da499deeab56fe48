#include "report_options.h"

#include <getopt.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "file_checks.h"
#include "limits_file.h"
#include "option_errors.h"
#include "option_values.h"
#include "orvexdecode_version.h"

namespace {

constexpr const char* command_name = "orvexdecode-report";
const char* program_name = command_name;

constexpr const char* usage_text =
    "Usage: %s [options] LOG [-o REPORT.html]\n"
    "Writes the flight report of an EFIS LOG file: one self-contained HTML page with the flights,\n"
    "the health of the LOG, the exceedances of the aircraft limits, charts on one time axis and\n"
    "a map of the track. The page needs nothing outside itself: open it from disk, print it or\n"
    "mail it.\n"
    "\n"
    "  LOG                     a LOG file, or \"-\" for standard input\n"
    "  -o, --output FILE       the report; default: the LOG's name with .html (standard output\n"
    "                          when the LOG is standard input); \"-\" is standard output\n"
    "  --flight N              show flight N (1 for the first) of the flights found\n"
    "  --from TIME             show from TIME: UTC (2026-03-11T22:22:46Z) or seconds of LOG time\n"
    "  --to TIME               show up to TIME (not included)\n"
    "  --every S               the charts' and the track's time step in seconds - default: the\n"
    "                          stretch shown in about 1500 steps, none under 0.2 s\n"
    "  --force                 overwrite a REPORT.html that is a LOG file\n"
    "  --limits FILE           check the flights against an aircraft limits file\n"
    "  --profile FILE          the aircraft profile: engine, aux inputs, flight phases, limits\n"
    "  --profile-set SETTING   a profile setting over the profile's (\"liftoff_speed = 50\");\n"
    "                          may be given again\n"
    "  --utc-start TIME        UTC of the first record, for a LOG without GPS time (1970 to 2099)\n"
    "  --time-zone ZONE        give the logbook's local times in ZONE (America/Los_Angeles)\n"
    "  --cross-country NM      a landing NM or more from the departure makes a flight\n"
    "                          cross-country - default 50\n"
    "  --gps_1_aviation        GPS 1 sends the aviation format - default\n"
    "  --gps_1_nmea            GPS 1 sends NMEA RMC sentences\n"
    "  --gps_2_aviation        GPS 2 sends the aviation format\n"
    "  --gps_2_nmea            GPS 2 sends NMEA RMC sentences - default\n"
    "  --airports FILE         the airports of the takeoffs and landings: an airport table, or\n"
    "                          OurAirports' airports.csv (with its runways.csv beside it), or\n"
    "                          \"none\" - default the table installed with the program\n"
    "  --airport-radius KM     an airport's runways within KM of the point - default 3\n"
    "  --heliports             heliports, seaplane bases and balloon ports too\n"
    "  -h, --help              this help\n"
    "      --version           the version\n"
    "\n"
    "Exit status: 0 when the report was written, 1 on a usage error, 2 when the LOG, the limits\n"
    "file or the profile could not be read, the LOG is not a LOG, the flight asked for is not in\n"
    "the LOG, or the report is a LOG file or could not be written (\"ERROR:\" on standard error;\n"
    "no file named is changed then).\n";

// A usage error: one line, no usage text.
[[noreturn]] void exit_usage(const std::string& message) { exit_usage_error(program_name, message); }

}  // namespace

report_request parse_report_arguments(int argc, char** argv) {
  if (argc > 0 && argv[0] != nullptr) program_name = argv[0];
  enum : int {
    opt_flight = 256,
    opt_from,
    opt_to,
    opt_every,
    opt_limits,
    opt_profile,
    opt_profile_set,
    opt_utc_start,
    opt_gps_1_aviation,
    opt_gps_1_nmea,
    opt_gps_2_aviation,
    opt_gps_2_nmea,
    opt_version,
    opt_force,
    opt_airports,
    opt_airport_radius,
    opt_heliports,
    opt_time_zone,
    opt_cross_country,
  };
  static const option long_options[] = {
      {"output", required_argument, nullptr, 'o'},
      {"flight", required_argument, nullptr, opt_flight},
      {"from", required_argument, nullptr, opt_from},
      {"to", required_argument, nullptr, opt_to},
      {"every", required_argument, nullptr, opt_every},
      {"limits", required_argument, nullptr, opt_limits},
      {"profile", required_argument, nullptr, opt_profile},
      {"profile-set", required_argument, nullptr, opt_profile_set},
      {"utc-start", required_argument, nullptr, opt_utc_start},
      {"gps_1_aviation", no_argument, nullptr, opt_gps_1_aviation},
      {"gps_1_nmea", no_argument, nullptr, opt_gps_1_nmea},
      {"gps_2_aviation", no_argument, nullptr, opt_gps_2_aviation},
      {"gps_2_nmea", no_argument, nullptr, opt_gps_2_nmea},
      {"force", no_argument, nullptr, opt_force},
      {"airports", required_argument, nullptr, opt_airports},
      {"airport-radius", required_argument, nullptr, opt_airport_radius},
      {"heliports", no_argument, nullptr, opt_heliports},
      {"time-zone", required_argument, nullptr, opt_time_zone},
      {"cross-country", required_argument, nullptr, opt_cross_country},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, opt_version},
      {nullptr, 0, nullptr, 0},
  };
  report_request request;
  library_options& o = request.analysis.decode;
  bool output_given = false;
  std::string from_text, to_text;
  opterr = 0;  // the error is told through mistyped_option_text
  for (;;) {
    const int c = getopt_long(argc, argv, "o:h", long_options, nullptr);
    if (c == -1) break;
    if (const std::string mistake = single_dash_long_option_text(argv, long_options); !mistake.empty()) {
      exit_usage(mistake);
    }
    switch (c) {
      case 'o':
        if (optarg[0] == '\0') exit_usage("-o: an empty file name");
        output_given = true;
        request.output = std::strcmp(optarg, "-") == 0 ? "" : optarg;
        break;
      case opt_flight: request.window.flight = flight_number_option(optarg, exit_usage); break;
      case opt_from:
        request.window.from = time_option(optarg, "--from", exit_usage);
        from_text = optarg;
        break;
      case opt_to:
        request.window.to = time_option(optarg, "--to", exit_usage);
        to_text = optarg;
        break;
      case opt_every: request.every_ms = period_option(optarg, 0.02, 86400.0, exit_usage); break;
      case opt_limits: request.limits_file = optarg; break;
      case opt_profile: request.profile_file = optarg; break;
      case opt_profile_set: request.profile_settings.emplace_back(optarg); break;
      case opt_force: request.force = true; break;
      case opt_utc_start: request.analysis.utc_start_ms = utc_start_option(optarg, exit_usage); break;
      case opt_time_zone: request.sources.zone = time_zone_option(optarg, exit_usage); break;
      case opt_cross_country:
        request.analysis.logbook.cross_country_nm = distance_option(optarg, "--cross-country", exit_usage);
        break;
      case opt_gps_1_aviation: o.gps_1_type = ORVEX_GPS_FORMAT_AVIATION; break;
      case opt_gps_1_nmea: o.gps_1_type = ORVEX_GPS_FORMAT_NMEA; break;
      case opt_gps_2_aviation: o.gps_2_type = ORVEX_GPS_FORMAT_AVIATION; break;
      case opt_gps_2_nmea: o.gps_2_type = ORVEX_GPS_FORMAT_NMEA; break;
      case opt_airports: take_airports_option(request.sources.airports, optarg, exit_usage); break;
      case opt_airport_radius:
        request.sources.airports.options.capture_radius_m = airport_radius_option(optarg, exit_usage);
        break;
      case opt_heliports: request.sources.airports.options.other_bases = true; break;
      case 'h':
        if (standard_descriptor_was_closed(STDOUT_FILENO)) exit_file_error("Standard output is closed");
        std::printf(usage_text, program_name);
        std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      case opt_version:
        std::printf("%s %s\n", command_name, ORVEXDECODE_VERSION);
        std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      default: exit_usage(mistyped_option_text(argv, "o:h", long_options));
    }
  }
  const int operands = argc - optind;
  if (operands < 1) exit_usage("no LOG given");
  if (operands > 1) exit_usage("one LOG at a time");
  request.log = argv[optind];
  if (request.log.empty()) exit_usage("an empty LOG name");
  if (!output_given && request.log != "-") {
    request.output = std::filesystem::path(request.log).replace_extension(".html").string();
    request.output_beside_log = true;
  }

  if (request.window.flight) request.window_label = std::string("flight ") + std::to_string(*request.window.flight);
  if (!from_text.empty() || !to_text.empty()) {
    if (!request.window_label.empty()) request.window_label += ", ";
    request.window_label += from_text.empty() ? std::string("up to ") + to_text
                            : to_text.empty() ? std::string("from ") + from_text
                                              : std::string("from ") + from_text + " to " + to_text;
  }
  request.sources.profile = profile_option(request.profile_file, request.profile_settings, exit_usage);
  if (!request.limits_file.empty()) request.sources.limits_text = read_limits_file(request.limits_file);
  request.sources.lookup = open_chosen_airports(request.sources.airports);
  return request;
}
