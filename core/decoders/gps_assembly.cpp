#include "decoders/gps_assembly.h"

void process_gps_entry(const efis_record*, gps_composite_state*) {}
void process_gps_entry_aviation(const efis_record*, gps_composite_state*) {}
void process_gps_composite_aviation_entry(gps_composite_state*) {}
void process_gps_entry_nmea(const efis_record*, gps_composite_state*) {}
