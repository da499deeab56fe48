// The ahrs_log_entry element of the XML report and the elements of its messages.
#pragma once

#include "decoders/ahrs.h"
#include "text/output_writer.h"

int print_xml_ahrs_log_entry(output_writer& out, const ahrs_values& v, bool verbose);
int print_xml_ahrs_hr_log_entry(output_writer& out, const ahrs_hr_values& v, bool verbose);
int print_xml_ahrs_lr_log_entry(output_writer& out, const ahrs_lr_values& v, bool verbose);
int print_xml_ahrs_user_cal_log_entry(output_writer& out, std::uint8_t checksum, bool verbose);
