// The GPS composite elements of the periodic summary.
#pragma once

#include "decoders/gps_state.h"

// Writes the latest fix of one port ("1" or "2") by its format; the NMEA renderer then
// clears the port's valid flag.
int print_xml_gps_composite_entry(const char* port, gps_composite_state* state);
int print_xml_gps_composite_aviation_entry(const char* port, gps_composite_state* state);
int print_xml_gps_composite_nmea_entry(const char* port, gps_composite_state* state);
