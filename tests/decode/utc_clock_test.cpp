// The LOG's clock: UTC through the latest fix, midnight, a lagging date, and the texts the user
// gives for a LOG without NMEA time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/utc_clock.h"
#include "decoders/gps/fix.h"
#include "text/utc_text.h"

namespace {

std::string utc_at(const utc_clock& clock, std::uint32_t log_ms) {
  return std::string(iso8601_utc(whole_seconds_of(clock.utc_ms_at(log_ms))).view());
}

const std::int64_t may_18_2359_58 = utc_seconds_of(2024, 5, 18, 23, 59, 58);

}  // namespace

TEST(UtcClock, MapsLogTimeThroughTheLatestFix) {
  struct fix {
    std::uint32_t log_ms;
    std::int64_t utc_s;
  };
  const struct {
    const char* name;
    std::vector<fix> fixes;
    std::uint32_t asked_ms;
    const char* utc;
    std::uint64_t corrections;
  } rows[] = {
      {"after the fix", {{10'000, may_18_2359_58}}, 12'400, "2024-05-19T00:00:00Z", 0},
      {"before the first fix", {{10'000, may_18_2359_58}, {11'000, may_18_2359_58 + 1}}, 0, "2024-05-18T23:59:48Z", 0},
      // The EFIS clock runs 2 % fast: the latest fix sets the time anew.
      {"drift", {{10'000, may_18_2359_58}, {112'000, may_18_2359_58 + 100}}, 113'000, "2024-05-19T00:01:39Z", 0},
      {"date and time roll over together",
       {{10'000, may_18_2359_58}, {12'000, may_18_2359_58 + 2}},
       13'000,
       "2024-05-19T00:00:01Z",
       0},
      // 00:00:01 still dated the 18th: the date lags the time by a day.
      {"lagging date",
       {{10'000, may_18_2359_58}, {13'000, may_18_2359_58 + 3 - 86'400}},
       14'000,
       "2024-05-19T00:00:02Z",
       1},
      // 23:59:59 already dated the 19th.
      {"leading date",
       {{10'000, may_18_2359_58}, {11'000, may_18_2359_58 + 1 + 86'400}},
       11'000,
       "2024-05-18T23:59:59Z",
       1},
      {"a jump of hours is believed",
       {{10'000, may_18_2359_58}, {11'000, may_18_2359_58 + 7200}},
       11'000,
       "2024-05-19T01:59:58Z",
       0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    utc_clock clock;
    for (const fix& f : r.fixes) clock.set_from_fix(f.utc_s, f.log_ms);
    EXPECT_EQ(clock.source(), utc_source::gps);
    EXPECT_EQ(utc_at(clock, r.asked_ms), r.utc);
    EXPECT_EQ(clock.day_corrections(), r.corrections);
  }
}

TEST(UtcClock, TheUsersTimeServesOnlyALogWithoutGpsTime) {
  utc_clock clock;
  EXPECT_FALSE(clock.known());
  clock.set_from_user(1'735'689'600'000, 5'000);
  EXPECT_EQ(clock.source(), utc_source::user);
  EXPECT_EQ(utc_at(clock, 65'000), "2025-01-01T00:01:00Z");
  clock.set_from_fix(may_18_2359_58, 70'000);
  clock.set_from_user(0, 0);
  EXPECT_EQ(clock.source(), utc_source::gps);
  EXPECT_EQ(utc_at(clock, 70'000), "2024-05-18T23:59:58Z");
}

TEST(UtcClock, ReadsIso8601UtcTimes) {
  const struct {
    const char* text;
    std::optional<std::int64_t> ms;
  } rows[] = {
      {"2026-03-11T22:22:46Z", utc_seconds_of(2026, 3, 11, 22, 22, 46) * 1000},
      {"2026-03-11T22:22:46", utc_seconds_of(2026, 3, 11, 22, 22, 46) * 1000},
      {"2026-03-11 22:22:46+00:00", utc_seconds_of(2026, 3, 11, 22, 22, 46) * 1000},
      {"2026-03-11T22:22:46.25Z", utc_seconds_of(2026, 3, 11, 22, 22, 46) * 1000 + 250},
      {"2024-02-29T00:00:00Z", utc_seconds_of(2024, 2, 29, 0, 0, 0) * 1000},
      {"2023-02-29T00:00:00Z", std::nullopt},
      {"2026-13-11T22:22:46Z", std::nullopt},
      {"2026-03-11T24:00:00Z", std::nullopt},
      {"2026-03-11T22:22:46+01:00", std::nullopt},
      {"2026-03-11T22:22", std::nullopt},
      {"2026-03-11T22:22:46.Z", std::nullopt},
      {"yesterday", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& r : rows) EXPECT_EQ(parse_utc_iso8601(r.text), r.ms) << r.text;
}

TEST(UtcText, WritesIso8601WithTheNearestSecond) {
  EXPECT_EQ(iso8601_utc(0).view(), "1970-01-01T00:00:00Z");
  EXPECT_EQ(iso8601_utc(utc_seconds_of(2000, 2, 29, 12, 34, 56)).view(), "2000-02-29T12:34:56Z");
  EXPECT_EQ(iso8601_utc(-1).view(), "1969-12-31T23:59:59Z");
  EXPECT_EQ(whole_seconds_of(1'499), 1);
  EXPECT_EQ(whole_seconds_of(1'500), 2);
  EXPECT_EQ(whole_seconds_of(-501), -1);
}
