// XML escaping of free text (file names, stylesheet references, raw sentences, settings text).
#pragma once

#include <cstddef>
#include <string_view>

// Longest replacement of one byte: "&#x24NN;".
constexpr std::size_t xml_escape_max_expansion = 8;

// Writes the escaped form of s to dest, which must hold s.size() * xml_escape_max_expansion
// bytes; returns the number of bytes written.
//   & < > "                -> &amp; &lt; &gt; &quot;
//   0x01-0x08 0x0B 0x0C 0x0E-0x1F -> &#x24NN; (the Unicode control picture of the byte)
// Tab, LF, CR and bytes 0x7F-0xFF pass unchanged.
std::size_t xml_escape(std::string_view s, char* dest);
