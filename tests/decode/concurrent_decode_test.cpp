// Two decodes at once in one process, each on its own context, give the bytes they give alone.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "flight_simulator.h"
#include "support/capture.h"

namespace {

struct documents {
  std::string xml;
  std::string kml;
  std::string track;
};

// XML report, KML and binary track of one LOG, each through the caller's context, described as
// the classic entry points of the test support describe theirs.
documents decode_all(decode_context* ctx, const std::string& log, const library_options& options) {
  const analog_input_const constants = default_constants();
  documents d;
  const auto run = [&](std::string& into, auto&& pass) {
    FILE* in = stream_with(log);
    FILE* out = std::tmpfile();
    pass(in, out);
    std::fclose(in);
    into = mask_decode_time(drain_stream(out));
  };
  run(d.xml, [&](FILE* in, FILE* out) { OrvexDecode_context_LOG_to_XML(ctx, &constants, &options, in, out, nullptr, "test.LOG"); });
  run(d.kml, [&](FILE* in, FILE* out) { OrvexDecode_context_LOG_to_KML(ctx, &constants, &options, in, out, nullptr, "test.LOG"); });
  run(d.track, [&](FILE* in, FILE* out) { OrvexDecode_context_LOG_to_FRC_binary(ctx, &constants, &options, in, out, nullptr); });
  return d;
}

}  // namespace

// LOGs longer than one read block, so each decode also reads ahead on a thread of its own.
TEST(ConcurrentDecode, TwoLogsOnTwoThreadsGiveTheSameBytesAsOneAfterTheOther) {
  const std::string first = simulated_log({.seed = 3, .minutes = 4.0});
  const std::string second = simulated_log({.seed = 4, .minutes = 4.0, .swap_gps = true});
  const library_options aviation = options_with([](library_options& o) { o.eis = o.ahrs = 1, o.gps_2_type = 2; });
  const library_options nmea = options_with([](library_options& o) { o.verbose = o.analog = 1, o.gps_1_type = 2, o.gps_2_type = 1; });

  const context_ptr ctx_a = make_context();
  const context_ptr ctx_b = make_context();
  const documents alone_a = decode_all(ctx_a.get(), first, aviation);
  const documents alone_b = decode_all(ctx_b.get(), second, nmea);
  ASSERT_NE(alone_a.xml, alone_b.xml);

  documents together_a, together_b;
  std::thread thread_a([&] { together_a = decode_all(ctx_a.get(), first, aviation); });
  std::thread thread_b([&] { together_b = decode_all(ctx_b.get(), second, nmea); });
  thread_a.join();
  thread_b.join();
  EXPECT_TRUE(together_a.xml == alone_a.xml);
  EXPECT_TRUE(together_a.kml == alone_a.kml);
  EXPECT_TRUE(together_a.track == alone_a.track);
  EXPECT_TRUE(together_b.xml == alone_b.xml);
  EXPECT_TRUE(together_b.kml == alone_b.kml);
  EXPECT_TRUE(together_b.track == alone_b.track);

  // The classic entry points take a context of their own each call, so they too can overlap.
  std::string classic_a, classic_b;
  std::thread classic_thread([&] { classic_a = mask_decode_time(decode_xml(first, aviation)); });
  classic_b = mask_decode_time(decode_xml(second, nmea));
  classic_thread.join();
  EXPECT_TRUE(classic_a == alone_a.xml);
  EXPECT_TRUE(classic_b == alone_b.xml);
}

TEST(ConcurrentDecode, HealthReportsWhatTheLastPassFound) {
  log_writer log;
  log.record(2, 1, "a").header(4, 2, 0).record(77, 3, "x").header(1, 4, 2'000'000).bytes(std::string(2'000'000, 'z'));
  log.header(2, 5, 9).bytes("cut");
  const context_ptr ctx = make_context();
  const orvex_log_health before = OrvexDecode_context_health(ctx.get());
  EXPECT_EQ(before.records_read, 0u);
  decode_all(ctx.get(), log.str(), default_options());
  const orvex_log_health h = OrvexDecode_context_health(ctx.get());
  EXPECT_EQ(h.records_read, 2u);
  EXPECT_EQ(h.unknown_source_records, 1u);
  EXPECT_EQ(h.dropped_zero_length, 1u);
  EXPECT_EQ(h.dropped_oversized, 1u);
  EXPECT_EQ(h.dropped_truncated, 1u);
  EXPECT_EQ(h.largest_skip, 2'000'000u);
  EXPECT_EQ(h.bytes_read, log.str().size());
  EXPECT_EQ(h.input_error, 0);
}
