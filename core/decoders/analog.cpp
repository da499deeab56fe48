#include "decoders/analog.h"

void swapendian_analog_entry(std::uint8_t*) {}
int print_xml_analog_entry(const std::uint8_t*) { return 0; }
int print_xml_analog_constants() { return 0; }
