// The document calls of the C API: the same bytes from a stream or from memory, to a stream or
// appended to a caller's buffer; refusals and failures told by status, never a crash; the
// profile, limits, airports, zone and cross-country options reaching the documents.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "scenario_simulator.h"
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

namespace {

// A flight from Renton by Boeing Field to Paine Field: lift-off about 17:02Z on 9 May 2026, the
// farthest landing about 25 nm from the departure, cylinder heads up to about 370 F.
std::string airports_flight_log() {
  scenario planned;
  scenario_error error;
  EXPECT_TRUE(read_scenario(read_file(std::string(ORVEX_SOURCE_DIR) + "/samples/scenarios/krnt_bfi_pae.scenario"),
                            planned, error));
  return scenario_log(planned, nullptr, &error);
}

struct call_outcome {
  int status;
  std::string document;
  std::string message;
};

call_outcome call(const document& d, decode_context* ctx, const orvex_document_options& options, const std::string& log) {
  const orvex_log_input in{nullptr, log.data(), log.size()};
  orvex_document_output out{nullptr, nullptr, 0};
  orvex_document_result result;
  const int status = d.call(ctx, &options, &in, &out, &result);
  call_outcome outcome{status, out.data != nullptr ? std::string(out.data, out.size) : std::string(), result.message};
  OrvexDecode_free(out.data);
  return outcome;
}

}  // namespace

TEST(DocumentCalls, TheProfileLimitsAirportsZoneAndCrossCountryReachTheDocuments) {
  const std::string log = airports_flight_log();
  const context_ptr ctx = make_context();
  const char* const setting_60[] = {"liftoff_speed = 60", "tail = N60"};
  const char* const bad_setting[] = {"cylinders = 9"};
  struct row {
    const char* what;
    std::function<void(orvex_document_options&)> change;
    const char* document;  // "summary json", or an export's format
    int status;
    std::vector<const char*> present;  // in the document, or in the message when refused
    std::vector<const char*> absent;
  };
  const row rows[] = {
      {"the default table", [](auto&) {}, "summary json", ORVEX_DOCUMENT_WRITTEN,
       {"\"ident\":\"KRNT\"", "\"zone_abbreviation\":\"PDT\"", "\"cross_country\":false"}, {"\"airports\":null"}},
      {"no airports", [](auto& o) { o.airports = "none"; }, "summary json", ORVEX_DOCUMENT_WRITTEN, {"\"airports\":null"}, {"KRNT"}},
      {"a zone named", [](auto& o) { o.time_zone = "Europe/Berlin"; }, "summary json", ORVEX_DOCUMENT_WRITTEN,
       {"\"zone_abbreviation\":\"CEST\""}, {"\"PDT\""}},
      {"radius and heliports", [](auto& o) { o.airport_radius_m = 1000; o.heliports = 1; }, "summary json",
       ORVEX_DOCUMENT_WRITTEN, {"\"capture_radius_m\":1000,\"heliports\":true"}, {}},
      {"cross-country from 10 nm", [](auto& o) { o.cross_country_nm = 10; }, "summary json", ORVEX_DOCUMENT_WRITTEN,
       {"\"cross_country\":true,\"cross_country_nm\":10"}, {}},
      {"the profile's limit", [](auto& o) { o.profile_text = "cht_max = 300 F\n"; o.profile_size = 16; }, "summary json",
       ORVEX_DOCUMENT_WRITTEN, {"\"limits_checked\":1", "\"parameter\":\"cht_max\""}, {}},
      {"replaced by the limits file's",
       [](auto& o) {
         o.profile_text = "cht_max = 300 F\n";
         o.profile_size = 16;
         o.limits_text = "cht_max = 600 F\n";
         o.limits_size = 16;
       },
       "summary json", ORVEX_DOCUMENT_WRITTEN, {"\"limits_checked\":1", "\"exceedances\":[]"}, {"\"parameter\":\"cht_max\""}},
      {"settings over the profile",
       [&](auto& o) {
         o.profile_text = "liftoff_speed = 50 kt\ntail = N50";
         o.profile_size = std::strlen(o.profile_text);
         o.profile_settings = setting_60;
         o.profile_setting_count = 2;
       },
       "summary json", ORVEX_DOCUMENT_WRITTEN, {"\"tail\":\"N60\"", "\"liftoff_speed\":60"}, {"N50"}},
      {"the profile's tail in an export", [&](auto& o) { o.profile_settings = setting_60; o.profile_setting_count = 2; },
       "gpx", ORVEX_DOCUMENT_WRITTEN, {"N60"}, {}},
      {"the tail given over the profile's",
       [&](auto& o) {
         o.profile_settings = setting_60;
         o.profile_setting_count = 2;
         o.tail = "N7";
       },
       "gpx", ORVEX_DOCUMENT_WRITTEN, {"N7"}, {"N60"}},
      {"local time in a zone named", [](auto& o) { o.local_time = 1; o.time_zone = "Asia/Kathmandu"; }, "avionics-csv",
       ORVEX_DOCUMENT_WRITTEN, {"+05:45"}, {}},
      // Without a zone the local time is the departure airport's (Renton), and UTC without airports.
      {"local time without a zone", [](auto& o) { o.local_time = 1; }, "avionics-csv", ORVEX_DOCUMENT_WRITTEN, {"-07:00"},
       {"+00:00"}},
      {"... and without airports", [](auto& o) { o.local_time = 1; o.airports = "none"; }, "avionics-csv",
       ORVEX_DOCUMENT_WRITTEN, {"+00:00"}, {"-07:00"}},
      {"a bad profile line", [](auto& o) { o.profile_text = "tail = N1\nwings = 3\n"; o.profile_size = 20; }, "summary json",
       ORVEX_DOCUMENT_REFUSED, {"profile line 2: "}, {}},
      {"a bad setting", [&](auto& o) { o.profile_settings = bad_setting; o.profile_setting_count = 1; }, "gpx",
       ORVEX_DOCUMENT_REFUSED, {"profile setting: ", "cylinders = 9"}, {}},
      {"an unknown zone", [](auto& o) { o.time_zone = "Nowhere/Atlantis"; }, "report", ORVEX_DOCUMENT_REFUSED,
       {"time zone: "}, {}},
      {"airports that can't be read", [](auto& o) { o.airports = "/no/such/airports.csv"; }, "summary text",
       ORVEX_DOCUMENT_AIRPORTS_FAILED, {"/no/such/airports.csv"}, {}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.what);
    orvex_document_options options = OrvexDecode_default_document_options();
    r.change(options);
    const std::vector<document> all = documents();
    const auto d = std::find_if(all.begin(), all.end(), [&](const document& a) { return std::string(a.name) == r.document; });
    ASSERT_NE(d, all.end());
    const call_outcome outcome = call(*d, ctx.get(), options, log);
    ASSERT_EQ(outcome.status, r.status) << outcome.message;
    const std::string& told = r.status == ORVEX_DOCUMENT_WRITTEN ? outcome.document : outcome.message;
    for (const char* part : r.present) EXPECT_NE(told.find(part), std::string::npos) << part;
    for (const char* part : r.absent) EXPECT_EQ(told.find(part), std::string::npos) << part;
    // What a call refuses, the check refuses alike without a LOG.
    orvex_document_result checked;
    const int check = OrvexDecode_check_document_options(&options, &checked);
    EXPECT_EQ(check, r.status == ORVEX_DOCUMENT_WRITTEN ? ORVEX_DOCUMENT_WRITTEN : r.status);
    if (r.status != ORVEX_DOCUMENT_WRITTEN) {
      EXPECT_STREQ(checked.message, outcome.message.c_str());
    }
  }
}
