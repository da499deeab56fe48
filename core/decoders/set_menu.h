// Set-menu records (source type 7): one "id=value" setting change as text.
#pragma once

#include <cstdint>

// Parses the text of the payload (its first `length` bytes, up to the first zero byte) and
// fills the decoded fields behind it, in place.
void process_set_menu_entry(std::uint8_t* payload, std::uint32_t length);

// Writes the set_menu element of a payload already parsed by process_set_menu_entry.
int print_xml_set_menu_entry(const std::uint8_t* payload);
