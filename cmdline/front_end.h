// The command-line front end: options, streams and the run of the conversions.
#pragma once

#include <cstdio>

#include "orvexdecode.h"
#include "output_file.h"

constexpr const char* front_end_version = "2.24";
constexpr int file_name_size = 256;  // at most 255 characters

struct front_end_state {
  const char* program_name;
  char input_filename[file_name_size];
  char output_filename[file_name_size];
  char kml_output_filename[file_name_size];
  FILE* input_file_handle;
  FILE* debug_file_handle;
  output_file output;      // the XML report: the named file or standard output
  output_file kml_output;  // the KML path, when a file is named
  library_options options;
  analog_input_const constants;
};

extern front_end_state front_end;

[[noreturn]] void exit_error(const char* message);
[[noreturn]] void exit_help();
void init_global_defaults();
void parse_commandline_args(int argc, char** argv);
void init_internals();
// Closes the input, finishes the outputs and, when every one was written, puts them in place.
void close_internals();
// Runs the XML conversion and, when a KML file is named, the KML conversion.
void run_conversions();
