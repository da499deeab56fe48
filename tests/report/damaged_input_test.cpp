// Damaged LOGs: every truncation point, zero and oversized lengths, unknown types, random
// bytes. The report must always close and stay well-formed XML.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/capture.h"
#include "support/random_bits.h"
#include "support/xml_check.h"

namespace {

library_options everything_selected() {
  library_options o = options_with([&](library_options& o) {
    o.verbose = o.debug = 1, o.ahrs = o.eis = o.analog = o.set_menu = o.gps_1 = o.gps_2 = 1, o.sl30_1 = o.sl30_2 = o.sl40 = o.state = o.arinc = o.weather = 1, o.gps_2_type = 2, o.summary_deciseconds = 0;
  });
  return o;
}

// One record of every source, GPS sentences included.
std::string every_source_log() {
  log_writer log;
  std::uint32_t t = 100;
  const auto tick = [&t] { return t += 10; };
  log.set_menu(tick(), "58=4").set_menu(tick(), "64=1&<>\x02");
  log.eis(tick(), {.tachometer = 2400, .altitude = 650, .rateofclimb = -5});
  ahrs_hr_fields hr;
  hr.roll_angle = ahrs_angle(-15);
  hr.pressure_alt = 11500;
  log.ahrs_hr(tick(), hr).ahrs_lr(tick(), {}).ahrs_user_cal(tick(), {1, 2, 3, 4, 5, 6, 7, 8});
  log.analog(tick(), {400, 400, 400, 606, 20, 610, 5, 60, 1000});
  log.gps1(tick(), "\x02z01234\r\nAN 47 2345\r\nBW 122 1234\r\nC");
  log.gps1(tick(), "090\r\nD120\r\nE00123\r\nG00000\r\nI0900\r\nK<&>\"\r\nL0900\r\nQE0150\r\nS----\r\nT---\r\nl000123\r\n\x03");
  log.gps2(tick(), "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");
  log.record(5, tick(), "sl30").record(13, tick(), "unknown").record(0, tick(), "zero");
  return log.str();
}

bool closes(const std::string& doc) {
  static const std::string end = "</orvex_efis_decode>\n";
  return doc.size() >= end.size() && doc.compare(doc.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

TEST(DamagedInput, EveryTruncationPointClosesAWellFormedReport) {
  const std::string log = every_source_log();
  const library_options o = everything_selected();
  ASSERT_TRUE(is_well_formed_xml(decode_xml(log, o)));
  for (std::size_t cut = 0; cut < log.size(); ++cut) {
    const std::string doc = decode_xml(log.substr(0, cut), o);
    ASSERT_TRUE(closes(doc)) << cut;
    if (cut % 7 == 0) {
      ASSERT_TRUE(is_well_formed_xml(doc)) << cut;
    }
  }
}

TEST(DamagedInput, ShortPayloadsOfEveryTypeStillCloseTheReport) {
  const library_options o = everything_selected();
  std::string all;
  for (std::uint32_t type = 0; type < 256; ++type) {
    for (std::uint32_t length = 1; length < 80; length += 13) {
      log_writer log;
      std::string payload(length, static_cast<char>(0xFF));
      if (length > 2) payload[2] = static_cast<char>(250 + length % 6);
      log.record(static_cast<std::uint8_t>(type), type * 100 + length, payload);
      all += log.str();
    }
  }
  const std::string doc = decode_xml(all, o);
  EXPECT_TRUE(closes(doc));
  EXPECT_TRUE(is_well_formed_xml(doc));
}

TEST(DamagedInput, RandomBytesNeverBreakTheReport) {
  random_bits next(0x9E3779B97F4A7C15ull);
  for (int round = 0; round < 40; ++round) {
    std::string bytes;
    // Mostly plausible headers with small lengths, so records are actually decoded.
    while (bytes.size() < 4000) {
      log_writer log;
      const std::uint32_t length = static_cast<std::uint32_t>(next() % 90);
      std::string payload;
      for (std::uint32_t i = 0; i < length; ++i) payload += static_cast<char>(next());
      log.record(static_cast<std::uint8_t>(next() % 14), static_cast<std::uint32_t>(next()), payload);
      bytes += log.str();
      if (next() % 50 == 0) bytes += static_cast<char>(next());  // lose the framing now and then
    }
    const std::string doc = decode_xml(bytes, everything_selected());
    ASSERT_TRUE(closes(doc)) << round;
    ASSERT_TRUE(is_well_formed_xml(doc)) << round;
  }
}
