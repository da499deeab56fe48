#include "file_checks.h"
#include "front_end.h"

int main(int argc, char** argv) {
  guard_standard_descriptors();
  front_end.program_name = argv[0] != nullptr ? argv[0] : "orvexdecode";
  front_end.input_filename[0] = '\0';
  front_end.output_filename[0] = '\0';
  front_end.kml_output_filename[0] = '\0';
  init_global_defaults();
  parse_commandline_args(argc, argv);
  init_internals();
  run_conversions();
  close_internals();
  return 0;
}
