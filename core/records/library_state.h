// The library's process-wide working state, reset at the start of every pass.
#pragma once

#include <cstdio>

#include "orvexdecode.h"
#include "records/efis_record.h"
#include "xml/output_writer.h"

enum class pass_kind { xml, path };

struct library_state {
  library_options options;
  analog_input_const constants;
  FILE* input_file_handle;
  FILE* output_file_handle;
  FILE* debug_file_handle;  // stored, never written
  summary_record summary;
  pass_kind pass;
  output_writer out;  // the one writer for output_file_handle
};

extern library_state lib;

// Start of every pass: copies the constants and options, takes the streams, clears the
// latest-value cache and loads each GPS port's sentence format from the options.
void begin_pass(const analog_input_const* constants, const library_options* options, FILE* input,
                FILE* output, FILE* debug, pass_kind pass);
