#include "records/library_state.h"

#include <cstring>

library_state lib;

void begin_pass(const analog_input_const* constants, const library_options* options, FILE* input,
                FILE* output, FILE* debug, pass_kind pass) {
  lib.constants = *constants;
  lib.options = *options;
  lib.input_file_handle = input;
  lib.output_file_handle = output;
  lib.debug_file_handle = debug;
  lib.pass = pass;
  lib.out.attach(output);
  std::memset(&lib.summary, 0, sizeof lib.summary);
  lib.summary.gps_1.format = lib.options.gps_1_type;
  lib.summary.gps_2.format = lib.options.gps_2_type;
}
