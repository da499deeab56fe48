// Text right-aligned in a minimum width, as printf's "%9s" pads it: with blanks, counted in
// bytes. A longer text is written whole.
#pragma once

#include <algorithm>
#include <string_view>

#include <fmt/format.h>

struct right_aligned_text {
  std::string_view text;
  int width;
};

constexpr right_aligned_text right_aligned(std::string_view text, int width) { return {text, width}; }

template <>
struct fmt::formatter<right_aligned_text> {
  constexpr auto parse(format_parse_context& ctx) { return ctx.begin(); }

  template <typename FormatContext>
  auto format(const right_aligned_text& t, FormatContext& ctx) const {
    auto out = ctx.out();
    for (int i = static_cast<int>(t.text.size()); i < t.width; ++i) *out++ = ' ';
    return std::copy(t.text.begin(), t.text.end(), out);
  }
};
