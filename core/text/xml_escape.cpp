#include "text/xml_escape.h"

#include <cstring>

namespace {

std::size_t put(char* dest, const char* text) {
  const std::size_t n = std::strlen(text);
  std::memcpy(dest, text, n);
  return n;
}

bool is_xml_illegal_control(unsigned char c) { return c >= 0x01 && c <= 0x1F && c != '\t' && c != '\n' && c != '\r'; }

}  // namespace

std::size_t xml_escape(std::string_view s, char* dest) {
  static constexpr char hex[] = "0123456789ABCDEF";
  char* out = dest;
  for (const char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&': out += put(out, "&amp;"); break;
      case '<': out += put(out, "&lt;"); break;
      case '>': out += put(out, "&gt;"); break;
      case '"': out += put(out, "&quot;"); break;
      default:
        if (is_xml_illegal_control(c)) {
          out += put(out, "&#x24");
          *out++ = hex[c >> 4];
          *out++ = hex[c & 0xF];
          *out++ = ';';
        } else {
          *out++ = ch;
        }
    }
  }
  return static_cast<std::size_t>(out - dest);
}
