// Texts kept in fixed buffers: NUL-terminated unless they fill the buffer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Length of text up to its first zero byte, never looking past size bytes.
constexpr std::size_t bounded_strlen(const char* text, std::size_t size) {
  const char* zero = std::char_traits<char>::find(text, size, '\0');
  return zero == nullptr ? size : static_cast<std::size_t>(zero - text);
}

// The text in a buffer of size bytes.
constexpr std::string_view stored_text(const char* text, std::size_t size) {
  return {text, bounded_strlen(text, size)};
}

template <std::size_t N>
constexpr std::string_view stored_text(const char (&buffer)[N]) {
  if constexpr (N <= 16) {
    // A field of a few characters: a plain loop costs less than the call of a search.
    std::size_t n = 0;
    while (n < N && buffer[n] != '\0') ++n;
    return {buffer, n};
  } else {
    return stored_text(buffer, N);
  }
}
