#include "decoders/gps_xml.h"

int print_xml_gps_composite_entry(const char*, gps_composite_state*) { return 0; }
int print_xml_gps_composite_aviation_entry(const char*, gps_composite_state*) { return 0; }
int print_xml_gps_composite_nmea_entry(const char*, gps_composite_state*) { return 0; }
