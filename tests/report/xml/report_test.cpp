// The report document: prologue, options block, record wrappers, summary timing, escaping.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/capture.h"
#include "support/xml_check.h"

namespace {

// Compares a whole document with the expected text kept beside the test. With
// ORVEX_UPDATE_EXPECTED=1 in the environment the expected file is rewritten instead (review
// the diff before committing it).
void expect_document(const std::string& name, const std::string& actual) {
  const std::string path = std::string(ORVEX_SOURCE_DIR) + "/tests/report/xml/expected/" + name;
  if (std::getenv("ORVEX_UPDATE_EXPECTED") != nullptr) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(actual.data(), 1, actual.size(), f);
    std::fclose(f);
    return;
  }
  EXPECT_EQ(actual, read_file(path)) << name;
}

// Summary reference timestamps seen as eis_timestamp attributes, one per summary.
std::vector<std::string> summary_eis_timestamps(const std::string& doc) {
  std::vector<std::string> seen;
  const std::string key = "<summary_log_entry source_type=\"ff\" source_type_desc=\"Summary_Data\" eis_timestamp=\"";
  for (auto p = doc.find(key); p != std::string::npos; p = doc.find(key, p + 1)) {
    const auto start = p + key.size();
    seen.push_back(doc.substr(start, doc.find('"', start) - start));
  }
  return seen;
}

}  // namespace

TEST(XmlReport, UndecodedSourcesInVerboseModeMatchTheWholeDocument) {
  library_options o = options_with([&](library_options& o) {
    o.verbose = 1, o.debug = 1, o.constants = 0, o.summary_deciseconds = 5;
  });
  for (auto flag : {&library_options::gps_1, &library_options::gps_2, &library_options::sl30_1,
                    &library_options::sl30_2, &library_options::state, &library_options::arinc,
                    &library_options::weather, &library_options::sl40}) {
    o.*flag = 1;
  }
  log_writer log;
  log.record(5, 100, "sl30").record(6, 200, "sl30").record(8, 300, "state").record(9, 400, "arinc");
  log.record(10, 700, "wx").record(12, 800, "sl40").record(3, 900, "no sentence").record(11, 2100, "$GP");
  log.record(13, 2200, "?").record(255, 2300, "summary?").record(0, 2400, "zero");
  log.record(12, 0x80000000u, "late");
  expect_document("undecoded_verbose.xml", mask_decode_time(decode_xml(log.str(), o)));
}

TEST(XmlReport, SelectedRecordsWithoutVerboseAreEmptyWrappers) {
  library_options o = default_options();
  o.sl40 = o.weather = o.gps_1 = 1;
  o.debug = 1;  // GPS wrappers need verbose and debug both
  log_writer log;
  log.record(12, 10, "a").record(10, 20, "b").record(3, 30, "c");
  const std::string doc = decode_xml(log.str(), o);
  EXPECT_NE(doc.find("<orvex_efis_log_entry source_type=\"c\" source_type_desc=\"SL40_Input\" timestamp=\"10\">\n</orvex_efis_log_entry>\n"), std::string::npos);
  EXPECT_NE(doc.find("<orvex_efis_log_entry source_type=\"a\" source_type_desc=\"Weather_Input\" timestamp=\"20\">\n</orvex_efis_log_entry>\n"), std::string::npos);
  EXPECT_NE(doc.find("<orvex_efis_log_entry source_type=\"3\" source_type_desc=\"GPS1_Input\" timestamp=\"30\">\n</orvex_efis_log_entry>\n"), std::string::npos);
}

TEST(XmlReport, SummaryTiming) {
  struct row {
    const char* name;
    std::int32_t deciseconds;
    std::vector<std::uint32_t> timestamps;
    std::vector<std::string> summaries;  // eis_timestamp of each summary: the cache before the record
  };
  const row rows[] = {
      {"none before the first period ends", 10, {1000, 1500, 2000}, {}},
      {"strictly greater than reference plus period", 10, {1000, 2000, 2001, 3001, 3002}, {"2000", "3001"}},
      {"period zero: every later timestamp", 0, {5, 5, 6, 6, 7}, {"5", "6"}},
      {"non-numeric period", 0, {1, 2, 3}, {"1", "2"}},
      {"backwards timestamps wait", 1, {1000, 500, 900, 1101, 1200}, {"900"}},
      {"negative period wraps", -1, {1000, 1001, 1002}, {"0", "1000", "1001"}},
      {"reference plus period wraps past 2^32", 10, {0xFFFFFF00u, 0xFFFFFFF0u, 100, 2000}, {"0", "-256", "100"}},
      {"timestamps of 2^31 or more print negative", 10, {1, 0x80000000u, 0x80000001u}, {"1"}},
  };
  for (const row& r : rows) {
    library_options o = default_options();
    o.summary_deciseconds = r.deciseconds;
    log_writer log;
    for (const std::uint32_t ts : r.timestamps) log.eis(ts, {});
    EXPECT_EQ(summary_eis_timestamps(decode_xml(log.str(), o)), r.summaries) << r.name;
  }
}

TEST(XmlReport, FirstNonZeroTimestampIsTheReferenceEvenForADroppedRecord) {
  log_writer log;
  log.header(2, 0, 0).header(4, 1000, 0).eis(1500, {}).eis(2001, {}).eis(2500, {});
  EXPECT_EQ(summary_eis_timestamps(decode_xml(log.str(), default_options())), (std::vector<std::string>{"1500"}));
  log_writer oversized;
  oversized.header(4, 1000, 400).bytes(std::string(400, 'x')).eis(1500, {}).eis(2001, {});
  EXPECT_EQ(summary_eis_timestamps(decode_xml(oversized.str(), default_options())), (std::vector<std::string>{"1500"}));
}

TEST(XmlReport, OversizedRecordTakesNoPassStep) {
  library_options o = options_with([&](library_options& o) { o.eis = 1, o.summary_deciseconds = 0; });
  log_writer log;
  log.eis(10, {}).header(2, 20, 256).bytes(std::string(256, '\0')).header(99, 30, 300).bytes(std::string(300, 'x'));
  const std::string doc = decode_xml(log.str(), o);
  EXPECT_EQ(count_of(doc, "<orvex_efis_log_entry"), 1u);
  EXPECT_EQ(count_of(doc, "<summary_log_entry"), 0u);
  EXPECT_EQ(count_of(doc, "<unknown_entry_type/>"), 0u);
}

TEST(XmlReport, SummaryShowsTheCacheBeforeTheRecordAndOnlyReceivedSources) {
  library_options o = default_options();
  o.summary_deciseconds = 0;
  log_writer log;
  log.record(9, 5, "x").record(9, 6, "y").analog(7, {}).record(9, 8, "z");
  const std::string doc = decode_xml(log.str(), o);
  EXPECT_NE(doc.find("<summary_log_entry source_type=\"ff\" source_type_desc=\"Summary_Data\" eis_timestamp=\"0\" ahrs_hr_timestamp=\"0\" ahrs_lr_timestamp=\"0\" analog_input_timestamp=\"0\">\n</summary_log_entry>\n"), std::string::npos);
  EXPECT_NE(doc.find("analog_input_timestamp=\"7\">\n"), std::string::npos);
  EXPECT_EQ(count_of(doc, "<summary_log_entry"), 3u);
}

TEST(XmlReport, NoSummariesWhenTheyAreOff) {
  library_options o = options_with([&](library_options& o) { o.summary = 0, o.summary_deciseconds = 0; });
  log_writer log;
  log.eis(1, {}).eis(2, {}).eis(3, {});
  EXPECT_EQ(count_of(decode_xml(log.str(), o), "<summary_log_entry"), 0u);
}

TEST(XmlReport, FreeTextIsEscaped) {
  library_options o = default_options();
  std::strcpy(o.xsl_stylesheet, "a&b<\"c\">\x02");
  std::strcpy(o.prog, "p&q");
  const analog_input_const c = default_constants();
  FILE* in = stream_with("");
  FILE* out = std::tmpfile();
  OrvexDecode_LOG_to_XML(&c, &o, in, out, stderr, "dir/\x0b<log>&\"x\".LOG");
  std::fclose(in);
  const std::string doc = drain_stream(out);
  EXPECT_NE(doc.find("href=\"a&amp;b&lt;&quot;c&quot;&gt;&#x2402;\"?>"), std::string::npos);
  EXPECT_NE(doc.find("prog=\"p&amp;q\""), std::string::npos);
  EXPECT_NE(doc.find("description=\"dir/&#x240B;&lt;log&gt;&amp;&quot;x&quot;.LOG\">"), std::string::npos);
  EXPECT_NE(doc.find("<library_options_xsl_stylesheet>a&amp;b&lt;&quot;c&quot;&gt;&#x2402;</library_options_xsl_stylesheet>"), std::string::npos);
  EXPECT_TRUE(is_well_formed_xml(doc));
}

TEST(XmlReport, DecodeTimeHasTheCtimeLayout) {
  const std::string doc = decode_xml("", default_options());
  const auto start = doc.find("decode_timestamp=\"") + 18;
  const std::string text = doc.substr(start, doc.find('"', start) - start);
  ASSERT_EQ(text.size(), 24u) << text;
  EXPECT_EQ(text[3], ' ');
  EXPECT_EQ(text[13], ':');
  EXPECT_EQ(text[16], ':');
}

TEST(XmlReport, EmptyInputGivesTheSkeleton) {
  library_options o = default_options();
  o.constants = 0;
  expect_document("empty.xml", mask_decode_time(decode_xml("", o)));
}
