// Character classes of the C locale, for the parsers of LOG texts (GPS sentences, settings).
#pragma once

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

constexpr bool is_xdigit(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Space, tab, newline, vertical tab, form feed and carriage return.
constexpr bool is_white_space(char c) {
  static_assert('\t' == 9 && '\n' == 10 && '\v' == 11 && '\f' == 12 && '\r' == 13);
  return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';  // the five from tab to carriage return
}

constexpr char to_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
