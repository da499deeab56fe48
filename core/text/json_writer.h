// JSON text (RFC 8259) built in a string: objects, arrays, escaped strings, numbers written
// without the locale, and null for what is absent.
//
//   json_writer json(text);
//   json.begin_object();
//   json.key("max_ias_kt").number(112.4, 1);
//   json.end_object();
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Appends s as a JSON string, quotes included: '"', '\\' and the control characters are
// escaped, and each byte that does not start a well-formed UTF-8 character becomes U+FFFD.
void append_json_string(std::string& out, std::string_view s);

class json_writer {
 public:
  explicit json_writer(std::string& out) : out_(out) {}

  void begin_object() { open('{'); }
  void end_object() { close('}'); }
  void begin_array() { open('['); }
  void end_array() { close(']'); }

  // The name of the next member of an object; the value follows on the writer returned.
  json_writer& key(std::string_view name);

  void string(std::string_view s);
  void null();
  void boolean(bool value);
  void integer(std::int64_t value);
  void unsigned_integer(std::uint64_t value);
  // The value, or null when there is none.
  void string_or_null(const std::optional<std::string_view>& s) {
    if (s) {
      string(*s);
    } else {
      null();
    }
  }
  void integer_or_null(const std::optional<std::int64_t>& value) {
    if (value) {
      integer(*value);
    } else {
      null();
    }
  }
  // value rounded to `decimals` decimals (0 to 17), without trailing zeros; a value that is not
  // finite is null.
  void number(double value, int decimals);
  void number(const std::optional<double>& value, int decimals) {
    if (value) {
      number(*value, decimals);
    } else {
      null();
    }
  }

 private:
  void open(char bracket);
  void close(char bracket);
  void before_value();

  std::string& out_;
  bool after_key_ = false;
  bool first_in_container_ = true;
};
