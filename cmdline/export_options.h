// orvexdecode-export's command line: the format, the LOGs, where the exports go and what to
// export.
#pragma once

#include <string>
#include <vector>

#include "airport_option.h"
#include "export/export_formats.h"
#include "export/export_request.h"
#include "limits_file.h"

struct export_arguments {
  const export_format* format = nullptr;  // of the registry
  std::vector<std::string> logs;  // one, "-" for standard input; several only with output_dir
  const char* output = nullptr;   // one LOG: the file to write; nullptr: standard output
  std::string output_dir;         // a file per LOG (or per flight) in this folder; empty: none
  bool each_flight = false;       // with output_dir: a file per detected flight
  bool force = false;             // overwrite an output that is a LOG file
  export_request request = default_export_request();  // its tail is --tail, else the profile's
  profile_source profile;  // --profile and --profile-set: the tail and the manifold pressure's input
  airport_choice airports;  // --airports, --airport-radius, --heliports
  // Opened from the choice when the export names places or takes local times from airports, to
  // tell its failures once; the request points to it once the arguments have their final place
  // (main).
  airport_lookup lookup;
};

// Reads the arguments. --help and --version print and exit 0; a usage error prints one line on
// standard error (exit_usage_error) and exits 1; airports given that cannot be read print
// "ERROR: ..." and exit 2.
export_arguments parse_export_arguments(int argc, char** argv);
