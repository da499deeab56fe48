// Free text for UTF-8 documents: well-formed characters pass, every other byte becomes U+FFFD.
#include <gtest/gtest.h>

#include "support/capture.h"
#include "text/utf8_text.h"

TEST(Utf8Text, CharacterLengthAcceptsOnlyWellFormedXmlCharacters) {
  const struct {
    const char* what;
    std::string_view bytes;
    std::size_t length;
  } rows[] = {
      {"ASCII", "a", 1},
      {"two bytes", "\xC3\xA9", 2},
      {"three bytes", "\xE2\x82\xAC", 3},
      {"four bytes", "\xF0\x9F\x9B\xA9", 4},
      {"highest code point", "\xF4\x8F\xBF\xBF", 4},
      {"replacement character", "\xEF\xBF\xBD", 3},
      {"lone continuation byte", "\x80", 0},
      {"overlong two bytes", "\xC0\xAF", 0},
      {"overlong three bytes", "\xE0\x9F\xBF", 0},
      {"overlong four bytes", "\xF0\x8F\xBF\xBF", 0},
      {"surrogate", "\xED\xA0\x80", 0},
      {"above U+10FFFF", "\xF4\x90\x80\x80", 0},
      {"lead byte F5", "\xF5\x80\x80\x80", 0},
      {"cut short", "\xE2\x82", 0},
      {"broken by ASCII", "\xE2\x82" "A", 0},
      {"U+FFFE is no XML character", "\xEF\xBF\xBE", 0},
      {"U+FFFF is no XML character", "\xEF\xBF\xBF", 0},
  };
  for (const auto& r : rows) EXPECT_EQ(utf8_character_length(r.bytes), r.length) << r.what;
}

TEST(Utf8Text, EachStrayByteBecomesOneReplacementCharacter) {
  const struct {
    std::string_view text;
    std::string_view written;
  } rows[] = {
      {"plain & <simple>", "plain &amp; &lt;simple&gt;"},
      {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
      {"\xE9t\xE9", "\xEF\xBF\xBDt\xEF\xBF\xBD"},
      {"\xE2\x82" "A", "\xEF\xBF\xBD\xEF\xBF\xBD" "A"},
      {"\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\x1B[0m", "&#x241B;[0m"},
      {"", ""},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(capture_output([&](output_writer& out) { write_escaped_utf8(out, r.text); }), r.written)
        << r.text;
  }
}
