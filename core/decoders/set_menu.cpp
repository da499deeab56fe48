#include "decoders/set_menu.h"

void process_set_menu_entry(std::uint8_t*, std::uint32_t) {}
int print_xml_set_menu_entry(const std::uint8_t*) { return 0; }
