// The GPS sentences put together on a thread of their own give each GPS record the outcome the
// pass's own assembly gives, also when the LOG grows after the thread's reading has ended (the
// thread sanitizer build runs the ConcurrentDecode tests).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "decode/gps_ahead.h"
#include "decoders/gps/assembly.h"
#include "orvexdecode.h"
#include "records/record_reader.h"
#include "records/source_type.h"
#include "support/flown_scenario.h"

TEST(ConcurrentDecode, GpsAheadGivesEachRecordItsOwnOutcomeAsTheLogGrows) {
  const std::string& log = fly("krnt_to_kpae").log;
  for (const std::size_t first_part : {log.size(), log.size() / 3}) {
    SCOPED_TRACE(first_part);
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fwrite(log.data(), 1, first_part, file);
    std::fflush(file);
    std::rewind(file);
    gps_ahead ahead;
    ASSERT_TRUE(ahead.start(file, 0, ORVEX_GPS_FORMAT_AVIATION, ORVEX_GPS_FORMAT_NMEA));
    if (first_part < log.size()) {
      // Most likely the thread has read the first part to its end by now; either way the
      // outcomes are the same.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      std::fseek(file, 0, SEEK_END);
      std::fwrite(log.data() + first_part, 1, log.size() - first_part, file);
      std::fflush(file);
      std::rewind(file);
    }
    gps_composite_state taken[2], own[2];
    for (int p = 0; p < 2; ++p) {
      reset_gps_port(&taken[p], p == 0 ? ORVEX_GPS_FORMAT_AVIATION : ORVEX_GPS_FORMAT_NMEA);
      reset_gps_port(&own[p], p == 0 ? ORVEX_GPS_FORMAT_AVIATION : ORVEX_GPS_FORMAT_NMEA);
    }
    record_reader reader;
    reader.reset(file);
    efis_record record;
    std::size_t fixes = 0;
    for (read_outcome r; (r = reader.next(record)) != read_outcome::end;) {
      if (r != read_outcome::record) continue;
      const int p = record.source_type == source_gps_1 ? 0 : record.source_type == source_gps_2 ? 1 : -1;
      if (p < 0) continue;
      const bool expected = process_gps_entry(record.payload, record.length, &own[p]);
      ASSERT_EQ(ahead.take(p, record, taken[p], taken[1 - p]), expected) << record.offset;
      if (!expected) continue;
      ++fixes;
      ASSERT_EQ(taken[p].fix.utc_ms, own[p].fix.utc_ms);
      ASSERT_EQ(taken[p].fix.latitude_deg, own[p].fix.latitude_deg);
      ASSERT_EQ(taken[p].fix.ground_speed_kt, own[p].fix.ground_speed_kt);
    }
    reader.stop_reading();
    EXPECT_GT(fixes, 100u);
    for (int p = 0; p < 2; ++p) {
      EXPECT_EQ(taken[p].sentences_accepted, own[p].sentences_accepted);
      EXPECT_EQ(taken[p].sentences_rejected, own[p].sentences_rejected);
    }
    std::fclose(file);
  }
}
