// The shortest text of a rounded value: what the charts and summaries of the HTML report write.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>

#include "text/readable_text.h"

namespace {

std::string shortest_text(double value, int decimals) {
  char text[shortest_text_max];
  return std::string(text, put_shortest(text, shortest(value, decimals)));
}

// The reference: to_chars at the precision, its trailing zeros and point taken off.
std::string reference_text(double value, int decimals) {
  char text[shortest_text_max];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return "0";
  std::string_view s(text, static_cast<std::size_t>(end - text));
  if (s.find('.') != std::string_view::npos) {
    while (s.ends_with('0')) s.remove_suffix(1);
    if (s.ends_with('.')) s.remove_suffix(1);
  }
  return s == "-0" ? "0" : std::string(s);
}

}  // namespace

TEST(ReadableText, ShortestRoundsHalfToEvenAndDropsWhatSaysNothing) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    int decimals;
    const char* text;
  } rows[] = {
      {12.5, 1, "12.5"},       {12.50001, 2, "12.5"},  {-3.0, 1, "-3"},     {1650.0, 0, "1650"},
      {0.125, 2, "0.12"},      {0.375, 2, "0.38"},     {2.5, 0, "2"},       {3.5, 0, "4"},
      {-0.04, 1, "0"},         {-0.0, 2, "0"},         {0.1, 17, "0.10000000000000001"},
      {1e20, 1, "100000000000000000000"},              {1e70, 1, "0"},      {inf, 1, "0"},
      {std::nan(""), 1, "0"},  {-123.456, 6, "-123.456"},                   {9.995, 2, "9.99"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(shortest_text(r.value, r.decimals), r.text) << r.value << " with " << r.decimals;
  }
}

TEST(ReadableText, ShortestWritesWhatToCharsWritesAtThePrecision) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> magnitude(-8.0, 12.0);
  for (int i = 0; i < 20000; ++i) {
    const double value = (i % 2 != 0 ? -1.0 : 1.0) * std::pow(10.0, magnitude(random));
    const int decimals = i % 7;
    ASSERT_EQ(shortest_text(value, decimals), reference_text(value, decimals)) << value << " with " << decimals;
  }
}
