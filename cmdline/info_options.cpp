#include "info_options.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "file_checks.h"
#include "limits_file.h"
#include "option_errors.h"
#include "option_values.h"
#include "orvexdecode_version.h"

namespace {

const char* program_name = "orvexdecode-info";

constexpr const char* usage_text =
    "Usage: %s [options] LOG...\n"
    "Tells the flights in EFIS LOG files: engine and flight times, takeoff and landing, engine\n"
    "and flight figures, and the health of each LOG.\n"
    "\n"
    "  LOG                     a LOG file, a folder (the .LOG files in it and in its folders,\n"
    "                          by name), or \"-\" for standard input (once)\n"
    "  --json                  one JSON object per LOG, one a line (JSON Lines)\n"
    "  -j, --jobs N            read N LOGs at once (default: the number of cores); the reports\n"
    "                          keep the order of the LOGs\n"
    "  --limits FILE           check the flights against an aircraft limits file\n"
    "  --profile FILE          the aircraft profile: engine, aux inputs, flight phases, limits\n"
    "  --profile-set SETTING   a profile setting over the profile's (\"liftoff_speed = 50\");\n"
    "                          may be given again\n"
    "  --utc-start TIME        UTC of the first record, for a LOG without GPS time\n"
    "                          (ISO 8601, e.g. 2026-03-11T22:22:46Z; 1970 to 2099)\n"
    "  --time-zone ZONE        give local times in ZONE (an IANA name such as\n"
    "                          America/Los_Angeles, from the system's time-zone data)\n"
    "  --cross-country NM      a flight with a landing NM or more from its departure\n"
    "                          (straight line) is cross-country - default 50\n"
    "  --force                 write to a standard output that is a LOG file all the same\n"
    "  --airports FILE         the airports of the takeoffs and landings: an airport table, or\n"
    "                          OurAirports' airports.csv (with its runways.csv beside it), or\n"
    "                          \"none\" - default the table installed with the program\n"
    "  --airport-radius KM     an airport's runways within KM of the point - default 3\n"
    "  --heliports             heliports, seaplane bases and balloon ports too\n"
    "  --gps_1_aviation        GPS 1 sends the aviation format - default\n"
    "  --gps_1_nmea            GPS 1 sends NMEA RMC sentences\n"
    "  --gps_2_aviation        GPS 2 sends the aviation format\n"
    "  --gps_2_nmea            GPS 2 sends NMEA RMC sentences - default\n"
    "\n"
    "Flight detection:\n"
    "  --engine-rpm N          the engine runs at N rpm or more - default 500\n"
    "  --engine-stop S         it has stopped after S seconds below that - default 30\n"
    "  --takeoff-speed KT      airborne after --takeoff-time seconds at KT or more\n"
    "                          (AHRS airspeed, else GPS ground speed) - default 50\n"
    "  --takeoff-time S        default 10\n"
    "  --landing-speed KT      landed after --landing-time seconds below KT - default 35\n"
    "  --landing-time S        default 30\n"
    "  --gap S                 tell gaps longer than S seconds in a periodic source - default 5\n"
    "\n"
    "  -h, --help              this help\n"
    "      --version           the version\n"
    "\n"
    "Exit status: 0 when every LOG was read, 1 on a usage error, 2 when a LOG, the limits\n"
    "file or the profile could not be read, a file is not a LOG, or the output is a LOG or could not be\n"
    "written (\"ERROR:\" on standard error).\n";

// A usage error: one line, no usage text.
[[noreturn]] void exit_usage(const std::string& message) { exit_usage_error(program_name, message); }

double parse_number(const char* text, const char* option, double least) {
  double value = 0.0;
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, value, std::chars_format::fixed);
  if (error != std::errc() || stop != end || !(value >= least) || value > 1e6) {
    exit_usage(std::string(option) + ": not a number of at least " + std::to_string(static_cast<int>(least)) + ": " +
               text);
  }
  return value;
}

}  // namespace

info_request parse_info_arguments(int argc, char** argv) {
  if (argc > 0 && argv[0] != nullptr) program_name = argv[0];
  enum : int {
    opt_json = 256,
    opt_force,
    opt_limits,
    opt_profile,
    opt_profile_set,
    opt_utc_start,
    opt_gps_1_aviation,
    opt_gps_1_nmea,
    opt_gps_2_aviation,
    opt_gps_2_nmea,
    opt_engine_rpm,
    opt_engine_stop,
    opt_takeoff_speed,
    opt_takeoff_time,
    opt_landing_speed,
    opt_landing_time,
    opt_gap,
    opt_airports,
    opt_airport_radius,
    opt_heliports,
    opt_time_zone,
    opt_cross_country,
    opt_version,
  };
  static const option long_options[] = {
      {"json", no_argument, nullptr, opt_json},
      {"force", no_argument, nullptr, opt_force},
      {"jobs", required_argument, nullptr, 'j'},
      {"limits", required_argument, nullptr, opt_limits},
      {"profile", required_argument, nullptr, opt_profile},
      {"profile-set", required_argument, nullptr, opt_profile_set},
      {"utc-start", required_argument, nullptr, opt_utc_start},
      {"gps_1_aviation", no_argument, nullptr, opt_gps_1_aviation},
      {"gps_1_nmea", no_argument, nullptr, opt_gps_1_nmea},
      {"gps_2_aviation", no_argument, nullptr, opt_gps_2_aviation},
      {"gps_2_nmea", no_argument, nullptr, opt_gps_2_nmea},
      {"engine-rpm", required_argument, nullptr, opt_engine_rpm},
      {"engine-stop", required_argument, nullptr, opt_engine_stop},
      {"takeoff-speed", required_argument, nullptr, opt_takeoff_speed},
      {"takeoff-time", required_argument, nullptr, opt_takeoff_time},
      {"landing-speed", required_argument, nullptr, opt_landing_speed},
      {"landing-time", required_argument, nullptr, opt_landing_time},
      {"gap", required_argument, nullptr, opt_gap},
      {"airports", required_argument, nullptr, opt_airports},
      {"airport-radius", required_argument, nullptr, opt_airport_radius},
      {"heliports", no_argument, nullptr, opt_heliports},
      {"time-zone", required_argument, nullptr, opt_time_zone},
      {"cross-country", required_argument, nullptr, opt_cross_country},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, opt_version},
      {nullptr, 0, nullptr, 0},
  };
  info_request request;
  detection_options& d = request.analysis.detection;
  library_options& o = request.analysis.decode;
  opterr = 0;  // the error is told through mistyped_option_text
  for (;;) {
    const int c = getopt_long(argc, argv, "j:h", long_options, nullptr);
    if (c == -1) break;
    if (const std::string mistake = single_dash_long_option_text(argv, long_options); !mistake.empty()) {
      exit_usage(mistake);
    }
    switch (c) {
      case opt_json: request.json = true; break;
      case opt_force: request.force = true; break;
      case 'j': request.jobs = static_cast<unsigned>(parse_number(optarg, "-j", 1)); break;
      case opt_limits: request.limits_file = optarg; break;
      case opt_profile: request.profile_file = optarg; break;
      case opt_profile_set: request.profile_settings.emplace_back(optarg); break;
      case opt_utc_start: request.analysis.utc_start_ms = utc_start_option(optarg, exit_usage); break;
      case opt_gps_1_aviation: o.gps_1_type = ORVEX_GPS_FORMAT_AVIATION; break;
      case opt_gps_1_nmea: o.gps_1_type = ORVEX_GPS_FORMAT_NMEA; break;
      case opt_gps_2_aviation: o.gps_2_type = ORVEX_GPS_FORMAT_AVIATION; break;
      case opt_gps_2_nmea: o.gps_2_type = ORVEX_GPS_FORMAT_NMEA; break;
      case opt_engine_rpm: d.engine_rpm = parse_number(optarg, "--engine-rpm", 1); break;
      case opt_engine_stop: d.engine_stop_s = parse_number(optarg, "--engine-stop", 0); break;
      case opt_takeoff_speed: d.takeoff_kt = parse_number(optarg, "--takeoff-speed", 1); break;
      case opt_takeoff_time: d.takeoff_s = parse_number(optarg, "--takeoff-time", 0); break;
      case opt_landing_speed: d.landing_kt = parse_number(optarg, "--landing-speed", 1); break;
      case opt_landing_time: d.landing_s = parse_number(optarg, "--landing-time", 0); break;
      case opt_gap: request.analysis.gap_s = parse_number(optarg, "--gap", 0); break;
      case opt_airports: take_airports_option(request.sources.airports, optarg, exit_usage); break;
      case opt_airport_radius:
        request.sources.airports.options.capture_radius_m = airport_radius_option(optarg, exit_usage);
        break;
      case opt_heliports: request.sources.airports.options.other_bases = true; break;
      case opt_time_zone: request.sources.zone = time_zone_option(optarg, exit_usage); break;
      case opt_cross_country:
        request.analysis.logbook.cross_country_nm = distance_option(optarg, "--cross-country", exit_usage);
        break;
      case 'h': std::printf(usage_text, program_name); std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      case opt_version:
        std::printf("orvexdecode-info %s\n", ORVEXDECODE_VERSION);
        std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      default: exit_usage(mistyped_option_text(argv, "j:h", long_options));
    }
  }
  if (d.landing_kt > d.takeoff_kt) exit_usage("--landing-speed is above --takeoff-speed");
  for (int i = optind; i < argc; ++i) request.logs.emplace_back(argv[i]);
  if (request.logs.empty()) exit_usage("no LOG given");
  if (std::count(request.logs.begin(), request.logs.end(), "-") > 1) {
    exit_usage("standard input (\"-\") may be given once");
  }
  request.sources.profile = profile_option(request.profile_file, request.profile_settings, exit_usage);
  if (!request.limits_file.empty()) request.sources.limits_text = read_limits_file(request.limits_file);
  request.sources.lookup = open_chosen_airports(request.sources.airports);
  return request;
}
