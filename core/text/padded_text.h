// Text right-aligned in a minimum width, as printf's "%9s" pads it: with blanks, counted in
// bytes. A longer text is written whole.
#pragma once

#include <string_view>

struct right_aligned_text {
  std::string_view text;
  int width;
};

constexpr right_aligned_text right_aligned(std::string_view text, int width) { return {text, width}; }
