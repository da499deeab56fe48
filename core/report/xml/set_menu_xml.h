// The set_menu element of the XML report.
#pragma once

#include "decoders/set_menu.h"
#include "text/output_writer.h"

int print_xml_set_menu_entry(output_writer& out, const set_menu_values& v, bool verbose);
