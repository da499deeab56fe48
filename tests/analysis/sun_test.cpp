// The sun's times against an independent ephemeris, the night-landing hours and the night time
// along a track.
//
// Every expected value below was computed once with PyEphem (Debian's python3-ephem 4.1.4) as an
// independent ephemeris, by the script beside this file:
//   /usr/bin/python3 tests/analysis/sun_times_from_ephem.py
// (the sun's centre, no refraction model, horizon -0.833° or -6°, the events of the solar day
// that holds the instant, rounded to the second). The tolerance is a minute.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/sun.h"
#include "decode/utc_clock.h"

namespace {

constexpr std::int64_t tolerance_ms = 60'000;
constexpr std::int64_t minute_ms = 60'000;

std::int64_t utc(const char* iso) { return parse_utc_iso8601(iso).value(); }

const geo_point seattle{47.4502, -122.3088};
const geo_point tromso{69.6496, 18.9560};
const geo_point longyearbyen{78.2232, 15.6267};
const geo_point honolulu{21.3187, -157.9225};

void expect_time(const std::optional<std::int64_t>& got, const char* expected, const char* what) {
  SCOPED_TRACE(what);
  if (*expected == '\0') {
    EXPECT_FALSE(got.has_value());
    return;
  }
  ASSERT_TRUE(got.has_value());
  EXPECT_NEAR(static_cast<double>(*got), static_cast<double>(utc(expected)), tolerance_ms);
}

}  // namespace

TEST(Sun, RiseSetAndCivilTwilightMatchAnIndependentEphemeris) {
  // "" where the event does not happen that solar day; the flags say on which side the sun stayed.
  enum polar { no, above, below };
  const struct {
    const char* place;
    geo_point where;
    const char* instant;
    const char* sunrise;
    const char* sunset;
    const char* civil_dawn;
    const char* civil_dusk;
    polar sun;
    polar civil;
  } rows[] = {
      // Sunset and dusk fall on the next UTC date.
      {"Seattle, May", seattle, "2026-05-08T20:00:00Z", "2026-05-08T12:41:30Z", "2026-05-09T03:30:43Z",
       "2026-05-08T12:06:09Z", "2026-05-09T04:06:15Z", no, no},
      {"Seattle, December", seattle, "2026-12-15T20:00:00Z", "2026-12-15T15:50:16Z", "2026-12-16T00:18:41Z",
       "2026-12-15T15:14:24Z", "2026-12-16T00:54:32Z", no, no},
      {"Singapore, equinox", {1.3521, 103.8198}, "2026-03-20T05:00:00Z", "2026-03-19T23:09:01Z",
       "2026-03-20T11:15:29Z", "2026-03-19T22:48:21Z", "2026-03-20T11:36:09Z", no, no},
      {"Sydney, June", {-33.9461, 151.1772}, "2026-06-21T02:00:00Z", "2026-06-20T21:00:17Z", "2026-06-21T06:53:45Z",
       "2026-06-20T20:32:32Z", "2026-06-21T07:21:30Z", no, no},
      {"London, October", {51.4700, -0.4543}, "2026-10-25T12:00:00Z", "2026-10-25T06:42:52Z",
       "2026-10-25T16:48:08Z", "2026-10-25T06:08:25Z", "2026-10-25T17:22:33Z", no, no},
      // Local afternoon of 10 January; the solar day runs into the 11th UTC.
      {"Honolulu, across midnight UTC", honolulu, "2026-01-10T23:30:00Z", "2026-01-10T17:11:28Z",
       "2026-01-11T04:07:25Z", "2026-01-10T16:47:30Z", "2026-01-11T04:31:22Z", no, no},
      {"Tromso, midsummer", tromso, "2026-06-21T11:00:00Z", "", "", "", "", above, above},
      {"Tromso, midwinter: civil twilight but no sun", tromso, "2026-12-21T11:00:00Z", "", "",
       "2026-12-21T08:31:16Z", "2026-12-21T12:53:09Z", below, no},
      {"Longyearbyen, midwinter", longyearbyen, "2026-12-21T11:00:00Z", "", "", "", "", below, below},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.place);
    const sun_day day = solar_day_at(utc(r.instant), r.where);
    EXPECT_LE(day.start_ms, utc(r.instant));
    EXPECT_GT(day.end_ms, utc(r.instant));
    expect_time(day.sun.rise_ms, r.sunrise, "sunrise");
    expect_time(day.sun.set_ms, r.sunset, "sunset");
    expect_time(day.civil.rise_ms, r.civil_dawn, "start of morning civil twilight");
    expect_time(day.civil.set_ms, r.civil_dusk, "end of evening civil twilight");
    EXPECT_EQ(day.sun.above_all_day, r.sun == above);
    EXPECT_EQ(day.sun.below_all_day, r.sun == below);
    EXPECT_EQ(day.civil.above_all_day, r.civil == above);
    EXPECT_EQ(day.civil.below_all_day, r.civil == below);
  }
}

TEST(Sun, ElevationWithAndWithoutRefraction) {
  // ephem's altitude of the centre: pressure 0, and 1010 mbar at 10 °C for the refracted one.
  const struct {
    geo_point where;
    const char* instant;
    double geometric_deg;
    double refracted_deg;
  } rows[] = {
      {seattle, "2026-05-08T20:00:00Z", 59.784, 59.793},
      {seattle, "2026-05-09T03:00:00Z", 3.893, 4.084},
      {{-33.9461, 151.1772}, "2026-06-21T05:30:00Z", 13.496, 13.561},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.instant);
    EXPECT_NEAR(solar_elevation_deg(utc(r.instant), r.where, sun_refraction::none), r.geometric_deg, 0.01);
    EXPECT_NEAR(solar_elevation_deg(utc(r.instant), r.where, sun_refraction::standard), r.refracted_deg, 0.02);
  }
}

TEST(Sun, NightLandingsRunFromAnHourAfterSunsetToAnHourBeforeSunrise) {
  // Seattle: sunset 2026-05-09T03:30:43Z, the next sunrise 2026-05-09T12:40:05Z.
  const std::int64_t sunset = utc("2026-05-09T03:30:43Z");
  const std::int64_t sunrise = utc("2026-05-09T12:40:05Z");
  const struct {
    const char* what;
    std::int64_t when;
    geo_point where;
    bool night;
  } rows[] = {
      {"58 min after sunset", sunset + 58 * minute_ms, seattle, false},
      {"62 min after sunset", sunset + 62 * minute_ms, seattle, true},
      {"62 min before sunrise", sunrise - 62 * minute_ms, seattle, true},
      {"58 min before sunrise", sunrise - 58 * minute_ms, seattle, false},
      {"noon", utc("2026-05-08T20:00:00Z"), seattle, false},
      {"polar night at noon", utc("2026-12-21T11:00:00Z"), longyearbyen, true},
      {"midnight sun", utc("2026-06-20T23:00:00Z"), tromso, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(is_night_landing_time(r.when, r.where), r.night);
  }
}

TEST(Sun, NightTimeAlongATrackStartsAtTheEndOfCivilTwilight) {
  const std::int64_t dusk = utc("2026-05-09T04:06:15Z");  // Seattle
  // Seattle to Honolulu flown evenly from 03:00Z for 5 h 30 min: the sun's centre sinks below
  // -6° at the aircraft at 04:18:48Z (ephem at the interpolated place), later than on the ground.
  const std::int64_t depart = utc("2026-05-09T03:00:00Z");
  const std::int64_t flight = 330 * minute_ms;
  const std::int64_t flight_dusk = utc("2026-05-09T04:18:48Z");
  const auto along = [&](std::int64_t t) {
    const double f = static_cast<double>(t - depart) / static_cast<double>(flight);
    return geo_point{seattle.latitude_deg + f * (honolulu.latitude_deg - seattle.latitude_deg),
                     seattle.longitude_deg + f * (honolulu.longitude_deg - seattle.longitude_deg)};
  };
  const struct {
    const char* what;
    std::int64_t from;
    std::int64_t to;
    std::int64_t every;
    bool moving;
    std::int64_t night;
  } rows[] = {
      {"parked, a point a second", dusk - 30 * minute_ms, dusk + 30 * minute_ms, 1000, false, 30 * minute_ms},
      {"parked, one stretch of an hour", dusk - 30 * minute_ms, dusk + 30 * minute_ms, 60 * minute_ms, false,
       30 * minute_ms},
      {"parked, all night", dusk + minute_ms, dusk + 61 * minute_ms, 5000, false, 60 * minute_ms},
      {"westbound, a point a minute", depart, depart + flight, minute_ms, true, depart + flight - flight_dusk},
      {"westbound, one stretch", depart, depart + flight, flight, true, depart + flight - flight_dusk},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.what);
    night_time_splitter split;
    for (std::int64_t t = r.from; t <= r.to; t += r.every) split.add(t, r.moving ? along(t) : seattle);
    EXPECT_NEAR(static_cast<double>(split.night_ms()), static_cast<double>(r.night), tolerance_ms);
    EXPECT_EQ(split.night_ms() + split.day_ms(), r.to - r.from);
  }
}

TEST(Sun, PausesAndBackwardStepsAreNotCounted) {
  const std::int64_t dusk = utc("2026-05-09T04:06:15Z");
  night_time_splitter split;
  split.add(dusk - 20 * minute_ms, seattle);
  split.add(dusk - 10 * minute_ms, seattle);
  split.pause();  // landed across the end of twilight
  split.add(dusk + 10 * minute_ms, seattle);
  split.add(dusk + 30 * minute_ms, seattle);
  split.add(dusk + 25 * minute_ms, seattle);  // a step back starts afresh
  split.add(dusk + 26 * minute_ms, seattle);
  EXPECT_EQ(split.day_ms(), 10 * minute_ms);
  EXPECT_EQ(split.night_ms(), 21 * minute_ms);
}
