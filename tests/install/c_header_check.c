/* The public header compiles as C: every type and entry point used from a C translation unit. */
#include "orvexdecode.h"

int orvexdecode_c_header_check(FILE* in, FILE* out) {
  library_options options = OrvexDecode_default_options();
  analog_input_const constants = OrvexDecode_default_constants();
  decode_context* context = OrvexDecode_context_new();
  int result;
  orvex_log_health health;
  options.gps_1_type = ORVEX_GPS_FORMAT_NMEA;
  options.gps_2_type = ORVEX_GPS_FORMAT_AVIATION_STX;
  result = OrvexDecode_context_LOG_to_XML(context, &constants, &options, in, out, NULL, OrvexDecode_version());
  health = OrvexDecode_context_health(context);
  OrvexDecode_context_free(context);
  return result + (int)health.records_read + OrvexDecode_LOG_to_KML(&constants, &options, in, out, NULL, "") +
         OrvexDecode_LOG_to_FRC(&constants, &options, in, out, NULL) +
         OrvexDecode_LOG_to_FRC_binary(&constants, &options, in, out, NULL) + ORVEXDECODE_VERSION_MAJOR;
}
