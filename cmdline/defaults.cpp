#include "defaults.h"

#include <cstring>

#include "decoders/gps_state.h"

library_options default_library_options() {
  library_options o{};
  o.summary = 1;
  o.summary_deciseconds = 10;
  o.constants = 1;
  o.gps_1_type = gps_format_aviation;
  o.gps_2_type = 0;  // GPS 2 is ignored until a format is given
  std::strcpy(o.xsl_stylesheet, "http://localhost/xsl/OrvexDecode.summary_xml2html.xsl");
  std::strcpy(o.prog, "OrvexDecode_CmdLine 2.24");
  return o;
}

// Single-precision values as the EFIS stores them.
analog_input_const default_analog_input_const() {
  return {
      .PWR_MON_SF = 0.034896f,
      .REF_5V = 5.05f,
      .LOC_ZERO = 606.0f,
      .LOC_SF = 0.000987f,
      .GS_ZERO = 610.0f,
      .GS_SF = 0.00098f,
      .ANALOG_8_SF = 0.018475f,
  };
}
