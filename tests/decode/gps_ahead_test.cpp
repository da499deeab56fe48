// The GPS sentences put together on the reading thread give each GPS record the outcome the
// pass's own assembly gives: on a flown LOG, and on LOGs of many blocks dense with GPS records
// (the thread then runs ahead of the pass by more than its outcomes hold), with damaged records
// and a cut-off end. The thread sanitizer build runs the ConcurrentDecode tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "decode/gps_ahead.h"
#include "decode/record_loop.h"
#include "log_writer.h"
#include "records/source_type.h"
#include "support/capture.h"
#include "support/flown_scenario.h"

namespace {

// What every GPS record did to its port, one line each.
struct gps_digest {
  decode_context& ctx;
  std::string text;

  void after_dispatch(const efis_record& record, const record_effect& effect) {
    if (record.source_type != source_gps_1 && record.source_type != source_gps_2) return;
    const gps_composite_state& p = record.source_type == source_gps_1 ? ctx.summary.gps_1 : ctx.summary.gps_2;
    text += std::to_string(record.offset) + ' ' + std::to_string(effect.new_fix_port) + ' ' +
            std::to_string(p.fix.latitude_deg) + ' ' + std::to_string(p.fix.utc_ms) + ' ' +
            std::to_string(p.sentences_accepted) + ' ' + std::to_string(p.sentences_rejected) + ' ' +
            std::to_string(p.buffer_full) + '\n';
  }
};

std::string digest_of(const std::string& log, bool on_thread) {
  FILE* file = std::tmpfile();
  std::fwrite(log.data(), 1, log.size(), file);
  std::rewind(file);
  const context_ptr ctx = make_context();
  library_options options = default_options();
  options.gps_2_type = ORVEX_GPS_FORMAT_NMEA;
  const analog_input_const constants = default_constants();
  begin_pass(*ctx, &constants, &options, file, nullptr);
  gps_digest steps{*ctx, {}};
  {
    gps_ahead gps;
    if (on_thread) {
      gps.follow(*ctx);
      EXPECT_NE(ctx->gps, nullptr);
    }
    run_record_loop(*ctx, steps);
  }
  std::fclose(file);
  return steps.text;
}

// The flown LOG's GPS records over and over, damaged records between them every so often, to
// about bytes long, cut off inside the last record.
std::string dense_gps_log(std::size_t bytes) {
  log_writer out;
  std::uint32_t time = 0;
  std::size_t n = 0;
  while (out.data().size() < bytes) {
    const std::string& log = fly("krnt_to_kpae").log;
    for (std::size_t at = 0; at + record_header_size <= log.size() && out.data().size() < bytes;) {
      const auto type = static_cast<std::uint8_t>(log[at]);
      const std::size_t length = static_cast<std::uint8_t>(log[at + 8]);  // payloads are under 256
      if (type == source_gps_1 || type == source_gps_2) {
        out.record(type, ++time, std::string_view(log).substr(at + record_header_size, length));
        if (++n % 4001 == 0) out.header(source_gps_1, time, 0);
        if (n % 7919 == 0) out.header(source_gps_2, time, 300).bytes(std::string(300, '$'));
      }
      at += record_header_size + length;
    }
  }
  out.header(source_gps_1, ++time, 100).bytes(std::string(40, 'A'));
  return out.str();
}

}  // namespace

TEST(ConcurrentDecode, GpsOnTheReadingThreadGivesEachRecordItsOwnOutcome) {
  struct log_case {
    const char* name;
    std::string log;
  };
  const log_case cases[] = {
      {"flown", fly("krnt_to_kpae").log},
      {"dense, many blocks", dense_gps_log(3u << 20)},
  };
  for (const log_case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string own = digest_of(c.log, false);
    EXPECT_GT(own.size(), 10000u);
    EXPECT_EQ(digest_of(c.log, true), own);
  }
}
