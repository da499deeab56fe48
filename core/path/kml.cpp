#include "orvexdecode.h"

int OrvexDecode_LOG_to_KML(const analog_input_const*, const library_options*, FILE*, FILE*, FILE*,
                           const char*) {
  return 0;
}
