// Free text for documents declared UTF-8: bytes that do not form UTF-8 characters are
// replaced so the document stays well-formed whatever a file name holds.
#pragma once

#include <cstddef>
#include <string_view>

class output_writer;

// Length of the well-formed UTF-8 sequence at the start of text that encodes an XML
// character (no overlong forms, no surrogates, nothing above U+10FFFF, not U+FFFE or U+FFFF);
// 0 when the first byte starts no such sequence. text must not be empty.
std::size_t utf8_character_length(std::string_view text);

// Writes text through the writer's XML escaper, each byte that is not part of such a
// sequence written as U+FFFD (EF BF BD). Returns the writer's result for the last piece
// (negative after a failed write).
int write_escaped_utf8(output_writer& out, std::string_view text);

// The same text as a value of a line format (OUT_FORMAT): escaped_utf8(name) writes it in place.
struct escaped_utf8_text {
  std::string_view text;
};
constexpr escaped_utf8_text escaped_utf8(std::string_view text) { return {text}; }
// The most bytes one byte of text becomes: an escape, or the three of U+FFFD.
constexpr std::size_t escaped_utf8_max_expansion = 8;
char* put_escaped_utf8(char* out, std::string_view text);
