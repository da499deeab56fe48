// orvexdecode-export's command line: the format, the LOG, the output and what to export.
#pragma once

#include <string>

#include "export/log_exports.h"

enum class export_format { csv, avionics_csv, gpx, kml };

struct export_arguments {
  export_format format = export_format::csv;
  std::string log;               // "-" for standard input
  const char* output = nullptr;  // nullptr: standard output
  export_request request = default_export_request();
};

// Reads the arguments. --help and --version print and exit 0; a usage error prints the usage on
// standard error and exits 1.
export_arguments parse_export_arguments(int argc, char** argv);
