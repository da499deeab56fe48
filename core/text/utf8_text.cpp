#include "text/utf8_text.h"

#include <cstring>

#include "text/output_writer.h"
#include "text/xml_escape.h"

namespace {

constexpr std::string_view replacement_character = "\xEF\xBF\xBD";

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::size_t utf8_character_length(std::string_view text) {
  const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length;
  // The range the second byte must fall in excludes overlong forms, surrogates and code
  // points above U+10FFFF.
  unsigned char second_low = 0x80;
  unsigned char second_high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) second_low = 0xA0;
    if (lead == 0xED) second_high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) second_low = 0x90;
    if (lead == 0xF4) second_high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  if (byte(1) < second_low || byte(1) > second_high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!is_continuation(byte(i))) return 0;
  }
  // U+FFFE and U+FFFF are well-formed UTF-8 but not characters an XML document may hold.
  if (lead == 0xEF && byte(1) == 0xBF && (byte(2) == 0xBE || byte(2) == 0xBF)) return 0;
  return length;
}

int write_escaped_utf8(output_writer& out, std::string_view text) {
  int result = out.text({});
  std::size_t run_start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t n = utf8_character_length(text.substr(i));
    if (n != 0) {
      i += n;
      continue;
    }
    if (i > run_start) out.escaped(text.substr(run_start, i - run_start));
    result = out.text(replacement_character);
    ++i;
    run_start = i;
  }
  if (i > run_start) result = out.escaped(text.substr(run_start, i - run_start));
  return result;
}

char* put_escaped_utf8(char* out, std::string_view text) {
  static_assert(escaped_utf8_max_expansion >= xml_escape_max_expansion && escaped_utf8_max_expansion >= 3);
  std::size_t run_start = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t n = utf8_character_length(text.substr(i));
    if (n != 0) {
      i += n;
      continue;
    }
    out += xml_escape(text.substr(run_start, i - run_start), out);
    std::memcpy(out, replacement_character.data(), replacement_character.size());
    out += replacement_character.size();
    ++i;
    run_start = i;
  }
  return out + xml_escape(text.substr(run_start, i - run_start), out);
}
