// The simulator's flights as the time line finds them: takeoff and landing within a few seconds
// of lift-off and touchdown, the engine's start and stop, per-cylinder maxima exactly as written,
// and a damaged LOG read as far as it goes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "flight_simulator.h"
#include "log_writer.h"
#include "support/flight_profile.h"
#include "support/random_bits.h"

namespace {

double seconds_between(std::uint32_t a, std::uint32_t b) { return (static_cast<double>(b) - a) / 1000.0; }

}  // namespace

TEST(SimulatedFlight, TheFlightsAreWhereTheSimulatorFlewThem) {
  const struct {
    flight_options flight;
    bool swap_gps;
  } rows[] = {
      {{.seed = 7, .minutes = 30.0}, false},
      {{.seed = 11, .minutes = 200.0}, false},  // two sorties with a ground stop between
      {{.seed = 5, .minutes = 20.0, .swap_gps = true}, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.flight.seed);
    flight_notes notes;
    const std::string log = simulated_log(r.flight, &notes);
    analysis_options o = default_analysis_options();
    if (r.swap_gps) {
      o.decode.gps_1_type = ORVEX_GPS_FORMAT_NMEA;
      o.decode.gps_2_type = ORVEX_GPS_FORMAT_AVIATION;
    }
    const log_summary s = analyse_bytes(log, o);
    ASSERT_EQ(s.flights.size(), notes.sorties.size());
    EXPECT_TRUE(s.ground_runs.empty());
    for (std::size_t i = 0; i < s.flights.size(); ++i) {
      const flight_record& f = s.flights[i];
      const sortie_times& flown = notes.sorties[i];
      ASSERT_TRUE(f.engine_start && f.takeoff && f.landing && f.engine_stop);
      // The takeoff is the first moment at 50 kt, a few seconds into the take-off roll; the
      // landing the first below 35 kt, a few seconds into the landing roll.
      EXPECT_NEAR(seconds_between(flown.takeoff_ms, f.takeoff->when.log_ms), -2.5, 2.5);
      EXPECT_NEAR(seconds_between(flown.landing_ms, f.landing->when.log_ms), 5.0, 5.0);
      EXPECT_NEAR(seconds_between(flown.engine_start_ms, f.engine_start->when.log_ms), 1.0, 1.5);
      EXPECT_NEAR(seconds_between(flown.engine_stop_ms, f.engine_stop->when.log_ms), 1.5, 1.5);
      // UTC from the NMEA fixes, within a second of the time the simulator flew by.
      ASSERT_TRUE(f.takeoff->when.has_utc);
      EXPECT_NEAR(f.takeoff->when.utc_ms - (notes.utc_ms_at_log_zero + f.takeoff->when.log_ms), 0, 1000);
      EXPECT_TRUE(f.takeoff->has_position);
      EXPECT_GT(*f.distance_nm, 1.0);
    }
    for (std::size_t c = 0; c < 6; ++c) {
      EXPECT_EQ(s.log.figures.cht[c].value, notes.cht_max[c]) << "cylinder " << c + 1;
      EXPECT_EQ(s.log.figures.egt[c].value, notes.egt_max[c]) << "cylinder " << c + 1;
    }
    if (s.flights.size() == 1) {
      for (std::size_t c = 0; c < 6; ++c) EXPECT_EQ(s.flights[0].figures.cht[c].value, notes.cht_max[c]);
    }
    EXPECT_EQ(s.time.source, utc_source::gps);
    EXPECT_EQ(s.health.reader.truncated + s.health.reader.zero_length + s.health.reader.oversized, 0u);
  }
}

TEST(SimulatedFlight, ADamagedLogGivesWhatCouldBeRead) {
  const std::string log = simulated_log({.seed = 3, .minutes = 12.0});
  const log_summary whole = analyse_bytes(log);
  random_bits random(99);
  for (int round = 0; round < 40; ++round) {
    std::string damaged = log.substr(0, static_cast<std::size_t>(random() % log.size()));
    const int flips = static_cast<int>(random() % 20);
    for (int i = 0; i < flips && !damaged.empty(); ++i) {
      damaged[static_cast<std::size_t>(random() % damaged.size())] = static_cast<char>(random());
    }
    const log_summary s = analyse_bytes(damaged);
    EXPECT_LE(s.health.reader.records, whole.health.reader.records + 1000);
    EXPECT_LE(s.flights.size() + s.ground_runs.size(), 10u);
    EXPECT_EQ(s.health.bytes, damaged.size());
    for (const flight_record& f : s.flights) {
      EXPECT_LE(f.start_ms, f.end_ms);
      EXPECT_GE(f.flight_time_s, 0.0);
    }
  }
  // Only the first records: no engine data yet, so no figure at all.
  const log_summary start = analyse_bytes(log.substr(0, 40));
  EXPECT_FALSE(start.log.figures.cht[0].has);
  EXPECT_FALSE(start.log.fuel_used_from_flow.has_value());
  EXPECT_TRUE(start.flights.empty());
  const log_summary empty = analyse_bytes("");
  EXPECT_FALSE(empty.time.has_records);
  EXPECT_FALSE(empty.log.figures.ias_kt.has);
}

TEST(SimulatedFlight, AShortRecordGivesTheFieldsItHolds) {
  // 20 bytes of an EIS snapshot hold the engine speed, the six CHT and EGT 1, not the oil;
  // 16 bytes of an AHRS high-rate message hold the airspeed, not the acceleration.
  const std::vector<std::uint8_t> eis = eis_payload({.tachometer = 2400, .cht = {301, 302, 303, 304, 305, 306},
                                                     .egt = {1400, 1400, 1400, 1400, 1400, 1400}, .oiltemp = 190});
  const std::vector<std::uint8_t> ahrs = ahrs_hr_payload({.pressure_alt = 8000, .asi = 1000});
  log_writer log;
  log.record(2, 1000, std::span(eis).first(20));
  log.record(1, 1100, std::span(ahrs).first(16));
  log.record(1, 1200, std::span(ahrs).first(11));  // the pressure altitude cut in half
  const log_summary s = analyse_bytes(log.str());
  EXPECT_EQ(s.health.short_eis_records, 1u);
  EXPECT_EQ(s.health.short_ahrs_records, 2u);
  EXPECT_EQ(s.log.figures.cht[5].value, 306.0);
  EXPECT_EQ(s.log.figures.egt[0].value, 1400.0);
  EXPECT_FALSE(s.log.figures.egt[1].has);
  EXPECT_FALSE(s.log.figures.oil_temperature.has);
  EXPECT_FALSE(s.log.fuel_used_from_flow.has_value());
  EXPECT_EQ(s.log.figures.pressure_altitude_ft.value, 3000.0);
  EXPECT_NEAR(s.log.figures.ias_kt.value, 59.2, 0.1);
  EXPECT_EQ(s.ground_runs.size(), 1u);  // 2400 rpm: the engine ran
}

TEST(SimulatedFlight, EachCutOfTheHighRateMessageGivesTheAirDataItHolds) {
  // Bank 4-5, pitch 6-7, pressure altitude 10-11, vertical speed 12-13, airspeed 14-15; 23
  // bytes are the whole message.
  const std::vector<std::uint8_t> ahrs = ahrs_hr_payload(
      {.roll_angle = ahrs_angle(-20.0), .pitch_angle = ahrs_angle(5.0), .pressure_alt = 8000, .vsi = -500, .asi = 1000});
  const struct {
    std::size_t length;
    bool bank, pitch, altitude, vertical_speed, ias;
  } rows[] = {
      {5, false, false, false, false, false},  {6, true, false, false, false, false},
      {8, true, true, false, false, false},    {12, true, true, true, false, false},
      {14, true, true, true, true, false},     {16, true, true, true, true, true},
      {23, true, true, true, true, true},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.length);
    log_writer log;
    log.record(1, 1000, std::span(ahrs).first(r.length));
    const flight_figures f = analyse_bytes(log.str()).log.figures;
    EXPECT_EQ(f.bank_deg.has, r.bank);
    EXPECT_EQ(f.pitch_deg.has, r.pitch);
    EXPECT_EQ(f.pressure_altitude_ft.has, r.altitude);
    EXPECT_EQ(f.lowest_vertical_speed_fpm.has, r.vertical_speed);
    EXPECT_EQ(f.ias_kt.has, r.ias);
    if (r.bank) {
      EXPECT_NEAR(f.bank_deg.value, 20.0, 0.01);
    }
    if (r.altitude) {
      EXPECT_EQ(f.pressure_altitude_ft.value, 3000.0);
    }
    if (r.vertical_speed) {
      EXPECT_EQ(f.lowest_vertical_speed_fpm.value, -500.0);
    }
  }
}

TEST(SimulatedFlight, AnAirspeedPeakReachedAgainKeepsItsFirstMoment) {
  // 1 Hz airspeeds: 30 kt on the ground, 60 kt from 10 s (airborne from there once it has
  // lasted 10 s), 20 kt from 101 s. The peak of 90 kt comes first at 12 s, while the flight is
  // still being confirmed, and again later: the LOG's figure and the flight's keep 12 s,
  // wherever the second one falls.
  const struct {
    std::uint32_t again_s;
    const char* where;
  } rows[] = {{14, "still confirming"}, {50, "airborne"}, {110, "landing"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.where);
    log_writer log;
    for (std::uint32_t s = 1; s <= 150; ++s) {
      const double kt = s == 12 || s == r.again_s ? 90.0 : s < 10 ? 30.0 : s <= 100 ? 60.0 : 20.0;
      const auto asi = static_cast<std::int16_t>(std::lround(kt * ahrs_hr_layout::tenths_fps_per_knot));
      log.record(1, s * 1000, ahrs_hr_payload({.pressure_alt = 8000, .asi = asi}));
    }
    const log_summary summary = analyse_bytes(log.str());
    ASSERT_EQ(summary.flights.size(), 1u);
    for (const flight_figures* f : {&summary.log.figures, &summary.flights[0].figures}) {
      EXPECT_NEAR(f->ias_kt.value, 90.0, 0.1);
      EXPECT_EQ(f->ias_kt.when.log_ms, 12000u);
    }
    // A steady altitude: first reached at the LOG's start, and at the flight's (its first 50 kt).
    EXPECT_EQ(summary.log.figures.pressure_altitude_ft.when.log_ms, 1000u);
    EXPECT_EQ(summary.flights[0].figures.pressure_altitude_ft.when.log_ms, 10000u);
  }
}

TEST(SimulatedFlight, TheAttitudeAndClimbExtremesKeepTheirSignAndFirstMoment) {
  // 1 Hz high-rate messages: each extreme is reached first at one second and again later.
  const struct {
    std::int16_t roll, pitch, vsi;
  } samples[] = {
      {ahrs_angle(10.0), ahrs_angle(-5.0), 200},    {ahrs_angle(-30.0), ahrs_angle(8.0), -700},
      {ahrs_angle(30.0), ahrs_angle(-12.0), 500},   {-32768, ahrs_angle(8.0), -700},  // a half turn left
      {32767, ahrs_angle(-12.0), 500},
  };
  log_writer log;
  for (std::uint32_t i = 0; i < std::size(samples); ++i) {
    log.record(1, (i + 1) * 1000, ahrs_hr_payload({.roll_angle = samples[i].roll, .pitch_angle = samples[i].pitch,
                                                   .pressure_alt = 8000, .vsi = samples[i].vsi}));
  }
  const flight_figures f = analyse_bytes(log.str()).log.figures;
  const struct {
    const char* figure;
    bool has;
    double value;
    std::uint32_t when_ms;
    double expected;
    std::uint32_t expected_ms;
  } rows[] = {
      {"bank", f.bank_deg.has, f.bank_deg.value, f.bank_deg.when.log_ms, 180.0, 4000},
      {"pitch", f.pitch_deg.has, f.pitch_deg.value, f.pitch_deg.when.log_ms, 8.0, 2000},
      {"lowest pitch", f.lowest_pitch_deg.has, f.lowest_pitch_deg.value, f.lowest_pitch_deg.when.log_ms, -12.0, 3000},
      {"vertical speed", f.vertical_speed_fpm.has, f.vertical_speed_fpm.value, f.vertical_speed_fpm.when.log_ms, 500.0,
       3000},
      {"lowest vertical speed", f.lowest_vertical_speed_fpm.has, f.lowest_vertical_speed_fpm.value,
       f.lowest_vertical_speed_fpm.when.log_ms, -700.0, 2000},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.figure);
    ASSERT_TRUE(r.has);
    EXPECT_NEAR(r.value, r.expected, 0.01);
    EXPECT_EQ(r.when_ms, r.expected_ms);
  }
}

TEST(SimulatedFlight, AGroundRunsEngineFiguresLeaveOutTheSamplesAroundIt) {
  // 1 Hz EIS records: the engine runs from 10 s to 100 s (a ground run; it is off from 101 s
  // once that has lasted). CHT 1 peaks at 400 before the run, 350 within it (at 50 s and again
  // at 60 s) and 380 while it stops; the fuel on board falls 0.1 gal a second in the run.
  log_writer log;
  for (std::uint32_t s = 1; s <= 150; ++s) {
    const bool running = s >= 10 && s <= 100;
    const std::uint16_t cht = s == 5 ? 400 : s == 50 || s == 60 ? 350 : s == 120 ? 380 : running ? 300 : 200;
    const std::uint16_t fuel = s < 10 ? 400 : running ? static_cast<std::uint16_t>(400 - (s - 10)) : s <= 140 ? 310 : 300;
    log.record(2, s * 1000,
               eis_payload({.tachometer = static_cast<std::uint16_t>(running ? 2400 : 0), .cht = {cht}, .fuelqty = fuel}));
  }
  const log_summary s = analyse_bytes(log.str());
  ASSERT_EQ(s.ground_runs.size(), 1u);
  const struct {
    const char* stretch;
    const flight_record& w;
    double cht;
    std::uint32_t cht_ms;
    double fuel_first, fuel_last;
  } rows[] = {{"LOG", s.log, 400.0, 5000, 40.0, 30.0}, {"ground run", s.ground_runs[0], 350.0, 50000, 40.0, 31.0}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.stretch);
    EXPECT_EQ(r.w.figures.cht[0].value, r.cht);
    EXPECT_EQ(r.w.figures.cht[0].when.log_ms, r.cht_ms);
    ASSERT_TRUE(r.w.figures.fuel_quantity.has);
    EXPECT_DOUBLE_EQ(r.w.figures.fuel_quantity.first, r.fuel_first);
    EXPECT_DOUBLE_EQ(r.w.figures.fuel_quantity.last, r.fuel_last);
  }
}
