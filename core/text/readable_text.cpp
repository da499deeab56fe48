#include "text/readable_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "text/fixed_format.h"
#include "text/utc_text.h"

char* put_shortest(char* out, const shortest_value& v) {
  if (!std::isfinite(v.value)) {
    *out = '0';
    return out + 1;
  }
  // format_fixed writes what to_chars writes with a precision (printf's "%.Nf") at a fraction of
  // its cost; a text longer than shortest_text_max is too large, as it was for to_chars.
  char text[fixed_format_max + 32];
  char* end;
  if (v.decimals >= 0 && v.decimals <= 17) {
    end = format_fixed(text, v.value, v.decimals);
  } else {
    const auto [to, error] = std::to_chars(text, text + shortest_text_max, v.value, std::chars_format::fixed, v.decimals);
    end = error == std::errc() ? to : text + shortest_text_max + 1;
  }
  if (end - text > static_cast<std::ptrdiff_t>(shortest_text_max)) {
    *out = '0';
    return out + 1;
  }
  std::string_view s(text, static_cast<std::size_t>(end - text));
  if (s.find('.') != std::string_view::npos) {
    while (s.ends_with('0')) s.remove_suffix(1);
    if (s.ends_with('.')) s.remove_suffix(1);
  }
  if (s == "-0") s = "0";
  std::memcpy(out, s.data(), s.size());
  return out + s.size();
}

char* put_grouped(char* out, const grouped_value& v) {
  char text[shortest_text_max];
  const std::string_view s(text, static_cast<std::size_t>(put_shortest(text, shortest(v.value, v.decimals)) - text));
  const std::size_t sign = s.starts_with('-') ? 1 : 0;
  const std::size_t end = std::min(s.find('.'), s.size());
  for (std::size_t i = 0; i < sign; ++i) *out++ = s[i];
  for (std::size_t i = sign; i < end; ++i) {
    if (i > sign && (end - i) % 3 == 0) *out++ = ',';
    *out++ = s[i];
  }
  std::memcpy(out, s.data() + end, s.size() - end);
  return out + (s.size() - end);
}

char* put_grouped_count(char* out, grouped_count n) {
  char digits[24];
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, n.count);
  const auto length = static_cast<std::size_t>(end - digits);
  for (std::size_t i = 0; i < length; ++i) {
    if (i > 0 && (length - i) % 3 == 0) *out++ = ',';
    *out++ = digits[i];
  }
  return out;
}

char* put_general(char* out, general_value v) {
  // to_chars with a precision writes what printf writes for the same conversion.
  const auto [end, error] = std::to_chars(out, out + general_text_max, v.value, std::chars_format::general, 6);
  return error == std::errc() ? end : out;
}

void append_number(std::string& out, double value, int decimals) {
  char text[shortest_text_max];
  out.append(text, put_shortest(text, shortest(value, decimals)));
}

std::string number_text(double value, int decimals) {
  std::string s;
  append_number(s, value, decimals);
  return s;
}

std::string fixed_text(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, std::isfinite(value) ? value : 0.0);
  return text;
}

std::string with_commas(std::uint64_t n) {
  char text[grouped_count_max];
  return std::string(text, put_grouped_count(text, with_commas_of(n)));
}

std::string grouped_number(double value, int decimals) {
  char text[grouped_text_max];
  return std::string(text, put_grouped(text, grouped(value, decimals)));
}

std::string duration_text(double seconds) {
  const long long s = std::isfinite(seconds) && seconds > 0.0 ? std::llround(std::min(seconds, 1e12)) : 0;
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
  return text;
}

std::string utc_date_text(std::int64_t utc_ms) {
  const utc_fields f = utc_fields_of(whole_seconds_of(utc_ms));
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", f.year, f.month, f.day);
  return text;
}

std::string utc_time_text(std::int64_t utc_ms) {
  const utc_fields f = utc_fields_of(whole_seconds_of(utc_ms));
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02dZ", f.hour, f.minute, f.second);
  return text;
}
