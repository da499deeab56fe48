// orvexdecode-export's outputs: one export written to one file (or standard output), and the
// files a LOG gives in the --output-dir folder.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "export_options.h"

struct export_target {
  const export_format& format;
  export_request request;
  const profile_source& profile;
  FILE* log;             // read twice: a regular file or its temporary copy, at the LOG's start
  const char* log_name;  // for messages
  const char* output;    // nullptr: standard output
  std::string prefix;    // put before warnings and errors: "NAME: " in a folder run, else ""
};

// Writes the export; the named output is replaced only when it all succeeded. Returns 0, or 2
// after an "ERROR:" line on standard error. The caller has checked that the output may be
// written (not a LOG, not the LOG read).
int write_export(const export_target& target);

struct planned_export {
  std::string output;  // the file in the folder
  export_request request;
};

// The files a LOG gives in the output folder: DIR/NAME.EXT, or with --each-flight one per
// detected flight, DIR/NAME-flight-N-YYYY-MM-DD.EXT (the UTC date of the flight's start;
// NAME-flight-N.EXT in a LOG without time). Reads the flights from log (and leaves it anywhere).
// A LOG without flights gives none and a warning; a read error gives none, an "ERROR:" line and
// status 2.
std::vector<planned_export> plan_folder_exports(const export_arguments& args, const std::string& log_arg, FILE* log,
                                                int& status);

// The output folder, made (as mkdir does) when it does not exist. One that can't be made, or a
// name that is not a folder, ends the run with status 2.
void make_output_folder(const std::string& dir);
