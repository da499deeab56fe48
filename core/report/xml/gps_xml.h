// The GPS composite elements of the periodic summary.
#pragma once

#include "decoders/gps/gps_state.h"
#include "text/output_writer.h"

// Writes the latest fix of one port ("1" or "2") by its format; the NMEA renderer then
// clears the port's valid flag.
int print_xml_gps_composite_entry(output_writer& out, const char* port, gps_composite_state* state, bool verbose,
                                  bool debug);
int print_xml_gps_composite_aviation_entry(output_writer& out, const char* port, gps_composite_state* state,
                                           bool verbose, bool debug);
int print_xml_gps_composite_nmea_entry(output_writer& out, const char* port, gps_composite_state* state, bool verbose,
                                       bool debug);
