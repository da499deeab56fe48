// The logbook row of scenario flights against what each scenario planted: out, off, on and in,
// the landings by kind and light, cross-country, and the night time.
//
// The sun's times at the runways were computed once with PyEphem as an independent ephemeris
// (tests/analysis/sun_times_from_ephem.py, the last lines it prints). Where the end of evening
// civil twilight (or the start of morning civil twilight) passes during a flight between two
// airports, the night time lies between the values the two airports' times give.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "analysis/logbook_local.h"
#include "decode/utc_clock.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flown_scenario.h"
#include "support/flight_profile.h"

namespace {

std::int64_t utc(const char* iso) { return parse_utc_iso8601(iso).value(); }

double seconds(std::int64_t ms) { return static_cast<double>(ms) / 1000.0; }

// How much of the airborne time was at night.
enum class night_kind {
  none,     // all by day
  all,      // all at night
  after,    // from the end of evening civil twilight (at one airport or the other) to touchdown
  before,   // from lift-off to the start of morning civil twilight
};

}  // namespace

TEST(Logbook, ScenarioFlightsGiveTheirPlantedLogbookRow) {
  const struct {
    const char* scenario;
    landing_count full_stop;
    landing_count touch_and_go;
    bool cross_country;
    night_kind night;
    const char* twilight_1;  // the twilight's times at the two airports (after, before)
    const char* twilight_2;
  } rows[] = {
      {"krnt_to_kpae", {1, 0, 0}, {}, false, night_kind::none, "", ""},
      {"pattern_krnt", {1, 0, 0}, {3, 0, 0}, false, night_kind::none, "", ""},
      // Dusk 04:06:01Z at Renton, 04:07:56Z at Paine Field; sunset 03:30:27Z and 03:31:58Z, so a
      // landing before about 04:31Z is not a night landing.
      {"evening_twilight", {1, 0, 0}, {}, false, night_kind::after, "2026-05-09T04:06:01Z", "2026-05-09T04:07:56Z"},
      // Dawn 12:04:02Z at Renton, 12:02:38Z at Paine Field; sunrise 12:39:36Z and 12:38:35Z.
      {"morning_twilight", {1, 0, 0}, {}, false, night_kind::before, "2026-05-09T12:02:38Z", "2026-05-09T12:04:02Z"},
      {"night_flight", {0, 1, 0}, {0, 1, 0}, false, night_kind::all, "", ""},
      {"night_cross_country", {0, 1, 0}, {}, true, night_kind::all, "", ""},
      // The EFIS off in cruise (its LOG timer running on, or restarting): one flight across it.
      {"in_flight_power_cycle", {1, 0, 0}, {}, false, night_kind::none, "", ""},
      {"in_flight_clock_restart", {1, 0, 0}, {}, false, night_kind::none, "", ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.scenario);
    const flown_scenario& f = fly(r.scenario);
    const log_summary s = analyse_bytes(f.log);
    ASSERT_EQ(s.flights.size(), 1u);
    ASSERT_EQ(f.truth.flights.size(), 1u);
    const logbook_row& row = s.flights[0].logbook;
    const truth_flight& t = f.truth.flights[0];
    ASSERT_TRUE(row.out && row.off && row.on && row.in && t.out && t.in);
    // Out a GPS fix or two after the first movement (above 3 kt); off at the first airspeed of
    // 55 kt, about a second before lift-off at 58; on within a few seconds of touchdown; in at
    // the first fix of 3 kt or less, just before the aircraft stands.
    EXPECT_NEAR(seconds(row.out->when.utc_ms - t.out->utc_ms), 1.5, 1.5);
    EXPECT_NEAR(seconds(row.off->when.utc_ms - t.takeoffs.front().when.utc_ms), -1.0, 2.0);
    EXPECT_NEAR(seconds(row.on->when.utc_ms - t.landings.back().when.utc_ms), 0.0, 4.0);
    EXPECT_NEAR(seconds(row.in->when.utc_ms - t.in->utc_ms), -1.5, 2.0);
    ASSERT_TRUE(row.total_time_s);
    EXPECT_NEAR(*row.total_time_s, seconds(row.in->when.utc_ms - row.out->when.utc_ms), 1.0);

    EXPECT_EQ(row.full_stop.day, r.full_stop.day);
    EXPECT_EQ(row.full_stop.night, r.full_stop.night);
    EXPECT_EQ(row.touch_and_go.day, r.touch_and_go.day);
    EXPECT_EQ(row.touch_and_go.night, r.touch_and_go.night);
    EXPECT_EQ(row.full_stop.unknown + row.touch_and_go.unknown, 0u);
    ASSERT_EQ(row.landings.size(), t.landings.size());
    for (std::size_t i = 0; i < t.landings.size(); ++i) {
      EXPECT_EQ(row.landings[i].full_stop, t.landings[i].full_stop);
    }
    EXPECT_EQ(row.cross_country, r.cross_country);

    ASSERT_TRUE(row.night_time_s);
    double airborne = 0.0;
    for (std::size_t i = 0; i < t.takeoffs.size() && i < t.landings.size(); ++i) {
      airborne += seconds(t.landings[i].when.utc_ms - t.takeoffs[i].when.utc_ms);
    }
    const std::int64_t lift_off = t.takeoffs.front().when.utc_ms;
    const std::int64_t touchdown = t.landings.back().when.utc_ms;
    switch (r.night) {
      case night_kind::none: EXPECT_EQ(*row.night_time_s, 0.0); break;
      case night_kind::all: EXPECT_NEAR(*row.night_time_s, airborne, 8.0); break;
      case night_kind::after:
        EXPECT_GE(*row.night_time_s, seconds(touchdown - utc(r.twilight_2)) - 5.0);
        EXPECT_LE(*row.night_time_s, seconds(touchdown - utc(r.twilight_1)) + 5.0);
        break;
      case night_kind::before:
        EXPECT_GE(*row.night_time_s, seconds(utc(r.twilight_1) - lift_off) - 5.0);
        EXPECT_LE(*row.night_time_s, seconds(utc(r.twilight_2) - lift_off) + 5.0);
        break;
    }
  }
}

TEST(Logbook, CrossCountryDistanceIsAnOption) {
  // Renton to Bellingham: 79 nm straight line.
  const flown_scenario& f = fly("night_cross_country");
  for (const double threshold : {50.0, 75.0, 85.0}) {
    SCOPED_TRACE(threshold);
    analysis_options o = default_analysis_options();
    o.logbook.cross_country_nm = threshold;
    const log_summary s = analyse_bytes(f.log, o);
    ASSERT_EQ(s.flights.size(), 1u);
    ASSERT_TRUE(s.flights[0].logbook.farthest_landing_nm);
    EXPECT_EQ(s.flights[0].logbook.cross_country, threshold < 79.0);
  }
}

TEST(Logbook, EachEndOfAFlightTakesItsAirportsZone) {
  // Lift-off about 17:03Z on 9 May 2026: daylight saving in both American zones, none in Phoenix.
  const flown_scenario& f = fly("krnt_to_kpae");
  const struct {
    flight_end_zones zones;
    std::optional<int> departure_offset_h;
    std::optional<int> arrival_offset_h;
    const char* date;
  } rows[] = {
      {{"America/Los_Angeles", "America/Los_Angeles"}, -7, -7, "2026-05-09"},
      {{"America/Los_Angeles", "America/Denver"}, -7, -6, "2026-05-09"},
      {{"Pacific/Kiritimati", "America/Phoenix"}, 14, -7, "2026-05-10"},
      {{"", "America/Phoenix"}, std::nullopt, -7, "2026-05-09"},
      {{"Nowhere/Unknown", ""}, std::nullopt, std::nullopt, "2026-05-09"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.zones.departure + " to " + r.zones.arrival);
    log_summary s = analyse_bytes(f.log);
    ASSERT_EQ(s.flights.size(), 1u);
    time_zone_cache cache;
    give_local_times(s, std::span(&r.zones, 1), cache);
    const logbook_local& local = s.flights[0].logbook.local;
    const auto hours = [](const std::optional<local_offset>& o) {
      return o ? std::optional<int>(o->utc_offset_s / 3600) : std::nullopt;
    };
    EXPECT_EQ(hours(local.out), r.departure_offset_h);
    EXPECT_EQ(hours(local.off), r.departure_offset_h);
    EXPECT_EQ(hours(local.on), r.arrival_offset_h);
    EXPECT_EQ(hours(local.in), r.arrival_offset_h);
    EXPECT_EQ(local.source, r.departure_offset_h || r.arrival_offset_h ? zone_source::airport : zone_source::none);
    EXPECT_EQ(logbook_date(s.flights[0].logbook), r.date);
    EXPECT_EQ(logbook_date_is_local(s.flights[0].logbook), r.departure_offset_h.has_value());
  }
}
