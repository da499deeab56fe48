#include "report/html/html_text.h"

#include "text/utf8_text.h"
#include "text/xml_escape.h"

std::string html_escaped(std::string_view text) {
  std::string out;
  char escaped[4 * xml_escape_max_expansion];
  while (!text.empty()) {
    const std::size_t n = utf8_character_length(text);
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      text.remove_prefix(1);
      continue;
    }
    out.append(escaped, xml_escape(text.substr(0, n), escaped));
    text.remove_prefix(n);
  }
  return out;
}
