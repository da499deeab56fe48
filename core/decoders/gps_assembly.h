// GPS sentence assembly for both serial ports (source types 3 and 11).
#pragma once

#include "decoders/gps_state.h"
#include "records/efis_record.h"

// Feeds one GPS record to its port by the port's format; other formats ignore it.
void process_gps_entry(const efis_record* record, gps_composite_state* state);
void process_gps_entry_aviation(const efis_record* record, gps_composite_state* state);
void process_gps_composite_aviation_entry(gps_composite_state* state);
void process_gps_entry_nmea(const efis_record* record, gps_composite_state* state);
