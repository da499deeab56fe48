// Text aligned in a minimum width, as printf's "%9s" (right) and "%-9s" (left) pad it: with
// blanks, counted in bytes. A longer text is written whole.
#pragma once

#include <string_view>

struct right_aligned_text {
  std::string_view text;
  int width;
};

constexpr right_aligned_text right_aligned(std::string_view text, int width) { return {text, width}; }

struct left_aligned_text {
  std::string_view text;
  int width;
};

constexpr left_aligned_text left_aligned(std::string_view text, int width) { return {text, width}; }
