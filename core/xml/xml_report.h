// The XML report document: prologue, options block, per-record elements, periodic summaries.
#pragma once

#include "records/efis_record.h"

// Writes the options block and, when verbose, the verbose header.
int print_xml_header();

// Writes the body of one record (working record or cached copy) by its source type,
// converting its payload to host byte order first.
int print_xml_efis_record(efis_record* record);

// Writes one summary_log_entry element from the latest-value cache.
int print_xml_summary(summary_record* summary);

// The decode time: the current local time in the 24-character ctime layout.
struct decode_time_text {
  char text[32];
};
decode_time_text current_decode_time();
