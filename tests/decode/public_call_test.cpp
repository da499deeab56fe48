// What every public conversion does with a NULL pointer or a context another thread is using:
// an error code and nothing read or written, never a crash; NULL constants and options are the
// defaults.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <thread>

#include "support/capture.h"

namespace {

std::string small_log() {
  log_writer log;
  log.eis(100, {.tachometer = 2400}).gps1(200, "$GPRMC,222246,A,4723.450,N,12212.340,W,095.5,123.4,110326,003.1,E*6A\r\n");
  return log.str();
}

using conversion = std::function<int(decode_context*, const analog_input_const*, const library_options*, FILE*, FILE*)>;

struct entry_point {
  const char* name;
  conversion run;
};

// Every conversion, each form: the context forms on ctx, the classic ones ignoring it (NULL
// there stands for no context at all, which only the context forms take).
std::vector<entry_point> entry_points() {
  return {
      {"XML", [](decode_context* c, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_context_LOG_to_XML(c, k, o, in, out, nullptr, nullptr); }},
      {"KML", [](decode_context* c, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_context_LOG_to_KML(c, k, o, in, out, nullptr, nullptr); }},
      {"XML+KML", [](decode_context* c, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_context_LOG_to_XML_and_KML(c, k, o, in, out, out, nullptr, nullptr); }},
      {"FRC", [](decode_context* c, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_context_LOG_to_FRC(c, k, o, in, out, nullptr); }},
      {"FRC binary", [](decode_context* c, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_context_LOG_to_FRC_binary(c, k, o, in, out, nullptr); }},
      {"classic XML", [](decode_context*, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_LOG_to_XML(k, o, in, out, nullptr, nullptr); }},
      {"classic KML", [](decode_context*, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_LOG_to_KML(k, o, in, out, nullptr, nullptr); }},
      {"classic XML+KML", [](decode_context*, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_LOG_to_XML_and_KML(k, o, in, out, out, nullptr, nullptr); }},
      {"classic FRC", [](decode_context*, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_LOG_to_FRC(k, o, in, out, nullptr); }},
      {"classic FRC binary", [](decode_context*, auto k, auto o, FILE* in, FILE* out) { return OrvexDecode_LOG_to_FRC_binary(k, o, in, out, nullptr); }},
  };
}

}  // namespace

TEST(PublicCall, NullStreamsAndContextsAreRefusedAndNullOptionsAreTheDefaults) {
  const context_ptr ctx = make_context();
  const analog_input_const constants = OrvexDecode_default_constants();
  const library_options options = OrvexDecode_default_options();
  for (const entry_point& e : entry_points()) {
    const bool classic = std::string(e.name).starts_with("classic");
    FILE* in = stream_with(small_log());
    FILE* out = std::tmpfile();
    errno = 0;
    EXPECT_EQ(e.run(ctx.get(), &constants, &options, nullptr, out), -1) << e.name;
    EXPECT_EQ(errno, EINVAL) << e.name;
    errno = 0;
    EXPECT_EQ(e.run(ctx.get(), &constants, &options, in, nullptr), -1) << e.name;
    EXPECT_EQ(errno, EINVAL) << e.name;
    if (!classic) {
      errno = 0;
      EXPECT_EQ(e.run(nullptr, &constants, &options, in, out), -1) << e.name;
      EXPECT_EQ(errno, EINVAL) << e.name;
    }
    EXPECT_EQ(std::ftell(in), 0) << e.name << ": a refused call read the input";
    EXPECT_EQ(drain_stream(out), "") << e.name;

    const auto document = [&](const analog_input_const* k, const library_options* o) {
      FILE* input = stream_with(small_log());
      FILE* output = std::tmpfile();
      EXPECT_GE(e.run(ctx.get(), k, o, input, output), 0) << e.name;
      std::fclose(input);
      return mask_decode_time(drain_stream(output));
    };
    EXPECT_EQ(document(nullptr, nullptr), document(&constants, &options)) << e.name;
    std::fclose(in);
  }
  EXPECT_EQ(OrvexDecode_context_health(nullptr).records_read, 0u);
  OrvexDecode_context_free(nullptr);
}

TEST(PublicCall, AContextInUseOnAnotherThreadIsRefusedWithEbusy) {
  // The first conversion waits in its read of a pipe until the test closes it.
  int pipe_fds[2];
  ASSERT_EQ(pipe(pipe_fds), 0);
  FILE* blocked_in = fdopen(pipe_fds[0], "rb");
  const context_ptr ctx = make_context();
  FILE* out_first = std::tmpfile();
  int first_result = -2;
  std::thread first([&] {
    do {
      errno = 0;
      first_result = OrvexDecode_context_LOG_to_XML(ctx.get(), nullptr, nullptr, blocked_in, out_first, nullptr, "first");
    } while (first_result == -1 && errno == EBUSY);  // the other thread held it for a moment
  });
  // Until the first conversion holds the context, the second one runs; once it does, the
  // second is refused without reading.
  int refused = 0;
  for (int attempt = 0; attempt < 100000 && refused == 0; ++attempt) {
    FILE* in = stream_with(small_log());
    FILE* out = std::tmpfile();
    errno = 0;
    if (OrvexDecode_context_LOG_to_FRC(ctx.get(), nullptr, nullptr, in, out, nullptr) == -1 && errno == EBUSY) {
      refused = 1;
      EXPECT_EQ(std::ftell(in), 0);
      EXPECT_EQ(drain_stream(out), "");
    } else {
      std::fclose(out);
      std::this_thread::yield();
    }
    std::fclose(in);
  }
  close(pipe_fds[1]);
  first.join();
  EXPECT_EQ(refused, 1);
  EXPECT_GE(first_result, 0);
  EXPECT_TRUE(drain_stream(out_first).ends_with("</orvex_efis_decode>\n"));
  std::fclose(blocked_in);
}
