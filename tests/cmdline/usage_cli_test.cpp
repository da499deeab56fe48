// Every command's help, version and usage errors, as a user meets them. The newer commands tell
// a wrong command line in one line (the nearest known name when one is close, and where the
// usage is) with status 1; orvexdecode and orvexdecode-track keep their fixed texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orvexdecode_version.h"
#include "support/run_program.h"

namespace {

const std::string decoder = ORVEX_CMDLINE_PATH;
const std::string tracker = ORVEX_TRACK_PATH;
const std::string info = ORVEX_INFO_PATH;
const std::string exporter = ORVEX_EXPORT_PATH;
const std::string reporter = ORVEX_REPORT_PATH;
const std::string simulator = std::string(ORVEX_BINARY_DIR) + "/tools/orvexdecode-simulate";
const std::string scenario = std::string(ORVEX_SOURCE_DIR) + "/samples/scenarios/pattern_krnt.scenario";

std::string classic_usage() {
  return "Usage: " + decoder + " [options] <input file> (v2.24)\n" +
         "Options:\n"
         " -i --infile <filename>        : Input LOG file (or last parm) - \"-\" is stdin\n"
         " -o --outfile <filename>       : Output XML file - default stdout\n"
         " -k --kmlfile <filename>       : Output KML (Goggle Earth) file - default not generated\n"
         "    --[no]summary              : Toggle summary output - default ON\n"
         "    --summary_period <decisec> : Set summary period - default every .5 secs\n"
         "    --[no]constants            : Toggle PFD constants output - default ON\n"
         " -v --[no]verbose              : Provide some extra XML entries - default OFF\n"
         " -x --xsl_style_sheet <url>    : Specify a custom XSLT style sheet\n"
         " -h --help                     : This help message\n"
         "\n"
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
         "    --[no]weather  : (N/A) All weather records - default OFF\n"
         "\n"
         "  -d --[no]debug : \tDebug output to stderr (non XML based)\n";
}

const std::string classic_version_block =
    "Extended version information:\nprog_version=\"2.24\"\n"
    "program_cvs_revision=\"$Revision: 2.23.1.2 $\"\nprog_date=\"$Date: 2007/05/09 22:42:59 $\"\n\n";

// The one line of a newer command's usage error.
std::string usage_error(const std::string& program, const std::string& message) {
  return program + ": " + message + " (see " + program + " --help)\n";
}

}  // namespace

TEST(CommandUsage, HelpAndVersionAnswerOnStandardOutputWithStatus0) {
  const struct {
    std::string program;
    std::string name;
    std::vector<std::string> help_args;
    std::string synopsis;            // the help's first line, after "Usage: PROGRAM "
    std::vector<std::string> shows;  // in the help too
  } rows[] = {
      {tracker, "orvexdecode-track", {"--help", "-h", "--binary --help x.LOG"},
       "[--binary] [--gps_1_aviation | --gps_1_nmea] INPUT [OUTPUT]", {}},
      {info, "orvexdecode-info", {"--help", "-h", "--jobs 2 --help x.LOG"}, "[options] LOG...",
       {"--engine-rpm N", "default 500", "default 30", "default 50", "default 10", "default 35"}},
      {exporter, "orvexdecode-export", {"--help", "-h", "csv --help"}, "FORMAT [options] LOG [OUTPUT]",
       {"avionics-csv", "--output-dir DIR"}},
      {reporter, "orvexdecode-report", {"--help", "-h"}, "[options] LOG [-o REPORT.html]", {"--limits FILE"}},
      {simulator, "orvexdecode-simulate", {"--help", "-h"}, "[options] [output file]", {"--scenario <file>"}},
  };
  for (const auto& r : rows) {
    for (const std::string& args : r.help_args) {
      const program_result help = run_program(r.program, args);
      EXPECT_EQ(help.status, 0) << r.name << " " << args;
      EXPECT_TRUE(help.out.starts_with("Usage: " + r.program + " " + r.synopsis + "\n")) << help.out;
      for (const std::string& shown : r.shows) EXPECT_NE(help.out.find(shown), std::string::npos) << shown;
      EXPECT_EQ(help.err, "") << r.name << " " << args;
    }
    const program_result version = run_program(r.program, "--version x.LOG");
    EXPECT_EQ(version.status, 0) << r.name;
    EXPECT_EQ(version.out, r.name + " " + ORVEXDECODE_VERSION + "\n");
    EXPECT_EQ(version.err, "") << r.name;
  }
}

TEST(CommandUsage, NewerCommandsTellAUsageErrorInOneLineWithStatus1) {
  const struct {
    std::string program;
    std::string args;
    std::string message;
  } rows[] = {
      // Mistyped options: the nearest known one, when one is close.
      {info, "--jsno a.LOG", "unknown option --jsno; did you mean --json?"},
      {info, "--JSON a.LOG", "unknown option --JSON; did you mean --json?"},
      {info, "--utc_start=2026-03-11T22:22:46Z a.LOG",
       "unknown option --utc_start=2026-03-11T22:22:46Z; did you mean --utc-start?"},
      {info, "--gps_nmea a.LOG", "unknown option --gps_nmea; did you mean --gps_1_nmea or --gps_2_nmea?"},
      {info, "--limits-file x a.LOG", "unknown option --limits-file; did you mean --limits?"},
      {info, "--nosuch a.LOG", "unknown option --nosuch"},
      {info, "-J 2 a.LOG", "unknown option -J; did you mean -j?"},
      {info, "--limits", "option '--limits' requires an argument"},
      {info, "--json=yes a.LOG", "option '--json' doesn't allow an argument"},
      {info, "--gps_1 a.LOG", "option '--gps_1' is ambiguous; possibilities: '--gps_1_aviation' '--gps_1_nmea'"},
      {exporter, "csv --output_dir out a.LOG", "unknown option --output_dir; did you mean --output-dir?"},
      {exporter, "csv -o", "option requires an argument -- 'o'"},
      {reporter, "--limts f a.LOG", "unknown option --limts; did you mean --limits?"},
      {reporter, "-flight 2 a.LOG", "unknown option -flight; did you mean --flight?"},
      {reporter, "-output r.html a.LOG", "unknown option -output; did you mean --output?"},
      {info, "-json a.LOG", "unknown option -json; did you mean --json?"},
      {reporter, "--hlep", "unknown option --hlep; did you mean --help?"},
      {reporter, "--nonsense a.LOG", "unknown option --nonsense"},
      {reporter, "-q a.LOG", "unknown option -q"},
      {simulator, "--sed 7", "unknown option --sed; did you mean --seed?"},
      {simulator, "--size_mb 2 x.LOG", "unknown option --size_mb; did you mean --size-mb?"},
      {simulator, "-x", "unknown option -x"},
      {simulator, "-seed 7", "unknown option -seed; did you mean --seed?"},
      // The export's FORMAT.
      {exporter, "gpxx a.LOG", "unknown FORMAT gpxx; did you mean gpx?"},
      {exporter, "avionics a.LOG", "unknown FORMAT avionics; did you mean avionics-csv?"},
      {exporter, "json a.LOG", "unknown FORMAT json; the FORMATs are csv, avionics-csv, gpx, kml and logbook"},
      // Arguments and values.
      {info, "", "no LOG given"},
      {info, "--json", "no LOG given"},
      {info, "-j 0 a.LOG", "-j: not a number of at least 1: 0"},
      {info, "-j two a.LOG", "-j: not a number of at least 1: two"},
      {info, "--engine-rpm -5 a.LOG", "--engine-rpm: not a number of at least 1: -5"},
      {info, "--utc-start 2026-03-11 a.LOG", "--utc-start: not an ISO 8601 UTC time: 2026-03-11"},
      {info, "--landing-speed 60 a.LOG", "--landing-speed is above --takeoff-speed"},
      {info, "- -", "standard input (\"-\") may be given once"},
      {exporter, "", "no FORMAT given"},
      {exporter, "csv", "no LOG given"},
      {exporter, "csv a.LOG b c",
       "too many arguments: one LOG [OUTPUT]; several LOGs are exported with --output-dir DIR"},
      {exporter, "csv --flight 0 a.LOG", "--flight: not a flight number (1 for the first): 0"},
      {exporter, "csv --from yesterday a.LOG",
       "--from: not a UTC time (2026-03-11T22:22:46Z) or seconds of LOG time: yesterday"},
      {exporter, "csv --every 0 a.LOG", "--every: not a number of seconds from 0.001 to 86400: 0"},
      {exporter, "csv --utc-start 12:00 a.LOG", "--utc-start: not an ISO 8601 UTC time: 12:00"},
      {exporter, "csv --each-flight --flight 1 --output-dir d a.LOG", "--each-flight and --flight exclude each other"},
      {reporter, "", "no LOG given"},
      {reporter, "a.LOG b.LOG", "one LOG at a time"},
      {reporter, "--flight x a.LOG", "--flight: not a flight number (1 for the first): x"},
      {reporter, "--from noon a.LOG",
       "--from: not a UTC time (2026-03-11T22:22:46Z) or seconds of LOG time: noon"},
      {reporter, "--every 0.001 a.LOG", "--every: not a number of seconds from 0.02 to 86400: 0.001"},
      {reporter, "-o '' a.LOG", "-o: an empty file name"},
      {simulator, "a.LOG b.LOG", "more than one output file"},
      {simulator, "--minutes 3 --size-mb 2 -o /dev/null", "give --minutes or --size-mb, not both"},
      {simulator, "--aviation-format 2 -o /dev/null", "the aviation format is 1 or 3"},
      {simulator, "--seed -1 -o /dev/null", "bad seed: -1"},
      {simulator, "--truth x.json -o /dev/null", "--truth needs --scenario"},
      {simulator, "--scenario " + scenario + " --minutes 3 -o /dev/null",
       "a scenario sets its own length: no --minutes or --size-mb"},
  };
  for (const auto& r : rows) {
    const program_result result = run_program(r.program, r.args);
    EXPECT_EQ(result.status, 1) << r.program << " " << r.args;
    EXPECT_EQ(result.out, "") << r.program << " " << r.args;
    EXPECT_EQ(result.err, usage_error(r.program, r.message)) << r.args;
  }
}

TEST(CommandUsage, TrackKeepsItsMessageAndUsageTextWithStatus1) {
  const struct {
    const char* args;
    const char* message;
  } rows[] = {
      {"", "no INPUT given"},
      {"--binary", "no INPUT given"},
      {"a.LOG b.txt c.txt", "too many arguments"},
      {"--gps_1_aviation --gps_1_nmea a.LOG", "--gps_1_aviation and --gps_1_nmea exclude each other"},
      {"--nosuch a.LOG", "unrecognized option '--nosuch'"},
      {"-x a.LOG", "invalid option -- 'x'"},
  };
  const program_result help = run_program(tracker, "--help");
  for (const auto& r : rows) {
    const program_result result = run_program(tracker, r.args);
    EXPECT_EQ(result.status, 1) << r.args;
    EXPECT_EQ(result.out, "") << r.args;
    EXPECT_EQ(result.err, tracker + ": " + r.message + "\n" + help.out) << r.args;
  }
}

TEST(CommandUsage, ClassicDecoderPrintsItsUsageOnStandardErrorWithStatus1) {
  const struct {
    const char* args;
    bool version_block;      // the version block comes before the usage
    const char* diagnostic;  // what getopt_long itself prints first
  } rows[] = {
      {"-h", false, ""},
      {"--help", false, ""},
      {"--he", false, ""},
      {"-?", true, ""},
      {"--version", true, ""},
      {"--sl40_1 x.log", true, "unrecognized option '--sl40_1'"},
      {"-q x.log", true, "invalid option -- 'q'"},
      {"-o", true, "option requires an argument -- 'o'"},
      {"--no x.log", true, "option '--no' is ambiguous"},
  };
  for (const auto& r : rows) {
    const program_result result = run_program(decoder, r.args);
    EXPECT_EQ(result.status, 1) << r.args;
    EXPECT_EQ(result.out, "") << r.args;
    const std::string tail = (r.version_block ? classic_version_block : "") + classic_usage();
    if (!r.version_block) {
      EXPECT_EQ(result.err, tail) << r.args;
      continue;
    }
    ASSERT_GE(result.err.size(), tail.size()) << r.args;
    EXPECT_EQ(result.err.substr(result.err.size() - tail.size()), tail) << r.args;
    EXPECT_NE(result.err.find(r.diagnostic), std::string::npos) << r.args << "\n" << result.err;
  }
}
