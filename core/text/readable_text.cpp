#include "text/readable_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "text/utc_text.h"

void append_number(std::string& out, double value, int decimals) {
  if (!std::isfinite(value)) {
    out += '0';
    return;
  }
  char text[64];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) {
    out += '0';
    return;
  }
  std::string_view s(text, static_cast<std::size_t>(end - text));
  if (s.find('.') != std::string_view::npos) {
    while (s.ends_with('0')) s.remove_suffix(1);
    if (s.ends_with('.')) s.remove_suffix(1);
  }
  if (s == "-0") s = "0";
  out += s;
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
  const std::string digits = std::to_string(n);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

std::string grouped_number(double value, int decimals) {
  const std::string text = number_text(value, decimals);
  const std::size_t sign = text.starts_with('-') ? 1 : 0;
  const std::size_t end = std::min(text.find('.'), text.size());
  std::string out = text.substr(0, sign);
  for (std::size_t i = sign; i < end; ++i) {
    if (i > sign && (end - i) % 3 == 0) out += ',';
    out += text[i];
  }
  out.append(text, end, std::string::npos);
  return out;
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
