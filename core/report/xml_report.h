// The XML report document: prologue, options block, per-record elements, periodic summaries.
#pragma once

#include "decode/decode_context.h"
#include "records/efis_record.h"

// Writes the options block and, when verbose, the verbose header.
int print_xml_header(decode_context& ctx);

// Writes one selected record: its orvex_efis_log_entry element and the body its source writes.
int print_selected_record(decode_context& ctx, const efis_record& record);

// Writes one summary_log_entry element from the latest-value cache.
int print_xml_summary(decode_context& ctx);
