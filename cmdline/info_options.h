// orvexdecode-info's command line: the LOGs to read and how to read and report them.
#pragma once

#include <string>
#include <vector>

#include "analysis/flight_timeline.h"
#include "document_options.h"

struct info_request {
  std::vector<std::string> logs;  // as given: files, folders, "-" for standard input
  bool json = false;
  bool force = false;       // append to a standard output that is a LOG
  unsigned jobs = 0;        // 0: the number of cores
  std::string limits_file;  // empty: no limits checked
  std::string profile_file;  // empty: the default profile
  std::vector<std::string> profile_settings;  // --profile-set, over the file's settings
  analysis_options analysis = default_analysis_options();  // its limits and profile go in sources
  document_sources sources;  // the limits, the profile, the airports and the zone, read and checked
};

// Reads the arguments. --help and --version print and exit 0; a usage error (standard input
// "-" given twice among them) prints one line on standard error (exit_usage_error) and exits 1;
// a limits file or profile that cannot be read or holds a bad line, or airports given that cannot
// be read, print "ERROR: ..." and exit 2, before any LOG is read.
info_request parse_info_arguments(int argc, char** argv);
