// orvexdecode-report's command line: the LOG, the report file, the stretch to show and how to
// read the LOG.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/flight_timeline.h"
#include "document_options.h"
#include "sampling/log_window.h"

struct report_request {
  std::string log;                 // "-" for standard input
  std::string output;              // empty: standard output
  bool output_beside_log = false;  // output is the default: the LOG's name with .html
  bool force = false;              // overwrite an output that is a LOG file
  window_request window;
  std::string window_label;    // "flight 2, from 754 to 1200"; empty for the whole LOG
  std::uint32_t every_ms = 0;  // 0: the resolution follows the stretch's length
  std::string limits_file;
  std::string profile_file;  // empty: the default profile
  std::vector<std::string> profile_settings;  // --profile-set, over the file's settings
  analysis_options analysis = default_analysis_options();  // its limits and profile go in sources
  document_sources sources;  // the limits, the profile, the airports and the zone, read and checked
};

// Reads the arguments. --help and --version print and exit 0; a usage error prints one line on
// standard error (exit_usage_error) and exits 1; a limits file or profile that cannot be read or
// holds a bad line, or airports given that cannot be read, print "ERROR: ..." and exit 2, before
// the LOG is read.
report_request parse_report_arguments(int argc, char** argv);
