#include "export_options.h"

#include <getopt.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "file_checks.h"
#include "limits_file.h"
#include "option_errors.h"
#include "option_values.h"
#include "orvexdecode_version.h"

namespace {

const char* program_name = "orvexdecode-export";

// "a, b and c" (or "a, b or c").
std::string spoken_list(const std::vector<std::string_view>& items, std::string_view last_joint) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? last_joint : std::string_view(", ");
    text += items[i];
  }
  return text;
}

std::vector<std::string_view> format_names() {
  std::vector<std::string_view> names;
  for (const export_format& f : export_formats()) names.push_back(f.name);
  return names;
}

// The formats' extensions, each once, in the registry's order.
std::vector<std::string_view> format_extensions() {
  std::vector<std::string_view> extensions;
  for (const export_format& f : export_formats()) {
    if (std::find(extensions.begin(), extensions.end(), f.extension) == extensions.end()) {
      extensions.push_back(f.extension);
    }
  }
  return extensions;
}

// The usage, its FORMATs and their extensions from the registry.
std::string usage_text(std::string_view program) {
  constexpr std::string_view option_column = "                          ";
  std::string text;
  text.append("Usage: ").append(program).append(" FORMAT [options] LOG [OUTPUT]\n");
  text.append("       ").append(program).append(" FORMAT [options] --output-dir DIR [--each-flight] LOG...\n");
  text.append(
      "Writes an EFIS LOG file in a format that flight-analysis services, logbooks and globe\n"
      "viewers import.\n"
      "\n");
  bool first = true;
  for (const export_format& f : export_formats()) {
    text.append(first ? std::string_view("  FORMAT                  ") : option_column);
    text.append(f.name).append(": ").append(f.summary).append("\n");
    first = false;
  }
  text.append(
      "  LOG                     a LOG file, or \"-\" for standard input\n"
      "  OUTPUT, -o FILE         the file to write; default (or \"-\") standard output\n"
      "  --output-dir DIR        write each LOG to DIR/NAME");
  text.append(spoken_list(format_extensions(), " or "));
  text.append(
      " (NAME: the LOG's\n"
      "                          name without its extension); DIR is made when missing\n"
      "  --each-flight           with --output-dir: a file per detected flight,\n"
      "                          NAME-flight-N-YYYY-MM-DD.EXT (the UTC date of its start)\n"
      "  --force                 overwrite an output that is a LOG file\n"
      "  --flight N              only detected flight N (1 for the first)\n"
      "  --from TIME             only from TIME on (included): UTC in ISO 8601\n"
      "                          (2026-03-11T22:22:46Z) or seconds of LOG time (754.2)\n"
      "  --to TIME               only up to TIME (excluded)\n"
      "  --every S               a row every S seconds - default 1 (not gpx: every fix)\n"
      "  --utc-start TIME        UTC of the first record, for a LOG without GPS time (1970 to 2099)\n"
      "  --tail IDENT            the aircraft's registration, for headers and names\n"
      "  --local-time            avionics-csv: Lcl Date, Lcl Time and UTCOfst in the local time\n"
      "                          of the departure (--time-zone names the zone) - default UTC\n"
      "  --time-zone ZONE        the zone of --local-time (America/Los_Angeles)\n"
      "  --airports FILE         the airports of the takeoffs and landings, named by gpx and kml\n"
      "                          and giving avionics-csv --local-time its zone: an airport\n"
      "                          table, or OurAirports' airports.csv (with its runways.csv\n"
      "                          beside it), or \"none\" - default the table installed\n"
      "  --airport-radius KM     an airport's runways within KM of the point - default 3\n"
      "  --heliports             heliports, seaplane bases and balloon ports too\n"
      "  --profile FILE          the aircraft profile: its tail (unless --tail) and the aux\n"
      "                          input carrying manifold pressure (avionics-csv E1 MAP)\n"
      "  --profile-set SETTING   a profile setting over the profile's (\"aux1 = none\");\n"
      "                          may be given again\n"
      "  --gps_1_aviation        GPS 1 sends the aviation format - default\n"
      "  --gps_1_nmea            GPS 1 sends NMEA RMC sentences\n"
      "  --gps_2_aviation        GPS 2 sends the aviation format\n"
      "  --gps_2_nmea            GPS 2 sends NMEA RMC sentences - default\n"
      "  -h, --help              this help\n"
      "      --version           the version\n"
      "\n"
      "Exit status: 0 on success, 1 on a usage error, 2 when a LOG or the profile can't be read,\n"
      "a LOG is not a LOG, an output can't be written or is a LOG file, or a LOG does not hold\n"
      "what was asked for (\"ERROR:\" on standard error; the other LOGs of --output-dir are still\n"
      "exported).\n");
  return text;
}

// A usage error: one line, no usage text.
[[noreturn]] void exit_usage(const std::string& message) { exit_usage_error(program_name, message); }

// "unknown FORMAT gpxx; did you mean gpx?", or the formats there are when none is near.
std::string unknown_format_text(std::string_view given) {
  const std::vector<std::string_view> names = format_names();
  const std::string suggestion = did_you_mean(given, names, "");
  return "unknown FORMAT " + std::string(given) +
         (suggestion.empty() ? "; the FORMATs are " + spoken_list(names, " and ") : suggestion);
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
    opt_local_time,
    opt_time_zone,
    opt_profile,
    opt_profile_set,
    opt_gps_1_aviation,
    opt_gps_1_nmea,
    opt_gps_2_aviation,
    opt_gps_2_nmea,
    opt_version,
    opt_output_dir,
    opt_each_flight,
    opt_force,
    opt_airports,
    opt_airport_radius,
    opt_heliports,
  };
  static const option long_options[] = {
      {"flight", required_argument, nullptr, opt_flight},
      {"from", required_argument, nullptr, opt_from},
      {"to", required_argument, nullptr, opt_to},
      {"every", required_argument, nullptr, opt_every},
      {"utc-start", required_argument, nullptr, opt_utc_start},
      {"tail", required_argument, nullptr, opt_tail},
      {"local-time", no_argument, nullptr, opt_local_time},
      {"time-zone", required_argument, nullptr, opt_time_zone},
      {"profile", required_argument, nullptr, opt_profile},
      {"profile-set", required_argument, nullptr, opt_profile_set},
      {"gps_1_aviation", no_argument, nullptr, opt_gps_1_aviation},
      {"gps_1_nmea", no_argument, nullptr, opt_gps_1_nmea},
      {"gps_2_aviation", no_argument, nullptr, opt_gps_2_aviation},
      {"gps_2_nmea", no_argument, nullptr, opt_gps_2_nmea},
      {"output", required_argument, nullptr, 'o'},
      {"output-dir", required_argument, nullptr, opt_output_dir},
      {"each-flight", no_argument, nullptr, opt_each_flight},
      {"force", no_argument, nullptr, opt_force},
      {"airports", required_argument, nullptr, opt_airports},
      {"airport-radius", required_argument, nullptr, opt_airport_radius},
      {"heliports", no_argument, nullptr, opt_heliports},
      {"help", no_argument, nullptr, 'h'},
      {"version", no_argument, nullptr, opt_version},
      {nullptr, 0, nullptr, 0},
  };
  export_arguments a;
  export_request& r = a.request;
  const char* output_option = nullptr;
  const char* tail = nullptr;
  std::string profile_file;
  std::vector<std::string> profile_settings;
  opterr = 0;  // the error is told through mistyped_option_text
  for (;;) {
    const int c = getopt_long(argc, argv, "o:h", long_options, nullptr);
    if (c == -1) break;
    if (const std::string mistake = single_dash_long_option_text(argv, long_options); !mistake.empty()) {
      exit_usage(mistake);
    }
    switch (c) {
      case opt_flight: r.window.flight = flight_number_option(optarg, exit_usage); break;
      case opt_from: r.window.from = time_option(optarg, "--from", exit_usage); break;
      case opt_to: r.window.to = time_option(optarg, "--to", exit_usage); break;
      case opt_every: r.every_ms = period_option(optarg, 0.001, 86400.0, exit_usage); break;
      case opt_utc_start: r.utc_start_ms = utc_start_option(optarg, exit_usage); break;
      case opt_tail: tail = optarg; break;
      case opt_local_time: r.local_time = true; break;
      case opt_time_zone: r.local_time_zone = time_zone_option(optarg, exit_usage); break;
      case opt_profile: profile_file = optarg; break;
      case opt_profile_set: profile_settings.emplace_back(optarg); break;
      case opt_gps_1_aviation: r.decode.gps_1_type = ORVEX_GPS_FORMAT_AVIATION; break;
      case opt_gps_1_nmea: r.decode.gps_1_type = ORVEX_GPS_FORMAT_NMEA; break;
      case opt_gps_2_aviation: r.decode.gps_2_type = ORVEX_GPS_FORMAT_AVIATION; break;
      case opt_gps_2_nmea: r.decode.gps_2_type = ORVEX_GPS_FORMAT_NMEA; break;
      case 'o':
        if (optarg[0] == '\0') exit_usage("-o: an empty file name");
        output_option = optarg;
        break;
      case opt_output_dir:
        if (optarg[0] == '\0') exit_usage("--output-dir: an empty folder name");
        a.output_dir = optarg;
        break;
      case opt_each_flight: a.each_flight = true; break;
      case opt_force: a.force = true; break;
      case opt_airports: take_airports_option(a.airports, optarg, exit_usage); break;
      case opt_airport_radius: a.airports.options.capture_radius_m = airport_radius_option(optarg, exit_usage); break;
      case opt_heliports: a.airports.options.other_bases = true; break;
      case 'h':
        std::fputs(usage_text(program_name).c_str(), stdout);
        std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      case opt_version:
        std::printf("orvexdecode-export %s\n", ORVEXDECODE_VERSION);
        std::exit(std::fflush(stdout) == 0 ? 0 : 2);
      default: exit_usage(mistyped_option_text(argv, "o:h", long_options));
    }
  }
  const int operands = argc - optind;
  if (operands < 1) exit_usage("no FORMAT given");
  a.profile = profile_option(profile_file, profile_settings, exit_usage);
  r.tail = tail != nullptr ? std::string(tail) : a.profile.profile.tail;
  a.format = find_export_format(argv[optind]);
  if (a.format == nullptr) exit_usage(unknown_format_text(argv[optind]));
  if (operands < 2) exit_usage("no LOG given");
  if (r.local_time && a.format->name != "avionics-csv") {
    exit_usage("--local-time: only avionics-csv writes local times (the others keep UTC)");
  }
  if (r.local_time_zone && !r.local_time) exit_usage("--time-zone gives the zone of --local-time: give both");
  // The airports are opened only for an export that uses them (the plain CSV never does).
  r.lookup_options = a.airports.options;
  if (a.format->per_log.names_places || (r.local_time && !r.local_time_zone)) a.lookup = open_chosen_airports(a.airports);
  a.logs.assign(argv + optind + 1, argv + argc);
  if (a.each_flight && a.output_dir.empty())
    exit_usage("--each-flight writes a file per flight: give --output-dir DIR");
  if (a.each_flight && r.window.flight) exit_usage("--each-flight and --flight exclude each other");
  if (!a.output_dir.empty()) {
    if (output_option != nullptr) exit_usage("-o names one file and --output-dir a folder: give one of them");
    if (std::find(a.logs.begin(), a.logs.end(), "-") != a.logs.end()) {
      exit_usage("--output-dir names its files after the LOGs: standard input (\"-\") has no name");
    }
    return a;
  }
  // Without --output-dir a LOG is followed by at most its OUTPUT: "*.LOG" must not make one LOG
  // the output of another.
  if (operands > 3 || (operands == 3 && output_option != nullptr)) {
    exit_usage("too many arguments: one LOG [OUTPUT]; several LOGs are exported with --output-dir DIR");
  }
  if (operands == 3) output_option = argv[optind + 2];
  a.logs.resize(1);
  if (output_option != nullptr && std::strcmp(output_option, "-") != 0) a.output = output_option;
  return a;
}
