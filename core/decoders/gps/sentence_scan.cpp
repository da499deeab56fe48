#include "decoders/gps/sentence_scan.h"

#include <algorithm>
#include <cstring>

void scan_detail::malformed_pattern() {}

int scan_text(std::string_view text, const scan_pattern& pattern, std::span<const scan_field> fields) {
  const std::size_t end = text.size();
  std::size_t pos = 0;
  int count = 0;
  std::size_t next_field = 0;
  // The text ran out where the pattern wanted a character.
  const auto ended = [&count] { return count == 0 ? -1 : count; };
  for (const scan_step& step : pattern.steps()) {
    switch (step.what) {
      case scan_step::kind::white_space:
        while (pos < end && is_white_space(text[pos])) ++pos;
        break;
      case scan_step::kind::literal:
        if (pos == end) return ended();
        if (static_cast<unsigned char>(text[pos]) != step.literal) return count;
        ++pos;
        break;
      case scan_step::kind::any_char: {
        if (pos == end) return ended();
        const scan_field field = next_field < fields.size() ? fields[next_field] : skipped_field;
        ++next_field;
        if (field.text != nullptr && field.size > 0) field.text[0] = text[pos];
        ++pos;
        ++count;
        break;
      }
      case scan_step::kind::char_set: {
        if (pos == end) return ended();
        const scan_field field = next_field < fields.size() ? fields[next_field] : skipped_field;
        ++next_field;
        std::size_t limit = std::min<std::size_t>(step.width, end - pos);
        if (field.text != nullptr) limit = std::min(limit, field.size == 0 ? 0 : field.size - 1);
        std::size_t taken = 0;
        while (taken < limit && step.has(static_cast<unsigned char>(text[pos + taken]))) ++taken;
        if (taken == 0) return count;
        if (field.text != nullptr) {
          std::memcpy(field.text, text.data() + pos, taken);
          field.text[taken] = '\0';
        }
        pos += taken;
        ++count;
        break;
      }
    }
  }
  return count;
}
