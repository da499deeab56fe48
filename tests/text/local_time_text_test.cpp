// Local date and time texts: ISO 8601 with the offset, and the short forms beside UTC.
#include <gtest/gtest.h>

#include <cstdint>

#include "text/local_time_text.h"

TEST(LocalTimeText, IsoTextsCarryTheOffset) {
  constexpr std::int64_t may_9_034512 = 1'778'298'312;  // 2026-05-09T03:45:12Z
  const struct {
    std::int64_t utc_s;
    std::int32_t offset_s;
    const char* iso;
  } rows[] = {
      {may_9_034512, -7 * 3600, "2026-05-08T20:45:12-07:00"},  // the local date is the day before
      {may_9_034512, 0, "2026-05-09T03:45:12+00:00"},
      {may_9_034512, 5 * 3600 + 1800, "2026-05-09T09:15:12+05:30"},
      {may_9_034512, 13 * 3600 + 45 * 60, "2026-05-09T17:30:12+13:45"},
      {may_9_034512, -(3 * 3600 + 30 * 60), "2026-05-09T00:15:12-03:30"},
      // Local mean time, -7:52:58: rounded to -7:53, and the clock with it.
      {-3'000'000'000, -(7 * 3600 + 52 * 60 + 58), "1874-12-07T10:47:00-07:53"},
  };
  for (const auto& r : rows) EXPECT_EQ(iso8601_local(r.utc_s, r.offset_s).view(), r.iso);
}

TEST(LocalTimeText, ShortFormsNameTheZoneOrItsOffset) {
  constexpr std::int64_t may_9_034512_ms = 1'778'298'312'400;
  EXPECT_EQ(local_date_text(may_9_034512_ms, -7 * 3600), "2026-05-08");
  EXPECT_EQ(local_time_text(may_9_034512_ms, -7 * 3600, "PDT"), "20:45:12 PDT");
  EXPECT_EQ(local_time_text(may_9_034512_ms, 12 * 3600 + 45 * 60, "+1245"), "16:30:12 +12:45");
  EXPECT_EQ(local_time_text(may_9_034512_ms, -3 * 3600, ""), "00:45:12 -03:00");
}
