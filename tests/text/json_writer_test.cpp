// The JSON writer: string escaping, numbers without trailing zeros or a negative zero, null for
// what is absent, and the commas between members.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "text/json_writer.h"

TEST(JsonWriter, EscapesStringsAsRfc8259Says) {
  const struct {
    std::string in;
    const char* out;
  } rows[] = {
      {"plain.LOG", "\"plain.LOG\""},
      {"a \"b\" \\c", "\"a \\\"b\\\" \\\\c\""},
      {"tab\tnew\nline\r", "\"tab\\tnew\\nline\\r\""},
      {std::string("nul\0\x01\x1f\x7f", 7), "\"nul\\u0000\\u0001\\u001f\\u007f\""},
      {"caf\xC3\xA9 \xE2\x82\xAC", "\"caf\xC3\xA9 \xE2\x82\xAC\""},
      {"latin-1 \xE9 cut \xE2\x82", "\"latin-1 \\ufffd cut \\ufffd\\ufffd\""},
  };
  for (const auto& r : rows) {
    std::string out;
    append_json_string(out, r.in);
    EXPECT_EQ(out, r.out);
  }
}

TEST(JsonWriter, WritesNumbersNullsAndNesting) {
  std::string text;
  json_writer json(text);
  json.begin_object();
  json.key("n");
  json.begin_array();
  json.number(13.80, 2);
  json.number(398.0, 1);
  json.number(-0.0001, 2);
  json.number(std::nan(""), 1);
  json.number(std::optional<double>(), 1);
  json.number(1e21, 0);
  json.integer(-7);
  json.unsigned_integer(18446744073709551615u);
  json.end_array();
  json.key("o");
  json.begin_object();
  json.end_object();
  json.key("b");
  json.boolean(false);
  json.end_object();
  EXPECT_EQ(text, "{\"n\":[13.8,398,0,null,null,1000000000000000000000,-7,18446744073709551615],\"o\":{},\"b\":false}");
}
