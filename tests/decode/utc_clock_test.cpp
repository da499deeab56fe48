// The LOG's clock: the offset estimated from the fastest sentence, settling, steady corrections
// that never turn UTC back, a receiver's jump, midnight and a lagging date, the segments of a
// LOG, and the texts the user gives for a LOG without NMEA time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decode/utc_clock.h"
#include "decoders/gps/fix.h"
#include "text/utc_text.h"

namespace {

const std::int64_t noon_ms = utc_seconds_of(2026, 5, 9, 12, 0, 0) * 1000;
const std::int64_t may_18_2359_58_ms = utc_seconds_of(2024, 5, 18, 23, 59, 58) * 1000;

// One fix a second from LOG time from_ms (UTC noon + LOG time there), each arriving delay_ms[i]
// after it; the offset of UTC from LOG time is noon_ms.
void feed(utc_clock& clock, std::uint32_t from_ms, const std::vector<int>& delay_ms) {
  for (std::size_t i = 0; i < delay_ms.size(); ++i) {
    const std::uint32_t fix_ms = from_ms + static_cast<std::uint32_t>(i) * 1000;
    clock.take_fix(noon_ms + fix_ms, fix_ms + static_cast<std::uint32_t>(delay_ms[i]));
  }
}

std::vector<int> delays(std::size_t n, int first, int step, int modulo) {
  std::vector<int> d;
  for (std::size_t i = 0; i < n; ++i) d.push_back((first + static_cast<int>(i) * step) % modulo);
  return d;
}

}  // namespace

TEST(UtcClock, SettlesOnTheFastestSentenceAndMapsEarlierTimesThroughIt) {
  const struct {
    const char* name;
    std::vector<int> delays;
    bool settled;
    std::int64_t error_ms;  // of UTC at LOG time 0 through the clock, against the truth
  } rows[] = {
      {"no fix", {}, false, 0},
      {"fewer than 16 fixes in less than 20 s", delays(15, 300, 170, 900), false, 0},
      {"16 fixes", delays(16, 300, 170, 900), true, -30},  // the least delay of the 16 was 30 ms
      {"a late first sentence does not hold", {950, 20, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600, 600},
       true, -20},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    utc_clock clock;
    feed(clock, 10'000, r.delays);
    EXPECT_EQ(clock.settled(), r.settled);
    EXPECT_EQ(clock.known(), r.settled);
    if (!r.settled) continue;
    EXPECT_EQ(clock.source(), utc_source::gps);
    const clock_mapping early = clock_mapping::through(utc_source::gps, clock.first());
    EXPECT_EQ(early.utc_ms_at(0) - noon_ms, r.error_ms);
  }
  // A segment that ends before it settles settles on what it has.
  utc_clock clock;
  feed(clock, 10'000, {500, 200, 900});
  clock.end_segment();
  EXPECT_TRUE(clock.settled());
  EXPECT_EQ(clock.utc_ms_at(10'000) - noon_ms - 10'000, -200);
}

TEST(UtcClock, CorrectsBySteadyStepsAndNeverGoesBack) {
  // Delays swinging between 0 and 990 ms, then the EFIS clock running 0.05 % slow: the clock
  // follows within a quarter second and its UTC only ever rises, by at most 10 % more than LOG time
  // (and a millisecond of rounding at each fix).
  const auto fix_ms = [](std::uint32_t i) { return 5'000 + i * 1000; };
  const auto arrival_ms = [&](std::uint32_t i) { return fix_ms(i) + (i * 617) % 991; };
  const auto drift_ms = [](std::uint32_t t) { return t < 1'800'000 ? 0 : (std::int64_t{t} - 1'800'000) / 2000; };
  utc_clock clock;
  std::uint32_t next = 0;
  std::int64_t last_utc = INT64_MIN;
  std::int64_t worst_ms = 0;
  for (std::uint32_t t = 5'000; t < 3'600'000; t += 100) {
    for (; arrival_ms(next) <= t; ++next) clock.take_fix(noon_ms + fix_ms(next) + drift_ms(fix_ms(next)), arrival_ms(next));
    if (!clock.known()) continue;
    const std::int64_t utc = clock.utc_ms_at(t);
    ASSERT_GE(utc, last_utc) << t;
    if (last_utc != INT64_MIN) {
      ASSERT_LE(utc - last_utc, 111) << t;
    }
    last_utc = utc;
    worst_ms = std::max<std::int64_t>(worst_ms, std::llabs(utc - (noon_ms + t + drift_ms(t))));
  }
  EXPECT_LT(worst_ms, 250);
  EXPECT_EQ(clock.new_anchors(), 0u);
}

TEST(UtcClock, TheReceiversJumpTakesTwoAgreeingFixes) {
  utc_clock clock;
  feed(clock, 10'000, std::vector<int>(20, 100));
  const std::int64_t before = clock.utc_ms_at(40'000);
  clock.take_fix(noon_ms + 40'000 + 3'600'000, 40'100);  // an hour off, once: set aside
  EXPECT_EQ(clock.utc_ms_at(40'000), before);
  clock.take_fix(noon_ms + 41'000, 41'100);
  EXPECT_EQ(clock.new_anchors(), 0u);
  clock.take_fix(noon_ms + 42'000 + 3'600'000, 42'100);  // an hour off twice: the receiver's new time
  clock.take_fix(noon_ms + 43'000 + 3'600'000, 43'100);
  EXPECT_EQ(clock.new_anchors(), 1u);
  EXPECT_EQ(clock.utc_ms_at(43'100), noon_ms + 43'000 + 3'600'000);  // through the fastest of the two
}

TEST(UtcClock, ADateADayOffIsCorrectedByTheDay) {
  const struct {
    const char* name;
    std::int64_t shift_ms;  // of the last fix's date
    std::uint64_t corrections;
  } rows[] = {
      {"in step", 0, 0},
      {"lagging date", -86'400'000, 1},
      {"leading date", 86'400'000, 1},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    utc_clock clock;
    for (std::uint32_t i = 0; i < 17; ++i) {
      const std::int64_t utc = may_18_2359_58_ms + i * 1000 + (i == 16 ? r.shift_ms : 0);
      clock.take_fix(utc, 10'000 + i * 1000);
    }
    EXPECT_EQ(clock.day_corrections(), r.corrections);
    EXPECT_EQ(clock.new_anchors(), 0u);
    EXPECT_EQ(std::string(iso8601_utc(whole_seconds_of(clock.utc_ms_at(26'000))).view()), "2024-05-19T00:00:14Z");
  }
}

TEST(UtcClock, ASegmentAfterAGapKeepsTheClockUntilItsOwnSettlesAfterARestartNone) {
  for (const bool ran_on : {true, false}) {
    SCOPED_TRACE(ran_on ? "gap" : "restart");
    utc_clock clock;
    feed(clock, 10'000, std::vector<int>(20, 100));
    clock.end_segment();
    clock.begin_segment(ran_on);
    EXPECT_FALSE(clock.settled());
    EXPECT_EQ(clock.known(), ran_on);
    if (ran_on) {
      EXPECT_EQ(clock.utc_ms_at(200'000), noon_ms + 200'000 - 100);
    }
    // An earlier pass's first anchor serves a segment without a clock.
    clock.start_from(clock_mapping::through(utc_source::gps, {noon_ms + 7, 5'000}));
    EXPECT_EQ(clock.utc_ms_at(6'000), noon_ms + 7 + 1'000);
  }
}

TEST(UtcClock, TheUsersTimeServesOnlyALogWithoutGpsTime) {
  utc_clock clock;
  EXPECT_FALSE(clock.known());
  clock.set_from_user(1'735'689'600'000, 5'000);
  EXPECT_EQ(clock.source(), utc_source::user);
  EXPECT_EQ(clock.utc_ms_at(65'000), 1'735'689'660'000);
  feed(clock, 70'000, std::vector<int>(16, 0));
  EXPECT_EQ(clock.source(), utc_source::gps);
  EXPECT_EQ(clock.utc_ms_at(90'000), noon_ms + 90'000);
  clock.set_from_user(0, 0);
  EXPECT_EQ(clock.source(), utc_source::gps);
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
