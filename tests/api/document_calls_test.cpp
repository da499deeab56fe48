// The document calls of the C API: the same bytes from a stream or from memory, to a stream or
// appended to a caller's buffer; refusals and failures told by status, never a crash.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "support/capture.h"

namespace {

using document_call = std::function<int(decode_context*, const orvex_document_options*, const orvex_log_input*,
                                        orvex_document_output*, orvex_document_result*)>;

struct document {
  const char* name;
  document_call call;
};

document export_of(const char* format) {
  return {format, [format](decode_context* c, auto o, auto in, auto out, auto r) {
            return OrvexDecode_context_export(c, format, o, in, out, r);
          }};
}

std::vector<document> documents() {
  std::vector<document> all = {
      {"report", OrvexDecode_context_report_html},
      {"summary json", OrvexDecode_context_summary_json},
      {"summary text", OrvexDecode_context_summary_text},
  };
  for (int i = 0; OrvexDecode_export_format(i) != nullptr; ++i) all.push_back(export_of(OrvexDecode_export_format(i)));
  return all;
}

std::string sample_log() { return read_file(std::string(ORVEX_SOURCE_DIR) + "/samples/demo_flight.LOG"); }

}  // namespace

TEST(DocumentCalls, MemoryAndStreamsGiveTheSameBytesAndTheBufferGrowsAtItsEnd) {
  const std::string log = sample_log();
  const context_ptr ctx = make_context();
  orvex_document_options options = OrvexDecode_default_document_options();
  options.log_name = "demo_flight.LOG";
  for (const document& d : documents()) {
    FILE* in = stream_with(log);
    FILE* out = std::tmpfile();
    const orvex_log_input from_stream{in, nullptr, 0};
    orvex_document_output to_stream{out, nullptr, 0};
    orvex_document_result result;
    ASSERT_EQ(d.call(ctx.get(), &options, &from_stream, &to_stream, &result), ORVEX_DOCUMENT_WRITTEN) << d.name;
    const std::string streamed = drain_stream(out);  // closes out
    std::fclose(in);

    const orvex_log_input from_memory{nullptr, log.data(), log.size()};
    orvex_document_output to_buffer{nullptr, static_cast<char*>(std::malloc(3)), 3};
    std::memcpy(to_buffer.data, "ab\n", 3);
    ASSERT_EQ(d.call(ctx.get(), &options, &from_memory, &to_buffer, nullptr), ORVEX_DOCUMENT_WRITTEN) << d.name;
    EXPECT_GT(streamed.size(), 100u) << d.name;
    EXPECT_EQ(mask_decode_time(std::string(to_buffer.data, to_buffer.size)), mask_decode_time("ab\n" + streamed)) << d.name;
    EXPECT_EQ(to_buffer.data[to_buffer.size], '\0') << d.name;
    OrvexDecode_free(to_buffer.data);
  }
}

TEST(DocumentCalls, RefusalsAndFailuresAreToldByStatus) {
  const context_ptr ctx = make_context();
  const std::string log = sample_log();
  const std::string not_a_log = "not a LOG at all";
  const std::string empty;
  orvex_document_options old = OrvexDecode_default_document_options();
  old.version = 0;
  orvex_document_options flight_9 = OrvexDecode_default_document_options();
  flight_9.flight = 9;
  orvex_document_options bad_limits = OrvexDecode_default_document_options();
  bad_limits.limits_text = "rpm max lots\n";
  bad_limits.limits_size = std::strlen(bad_limits.limits_text);
  struct refusal {
    const char* what;
    bool no_context;
    const orvex_document_options* options;
    const std::string* input;  // nullptr: no input
    int status;
    const char* message;  // a part of result.message
  };
  const refusal refusals[] = {
      {"no context", true, nullptr, &log, -1, ""},
      {"no input", false, nullptr, nullptr, -1, ""},
      {"options of version 0", false, &old, &log, -1, ""},
      {"not a LOG", false, nullptr, &not_a_log, ORVEX_DOCUMENT_NOT_A_LOG, "no record"},
      {"empty", false, nullptr, &empty, ORVEX_DOCUMENT_NOT_A_LOG, "empty"},
      {"a flight the LOG lacks", false, &flight_9, &log, ORVEX_DOCUMENT_REFUSED, "flight 9"},
  };
  for (const document& d : documents()) {
    for (const refusal& r : refusals) {
      const bool is_export = std::string(d.name).find("summary") == std::string::npos && std::string(d.name) != "report";
      if (is_export && r.status == ORVEX_DOCUMENT_NOT_A_LOG) continue;  // the exports leave that to the caller
      if (std::string(d.name).starts_with("summary") && r.status == ORVEX_DOCUMENT_REFUSED) continue;  // no stretch
      const orvex_log_input in{nullptr, r.input != nullptr ? r.input->data() : nullptr, r.input != nullptr ? r.input->size() : 0};
      orvex_document_output out{nullptr, nullptr, 0};
      orvex_document_result result;
      errno = 0;
      const int status = d.call(r.no_context ? nullptr : ctx.get(), r.options, r.input != nullptr ? &in : nullptr, &out, &result);
      EXPECT_EQ(status, r.status) << d.name << ": " << r.what;
      EXPECT_EQ(result.status, r.status) << d.name << ": " << r.what;
      if (r.status == -1) {
        EXPECT_EQ(errno, EINVAL) << d.name << ": " << r.what;
      }
      EXPECT_NE(std::string(result.message).find(r.message), std::string::npos) << d.name << ": " << result.message;
      OrvexDecode_free(out.data);
    }
    if (std::string(d.name).starts_with("summary") || std::string(d.name) == "report") {
      const orvex_log_input in{nullptr, log.data(), log.size()};
      orvex_document_output out{nullptr, nullptr, 0};
      EXPECT_EQ(d.call(ctx.get(), &bad_limits, &in, &out, nullptr), ORVEX_DOCUMENT_REFUSED) << d.name;
      OrvexDecode_free(out.data);
    }
  }
  const orvex_log_input in{nullptr, log.data(), log.size()};
  orvex_document_output out{nullptr, nullptr, 0};
  EXPECT_EQ(OrvexDecode_context_export(ctx.get(), "pdf", nullptr, &in, &out, nullptr), ORVEX_DOCUMENT_NO_FORMAT);
  OrvexDecode_free(out.data);
}
