// The options and constants the command line starts from, and the library's version.
#include <cstring>

#include "orvexdecode.h"

library_options OrvexDecode_default_options(void) {
  library_options o{};
  o.summary = 1;
  o.summary_deciseconds = 10;
  o.constants = 1;
  o.gps_1_type = ORVEX_GPS_FORMAT_AVIATION;
  o.gps_2_type = ORVEX_GPS_FORMAT_NONE;  // GPS 2 is ignored until a format is given
  std::strcpy(o.xsl_stylesheet, "http://localhost/xsl/OrvexDecode.summary_xml2html.xsl");
  std::strcpy(o.prog, "OrvexDecode_CmdLine 2.24");
  return o;
}

// Single-precision values as the EFIS stores them.
analog_input_const OrvexDecode_default_constants(void) {
  analog_input_const k{};
  k.PWR_MON_SF = 0.034896f;
  k.REF_5V = 5.05f;
  k.LOC_ZERO = 606.0f;
  k.LOC_SF = 0.000987f;
  k.GS_ZERO = 610.0f;
  k.GS_SF = 0.00098f;
  k.ANALOG_8_SF = 0.018475f;
  return k;
}

const char* OrvexDecode_version(void) { return ORVEXDECODE_VERSION; }
