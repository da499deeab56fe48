#include "orvexdecode.h"

int OrvexDecode_LOG_to_FRC(const analog_input_const*, const library_options*, FILE*, FILE*, FILE*) { return 0; }
int OrvexDecode_LOG_to_FRC_binary(const analog_input_const*, const library_options*, FILE*, FILE*, FILE*) {
  return 0;
}
