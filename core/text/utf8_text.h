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
