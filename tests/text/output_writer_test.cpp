// The buffered writer and the XML escaper.
#include <gtest/gtest.h>

#include <string>

#include "support/capture.h"
#include "text/xml_escape.h"

TEST(XmlEscape, ReplacesMarkupAndIllegalControlBytes) {
  const std::pair<std::string, std::string> rows[] = {
      {"plain text/123", "plain text/123"},
      {"a&b", "a&amp;b"},
      {"<tag>", "&lt;tag&gt;"},
      {"say \"hi\"", "say &quot;hi&quot;"},
      {"it's", "it's"},
      {std::string("\x01\x02\x08", 3), "&#x2401;&#x2402;&#x2408;"},
      {"\x0b\x0c", "&#x240B;&#x240C;"},
      {"\x0e\x1f", "&#x240E;&#x241F;"},
      {"\t\n\r", "\t\n\r"},
      {"\x7f\x80\xe9\xff", "\x7f\x80\xe9\xff"},
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& [in, expected] : rows) {
    std::string out(in.size() * xml_escape_max_expansion, '?');
    out.resize(xml_escape(in, out.data()));
    EXPECT_EQ(out, expected) << in;
  }
}

TEST(OutputWriter, LongTextsAndLinesCrossTheBufferWhole) {
  const std::string long_text(3 * output_writer::buffer_size + 17, '<');
  std::string expected;
  for (std::size_t i = 0; i < long_text.size(); ++i) expected += "&lt;";
  EXPECT_EQ(capture_output([&](output_writer& out) { out.escaped(long_text); }), expected);

  const std::string wide(output_writer::buffer_size + 5, 'w');
  const std::string out = capture_output([&](output_writer& out) {
    out.text(std::string(100, 'x'));
    out.line(OUT_FORMAT("[{}|{}|{:+}|{:02}]"), std::string_view(wide), right_aligned("ab", 9), 0, 7);
  });
  EXPECT_EQ(out, std::string(100, 'x') + "[" + wide + "|       ab|+0|07]");
}

TEST(OutputWriter, FailedWriteIsRememberedAndReported) {
  FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  static output_writer out;
  out.attach(full);
  for (int i = 0; i < 5000; ++i) out.line(OUT_FORMAT("line {}\n"), i);
  EXPECT_EQ(out.flush(), -1);
  EXPECT_TRUE(out.failed());
  EXPECT_EQ(out.text("more"), -1);
  std::fclose(full);
  out.attach(nullptr);
}
