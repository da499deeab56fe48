// The command-line front end: options, streams and the run of the conversions.
#pragma once

#include <cstdio>

#include "orvexdecode.h"

constexpr const char* front_end_version = "2.24";
constexpr int file_name_size = 256;  // at most 255 characters

struct front_end_state {
  const char* program_name;
  char input_filename[file_name_size];
  char output_filename[file_name_size];
  char kml_output_filename[file_name_size];
  FILE* input_file_handle;
  FILE* output_file_handle;
  FILE* debug_file_handle;
  FILE* kml_output_file_handle;
  library_options options;
  analog_input_const constants;
};

extern front_end_state front_end;

[[noreturn]] void exit_error(const char* message);
[[noreturn]] void exit_help();
void init_global_defaults();
void parse_commandline_args(int argc, char** argv);
void init_internals();
void close_internals();
// Runs the XML conversion and, when a KML file is named, the KML conversion.
void run_conversions();
