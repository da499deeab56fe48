// The analog_input element and the analog_input_constants block of the XML report.
#pragma once

#include "decoders/analog.h"
#include "text/output_writer.h"

int print_xml_analog_entry(output_writer& out, const analog_values& v, bool verbose);
int print_xml_analog_constants(output_writer& out, const analog_input_const& constants);
