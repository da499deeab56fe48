#include "decoders/ahrs.h"

char* enum_value_ahrs_type(char* dest, std::uint32_t) { return dest; }
void swapendian_ahrs_log_entry(std::uint8_t*) {}
int print_xml_ahrs_log_entry(std::uint8_t*) { return 0; }
