// The decode time that the XML and KML documents carry: the current local time in the
// 24-character layout of ctime ("Tue Mar 11 22:22:46 2026"), without its newline.
#pragma once

#include <string_view>

struct decode_time_text {
  char text[32];
  // Empty when the clock could not be read.
  std::string_view view() const { return text[0] != '\0' ? std::string_view(text, 24) : std::string_view(); }
};

decode_time_text current_decode_time();
