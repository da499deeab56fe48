// How the XML report writes the body of a selected record: one row per source type, beside
// the source table of decode/ (which says what the dispatch does with the record). A source
// with a decoder writes the values its cache slot holds; a GPS record is shown in the periodic
// summaries instead, and a source that is only logged leaves a placeholder element.
#pragma once

#include "decode/decode_context.h"
#include "records/efis_record.h"

// Writes the body of a selected record of a known source type, right after its dispatch,
// inside its orvex_efis_log_entry element.
int print_xml_record_body(decode_context& ctx, const efis_record& record);
