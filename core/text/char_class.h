// Character classes of the C locale, for the parsers of LOG texts (GPS sentences, settings).
#pragma once

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

constexpr bool is_xdigit(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Space, tab, newline, vertical tab, form feed and carriage return.
constexpr bool is_white_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr char to_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
