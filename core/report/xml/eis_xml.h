// The eis_log_entry element of the XML report.
#pragma once

#include "decoders/eis.h"
#include "text/output_writer.h"

int print_xml_eis_log_entry(output_writer& out, const eis_values& v, bool verbose);
