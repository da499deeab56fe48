#include "text/json_writer.h"

#include <cmath>

#include "text/fixed_format.h"
#include "text/utf8_text.h"

namespace {

constexpr std::string_view replacement_character = "\\ufffd";

void append_control(std::string& out, unsigned char c) {
  switch (c) {
    case '\b': out += "\\b"; return;
    case '\f': out += "\\f"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
  }
  static constexpr char hex[] = "0123456789abcdef";
  out += "\\u00";
  out += hex[c >> 4];
  out += hex[c & 0x0F];
}

}  // namespace

void append_json_string(std::string& out, std::string_view s) {
  out += '"';
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      append_control(out, c);
      ++i;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
    } else if (const std::size_t n = utf8_character_length(s.substr(i)); n != 0) {
      out.append(s.substr(i, n));
      i += n;
    } else {
      out += replacement_character;
      ++i;
    }
  }
  out += '"';
}

void json_writer::open(char bracket) {
  before_value();
  out_ += bracket;
  first_in_container_ = true;
}

void json_writer::close(char bracket) {
  out_ += bracket;
  first_in_container_ = false;
}

void json_writer::before_value() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!first_in_container_) out_ += ',';
  first_in_container_ = false;
}

json_writer& json_writer::key(std::string_view name) {
  before_value();
  append_json_string(out_, name);
  out_ += ':';
  after_key_ = true;
  return *this;
}

void json_writer::string(std::string_view s) {
  before_value();
  append_json_string(out_, s);
}

void json_writer::null() {
  before_value();
  out_ += "null";
}

void json_writer::boolean(bool value) {
  before_value();
  out_ += value ? "true" : "false";
}

void json_writer::integer(std::int64_t value) {
  before_value();
  out_ += std::to_string(value);
}

void json_writer::unsigned_integer(std::uint64_t value) {
  before_value();
  out_ += std::to_string(value);
}

void json_writer::number(double value, int decimals) {
  if (!std::isfinite(value)) {
    null();
    return;
  }
  before_value();
  char text[fixed_format_max + 1];
  char* end = format_fixed(text, value, decimals);
  std::string_view digits(text, static_cast<std::size_t>(end - text));
  // Trailing zeros of the decimals say nothing: 13.80 is 13.8 and 398.0 is 398.
  if (digits.find('.') != std::string_view::npos) {
    while (digits.ends_with('0')) digits.remove_suffix(1);
    if (digits.ends_with('.')) digits.remove_suffix(1);
  }
  // A value that rounds to zero is 0, not -0.
  if (digits == "-0") digits.remove_prefix(1);
  out_.append(digits);
}
