// Flight detection on LOGs of flight profiles: ground runs, flights, touch-and-goes, the
// speed source and the clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/flight_profile.h"
#include "text/utc_text.h"
// after: the simulator's header has a function named as the text type above
#include "support/flown_scenario.h"

namespace {

struct expected_window {
  std::size_t takeoff_leg;  // the leg whose first sample is the takeoff (0: a ground run)
  std::size_t landing_leg;  // ... the landing
  std::uint32_t airborne_periods;
};

struct detection_case {
  const char* name;
  std::vector<profile_leg> legs;
  profile_options options;
  std::vector<expected_window> flights;
  std::size_t ground_runs;
  std::uint32_t engine_runs;
};

const profile_leg parked{60, 0, 0};
const profile_leg taxi{60, 1000, 10};
const profile_leg cruise{300, 2400, 100};

std::string utc_text_of(const std::optional<log_event>& e) {
  if (!e || !e->when.has_utc) return "none";
  return std::string(iso8601_utc(whole_seconds_of(e->when.utc_ms)).view());
}

}  // namespace

TEST(FlightDetection, FindsTheFlightsAndGroundRunsOfEachProfile) {
  const profile_options no_ahrs{.ahrs = false, .gps_speed = true};
  const std::vector<detection_case> cases = {
      {"ground run", {parked, taxi, {60, 1800, 0}, taxi, parked}, {}, {}, 1, 1},
      {"one flight", {parked, taxi, cruise, taxi, parked}, {}, {{2, 3, 1}}, 0, 1},
      {"two flights",
       {parked, taxi, cruise, taxi, parked, taxi, cruise, taxi, parked},
       {},
       {{2, 3, 1}, {6, 7, 1}},
       0,
       2},
      // Below 35 kt for 20 s on the runway: still flying; a full stop of 60 s: a second takeoff.
      {"touch-and-go", {parked, taxi, cruise, {20, 2000, 30}, cruise, taxi, parked}, {}, {{2, 5, 1}}, 0, 1},
      {"stop-and-go", {parked, taxi, cruise, taxi, cruise, taxi, parked}, {}, {{2, 5, 2}}, 0, 1},
      {"no AHRS: GPS ground speed", {parked, taxi, cruise, taxi, parked}, no_ahrs, {{2, 3, 1}}, 0, 1},
      {"50 kt for 9 s is no takeoff", {parked, taxi, {9, 2400, 60}, taxi, parked}, {}, {}, 1, 1},
      {"engine data only", {parked, taxi, parked}, {.ahrs = false, .nmea_time = false}, {}, 1, 1},
      {"speed without engine data", {parked, {300, 0, 100}, parked}, {}, {{1, 2, 1}}, 0, 0},
  };
  for (const detection_case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<profile_leg>& legs = c.legs;
    const log_summary s = analyse_bytes(profile_log(legs, c.options));
    ASSERT_EQ(s.flights.size(), c.flights.size());
    EXPECT_EQ(s.ground_runs.size(), c.ground_runs);
    for (std::size_t i = 0; i < c.flights.size(); ++i) {
      const flight_record& f = s.flights[i];
      ASSERT_TRUE(f.takeoff && f.landing);
      EXPECT_NEAR(f.takeoff->when.log_ms, leg_start_ms(legs, c.flights[i].takeoff_leg, c.options), 1000);
      EXPECT_NEAR(f.landing->when.log_ms, leg_start_ms(legs, c.flights[i].landing_leg, c.options), 1000);
      EXPECT_EQ(f.airborne_periods, c.flights[i].airborne_periods);
      EXPECT_FALSE(f.airborne_at_end);
    }
    EXPECT_EQ(s.log.engine_runs, c.engine_runs);
  }
}

TEST(FlightDetection, OneFlightHasItsTimesAndFigures) {
  const std::vector<profile_leg> legs = {parked, taxi, cruise, taxi, parked};
  const log_summary s = analyse_bytes(profile_log(legs));
  ASSERT_EQ(s.flights.size(), 1u);
  const flight_record& f = s.flights[0];
  // The engine stops at the first sample below 500 rpm; it runs taxi, cruise, taxi.
  EXPECT_EQ(f.engine_start->when.log_ms, leg_start_ms(legs, 1));
  EXPECT_EQ(f.engine_stop->when.log_ms, leg_start_ms(legs, 4));
  EXPECT_DOUBLE_EQ(f.engine_time_s, 420.0);
  EXPECT_DOUBLE_EQ(*f.block_time_s, 420.0);
  EXPECT_NEAR(f.flight_time_s, 300.0, 0.5);
  EXPECT_EQ(utc_text_of(f.engine_start), "2024-05-18T15:01:00Z");
  EXPECT_EQ(utc_text_of(f.takeoff), "2024-05-18T15:02:00Z");
  EXPECT_EQ(f.figures.cht[3].value, 243.0);                     // 2400 / 10 + 3
  EXPECT_DOUBLE_EQ(f.figures.ias_kt.value, 1688 / 16.8780986);  // 100 kt in tenths of ft/s
  // 5 gal/h taxiing, 12 gal/h in cruise.
  EXPECT_NEAR(*f.fuel_used_from_flow, (60 * 5.0 + 300 * 12.0 + 60 * 5.0) / 3600.0, 0.01);
  EXPECT_TRUE(f.figures.ground_speed_kt.has);  // GPS 2 gives the position while GPS 1 has none
  EXPECT_FALSE(f.distance_nm.has_value());     // which is GPS 1's alone
}

TEST(FlightDetection, WithoutNmeaTimeTimesAreLogRelativeUnlessTheUserAnchorsThem) {
  const std::vector<profile_leg> legs = {parked, taxi, cruise, taxi, parked};
  const std::string log = profile_log(legs, {.nmea_time = false});
  const log_summary plain = analyse_bytes(log);
  EXPECT_EQ(plain.time.source, utc_source::none);
  ASSERT_EQ(plain.flights.size(), 1u);
  EXPECT_FALSE(plain.flights[0].takeoff->when.has_utc);
  EXPECT_FALSE(plain.flights[0].figures.cht[0].when.has_utc);

  analysis_options o = default_analysis_options();
  o.utc_start_ms = std::int64_t{1'735'689'600'000};  // 2025-01-01T00:00:00Z at the first record
  const log_summary anchored = analyse_bytes(log, o);
  EXPECT_EQ(anchored.time.source, utc_source::user);
  EXPECT_EQ(utc_text_of(anchored.flights[0].takeoff), "2025-01-01T00:02:00Z");

  // GPS time wins over the user's.
  const log_summary gps = analyse_bytes(profile_log(legs), o);
  EXPECT_EQ(gps.time.source, utc_source::gps);
  EXPECT_EQ(utc_text_of(gps.flights[0].takeoff), "2024-05-18T15:02:00Z");
}

TEST(FlightDetection, UtcRunsOnAcrossMidnight) {
  const std::vector<profile_leg> legs = {parked, taxi, cruise, taxi, parked};
  // The LOG starts at 23:59:00: the engine starts at midnight, the takeoff is on the next day.
  const log_summary s = analyse_bytes(profile_log(legs, {.utc_start_s = 1'716'076'740}));
  ASSERT_EQ(s.flights.size(), 1u);
  EXPECT_EQ(utc_text_of(s.flights[0].engine_start), "2024-05-19T00:00:00Z");
  EXPECT_EQ(utc_text_of(s.flights[0].takeoff), "2024-05-19T00:01:00Z");
  EXPECT_EQ(std::string(iso8601_utc(whole_seconds_of(s.time.first.utc_ms)).view()), "2024-05-18T23:59:00Z");
}

TEST(FlightDetection, TheLogEndingInFlightLeavesTheLandingAndEngineStopOpen) {
  const std::vector<profile_leg> legs = {parked, taxi, cruise};
  const log_summary s = analyse_bytes(profile_log(legs));
  ASSERT_EQ(s.flights.size(), 1u);
  const flight_record& f = s.flights[0];
  EXPECT_TRUE(f.airborne_at_end && f.engine_running_at_end);
  EXPECT_FALSE(f.landing.has_value());
  EXPECT_FALSE(f.engine_stop.has_value());
  EXPECT_NEAR(f.flight_time_s, 300.0, 1.0);
}

// The exports' windows-only pass must find the very windows and runway contacts the whole
// analysis finds, on every shipped scenario.
TEST(FlightDetection, TheWindowsOnlyPassFindsTheSameWindowsAndContacts) {
  const auto key = [](const flight_record& w) {
    std::vector<std::uint64_t> k{w.start_order(), w.end_order(), w.engine_runs, w.airborne_periods};
    for (const runway_contact& c : w.contacts) {
      k.push_back(static_cast<std::uint64_t>(c.kind));
      k.push_back(log_order(c.event.when.segment, c.event.when.log_ms));
    }
    return k;
  };
  for (const auto& entry : std::filesystem::directory_iterator(scenario_dir)) {
    if (entry.path().extension() != ".scenario") continue;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    analysis_options windows = default_analysis_options();
    windows.windows_only = true;
    const std::string& log = fly(name).log;
    const log_summary full = analyse_bytes(log);
    const log_summary quick = analyse_bytes(log, windows);
    ASSERT_EQ(full.flights.size(), quick.flights.size());
    ASSERT_EQ(full.ground_runs.size(), quick.ground_runs.size());
    for (std::size_t i = 0; i < full.flights.size(); ++i) EXPECT_EQ(key(full.flights[i]), key(quick.flights[i]));
    for (std::size_t i = 0; i < full.ground_runs.size(); ++i) {
      EXPECT_EQ(key(full.ground_runs[i]), key(quick.ground_runs[i]));
    }
  }
}
