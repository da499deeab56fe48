#include "decoders/eis.h"

void swapendian_eis_log_entry(std::uint8_t*) {}
int print_xml_eis_log_entry(const std::uint8_t*) { return 0; }
