// orvexdecode-export's command line: the format, the LOGs, where the exports go and what to
// export.
#pragma once

#include <string>
#include <vector>

#include "export/export_request.h"

enum class export_format { csv, avionics_csv, gpx, kml };

struct export_arguments {
  export_format format = export_format::csv;
  std::vector<std::string> logs;  // one, "-" for standard input; several only with output_dir
  const char* output = nullptr;   // one LOG: the file to write; nullptr: standard output
  std::string output_dir;         // a file per LOG (or per flight) in this folder; empty: none
  bool each_flight = false;       // with output_dir: a file per detected flight
  bool force = false;             // overwrite an output that is a LOG file
  export_request request = default_export_request();
};

// The file name extension of a format's files: ".csv", ".gpx" or ".kml".
const char* extension_of(export_format format);

// Reads the arguments. --help and --version print and exit 0; a usage error prints one line on
// standard error (exit_usage_error) and exits 1.
export_arguments parse_export_arguments(int argc, char** argv);
