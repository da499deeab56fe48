// The GPS composite elements of the periodic summary.
#pragma once

#include "decoders/gps/gps_state.h"
#include "text/output_writer.h"

// Writes the latest fix of one port ("1" or "2") by its format (when the summary shows it:
// xml_report.h).
int print_xml_gps_composite_entry(output_writer& out, const char* port, const gps_composite_state& state, bool verbose,
                                  bool debug);
int print_xml_gps_composite_aviation_entry(output_writer& out, const char* port, const gps_composite_state& state,
                                           bool verbose, bool debug);
int print_xml_gps_composite_nmea_entry(output_writer& out, const char* port, const gps_composite_state& state,
                                       bool verbose, bool debug);
