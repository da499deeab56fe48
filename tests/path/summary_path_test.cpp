// The flight-path pass: candidates sampled from the cache, the change test, storing rules,
// the full array and the straightening of equal-position runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "decoders/gps/fix.h"
#include "path/path_logs.h"

namespace {

// A cache with the given AHRS high-rate and EIS records.
summary_record cache_with(const ahrs_hr_fields& ahrs, std::uint32_t ahrs_timestamp,
                          std::uint16_t tachometer) {
  summary_record cache{};
  const std::vector<std::uint8_t> a = ahrs_hr_payload(ahrs);
  cache.ahrs_hr.store(ahrs_timestamp, static_cast<std::uint32_t>(a.size()), {a.data(), a.size()});
  const std::vector<std::uint8_t> e = eis_payload({.tachometer = tachometer});
  cache.eis.store(1, static_cast<std::uint32_t>(e.size()), {e.data(), e.size()});
  return cache;
}

// The candidate the path pass samples from these latest records.
void sample_candidate(const summary_record& cache, path_point* p) {
  summary_record sources = cache;
  process_summary_to_summary_path(sources.ahrs_hr, sources.eis, cache.gps_1, p);
}

void set_text(char* field, std::size_t size, const char* text) {
  const std::size_t n = std::min(std::strlen(text), size - 1);
  std::memcpy(field, text, n);
  field[n] = '\0';
}

path_point point_at(float latitude, float longitude, std::uint32_t timestamp) {
  path_point p{};
  p.latitude = latitude;
  p.longitude = longitude;
  p.timestamp = timestamp;
  return p;
}

// GPS 1 fix, then AHRS high-rate records; each record's candidate sees the one before it.
log_writer flight_start() {
  log_writer log;
  log.gps1(10, aviation_fix("N 47 2345", "W 122 1234"));
  return log;
}

}  // namespace

TEST(PathCandidate, AhrsFieldsAreScaledFromTheCachedHighRateRecord) {
  struct row {
    ahrs_hr_fields ahrs;
    float roll, pitch, yaw;
    std::int16_t pressure_alt, asi;
  };
  const row rows[] = {
      {{.roll_angle = 0x4000, .pitch_angle = -0x4000, .yaw_angle = -32768, .pressure_alt = 6000,
        .asi = 1688},
       90.0f, -90.0f, -180.0f, 1000, 1688},
      {{.roll_angle = 32767, .pressure_alt = 0, .asi = -500}, 179.994507f, 0.0f, 0.0f, -5000, -500},
      // 65535 - 5000 does not fit the signed 16-bit field: it keeps the low 16 bits.
      {{.pressure_alt = 65535}, 0.0f, 0.0f, 0.0f, -5001, 0},
  };
  for (const row& r : rows) {
    summary_record cache = cache_with(r.ahrs, 4242, 2400);
    path_point p{};
    sample_candidate(cache, &p);
    EXPECT_FLOAT_EQ(p.roll_angle, r.roll);
    EXPECT_FLOAT_EQ(p.pitch_angle, r.pitch);
    EXPECT_FLOAT_EQ(p.yaw_angle, r.yaw);
    EXPECT_EQ(p.pressure_alt, r.pressure_alt);
    EXPECT_EQ(p.asi, r.asi);
    EXPECT_EQ(p.timestamp, 4242u);
    EXPECT_EQ(p.tachometer, 2400);
  }
}

TEST(PathCandidate, AviationPositionIsReadInDecimalDegrees) {
  summary_record cache{};
  cache.gps_1.format = 1;
  gps_aviation_fields& f = cache.gps_1.fields.aviation;
  set_text(f.latitude, sizeof f.latitude, "N 47 2345");
  set_text(f.longitude, sizeof f.longitude, "W 122 1234");
  set_text(f.altitude, sizeof f.altitude, "01234");
  set_text(f.track, sizeof f.track, "270");
  set_text(f.ground_speed, sizeof f.ground_speed, "95");
  cache.gps_1.fix = fix_of(cache.gps_1.format, cache.gps_1.fields);
  path_point p{};
  sample_candidate(cache, &p);
  EXPECT_EQ(decimal_text(double{p.latitude}), "47.390835");
  EXPECT_EQ(decimal_text(double{p.longitude}), "-122.205666");
  EXPECT_EQ(p.gps_altitude, 1234);
  EXPECT_EQ(p.track, 270);
  EXPECT_EQ(p.ground_speed, 95);

  // Format 3 sentences carry no altitude item.
  cache.gps_1.format = 3;
  f.altitude[0] = '\0';
  cache.gps_1.fix = fix_of(cache.gps_1.format, cache.gps_1.fields);
  sample_candidate(cache, &p);
  EXPECT_EQ(p.gps_altitude, 0);
  EXPECT_EQ(decimal_text(double{p.latitude}), "47.390835");
}

TEST(PathCandidate, NmeaPositionIsReadInDecimalDegrees) {
  summary_record cache{};
  cache.gps_1.format = 2;
  gps_nmea_fields& f = cache.gps_1.fields.nmea;
  set_text(f.latitude, sizeof f.latitude, "4807.038");
  set_text(f.latitude_hemisphere, sizeof f.latitude_hemisphere, "N");
  set_text(f.longitude, sizeof f.longitude, "01131.000");
  set_text(f.longitude_hemisphere, sizeof f.longitude_hemisphere, "E");
  set_text(f.ground_speed, sizeof f.ground_speed, "022.4");
  set_text(f.track, sizeof f.track, "084.4");
  path_point p{};
  p.gps_altitude = 77;
  cache.gps_1.fix = fix_of(cache.gps_1.format, cache.gps_1.fields);
  sample_candidate(cache, &p);
  EXPECT_EQ(decimal_text(double{p.latitude}), "48.117298");
  EXPECT_EQ(decimal_text(double{p.longitude}), "11.516666");
  EXPECT_EQ(p.gps_altitude, 0);
  EXPECT_EQ(p.ground_speed, 22);
  EXPECT_EQ(p.track, 84);
}

TEST(PathCandidate, PortWithoutFormatLeavesTheSlotsGpsFields) {
  summary_record cache{};
  cache.gps_1.format = 0;
  path_point p = point_at(12.5f, -3.25f, 0);
  p.gps_altitude = 1;
  p.track = 2;
  p.ground_speed = 3;
  sample_candidate(cache, &p);
  EXPECT_EQ(p.latitude, 12.5f);
  EXPECT_EQ(p.longitude, -3.25f);
  EXPECT_EQ(p.gps_altitude, 1);
  EXPECT_EQ(p.track, 2);
  EXPECT_EQ(p.ground_speed, 3);
}

TEST(PathChangeTest, ThresholdsAreInclusive) {
  struct row {
    const char* what;
    float d_latitude;
    int d_pressure_alt;
    float pitch, roll, yaw;  // candidate's; the last point has 0, 0, 0 unless yaw_last is set
    float yaw_last;
    bool unchanged;
  };
  const row rows[] = {
      {"identical", 0, 0, 0, 0, 0, 0, true},
      {"25 feet higher", 0, 25, 0, 0, 0, 0, true},
      {"26 feet higher", 0, 26, 0, 0, 0, 0, false},
      {"25 feet lower", 0, -25, 0, 0, 0, 0, true},
      {"26 feet lower", 0, -26, 0, 0, 0, 0, false},
      {"pitch 5.0", 0, 0, 5.0f, 0, 0, 0, true},
      {"pitch 5.5", 0, 0, 5.5f, 0, 0, 0, false},
      {"roll -5.0", 0, 0, 0, -5.0f, 0, 0, true},
      {"roll -5.5", 0, 0, 0, -5.5f, 0, 0, false},
      {"yaw 5.0", 0, 0, 0, 0, 5.0f, 0, true},
      {"yaw 5.5", 0, 0, 0, 0, 5.5f, 0, false},
      {"yaw across +-180", 0, 0, 0, 0, -179.0f, 179.0f, false},
      {"moved a little", 0.00001f, 0, 0, 0, 0, 0, false},
  };
  for (const row& r : rows) {
    path_point last = point_at(47.0f, -122.0f, 100);
    last.pressure_alt = 1000;
    last.yaw_angle = r.yaw_last;
    path_point candidate = last;
    candidate.latitude += r.d_latitude;
    candidate.pressure_alt = static_cast<std::int16_t>(1000 + r.d_pressure_alt);
    candidate.pitch_angle = r.pitch;
    candidate.roll_angle = r.roll;
    candidate.yaw_angle = r.yaw;
    EXPECT_EQ(path_point_unchanged(candidate, last), r.unchanged) << r.what;
  }
  // 16-bit wrap-around would make these neighbours; as integers they are 65535 feet apart.
  path_point last{}, candidate{};
  last.pressure_alt = 32767;
  candidate.pressure_alt = -32768;
  EXPECT_FALSE(path_point_unchanged(candidate, last));
}

TEST(PathStraightening, RunIsSpreadAlongTheLineToTheNextPosition) {
  path_point points[6] = {};
  points[1] = point_at(47.0f, -122.0f, 100);
  points[2] = point_at(47.0f, -122.0f, 150);
  points[3] = point_at(47.0f, -122.0f, 200);
  points[4] = point_at(47.001f, -122.002f, 300);
  points[5] = point_at(50.0f, 50.0f, 400);  // the candidate slot: not part of the path
  straighten_summary_path(points, 5);
  EXPECT_EQ(points[1].latitude, 47.0f);
  EXPECT_FLOAT_EQ(points[2].latitude, 47.00025f);
  EXPECT_FLOAT_EQ(points[3].latitude, 47.0005f);
  EXPECT_FLOAT_EQ(points[2].longitude, -122.0005f);
  EXPECT_FLOAT_EQ(points[3].longitude, -122.001f);
  EXPECT_EQ(points[4].latitude, 47.001f);
  EXPECT_EQ(points[4].timestamp, 300u);
}

TEST(PathStraightening, InterpolationIsRoundedToFloatOnlyAtTheEnd) {
  // Single-precision arithmetic would give 0x1.78003ap+5 here.
  path_point points[4] = {};
  points[1] = point_at(0x1.78p+5f, 8.0f, 1000);
  points[2] = point_at(0x1.78p+5f, 8.0f, 1190);
  points[3] = point_at(0x1.78005ap+5f, 8.0f, 1300);
  straighten_summary_path(points, 4);
  EXPECT_EQ(points[2].latitude, 0x1.780038p+5f);
}

TEST(PathStraightening, TimeDifferencesAreUnsigned32Bit) {
  // The AHRS timestamp wraps inside the run: 4294967200 -> 4294967250 -> 2 -> 100.
  path_point points[6] = {};
  points[1] = point_at(10.0f, 20.0f, 4294967200u);
  points[2] = point_at(10.0f, 20.0f, 4294967250u);
  points[3] = point_at(10.0f, 20.0f, 2);
  points[4] = point_at(10.0196f, 20.0f, 100);
  straighten_summary_path(points, 5);
  EXPECT_FLOAT_EQ(points[2].latitude, 10.005f);
  EXPECT_FLOAT_EQ(points[3].latitude, 10.0098f);
}

TEST(PathStraightening, RunsWithoutALineAreLeftAlone) {
  struct row {
    const char* what;
    std::vector<path_point> path;  // slots 0 .. count - 1
  };
  const row rows[] = {
      {"next point at the run's start time (dt = 0)",
       {{}, point_at(1.0f, 2.0f, 100), point_at(1.0f, 2.0f, 100), point_at(1.5f, 2.0f, 100)}},
      {"run reaching the last stored point",
       {{}, point_at(3.0f, 2.0f, 100), point_at(1.0f, 2.0f, 200), point_at(1.0f, 2.0f, 300)}},
      {"one stored point", {{}, point_at(1.0f, 2.0f, 100)}},
      {"no stored point", {{}}},
  };
  for (const row& r : rows) {
    std::vector<path_point> path = r.path;
    straighten_summary_path(path.data(), static_cast<std::int32_t>(path.size()));
    for (std::size_t i = 0; i < path.size(); ++i) {
      EXPECT_EQ(path[i].latitude, r.path[i].latitude) << r.what << " slot " << i;
      EXPECT_EQ(path[i].longitude, r.path[i].longitude) << r.what << " slot " << i;
    }
  }
}

TEST(PathStraightening, OnlyPositionsChange) {
  path_point points[4] = {};
  points[1] = point_at(1.0f, 2.0f, 100);
  points[2] = point_at(1.0f, 2.0f, 200);
  points[2].pressure_alt = 300;
  points[2].yaw_angle = 45.0f;
  points[3] = point_at(1.5f, 2.5f, 300);
  straighten_summary_path(points, 4);
  EXPECT_FLOAT_EQ(points[2].latitude, 1.25f);
  EXPECT_FLOAT_EQ(points[2].longitude, 2.25f);
  EXPECT_EQ(points[2].pressure_alt, 300);
  EXPECT_EQ(points[2].yaw_angle, 45.0f);
  EXPECT_EQ(points[2].timestamp, 200u);
}

TEST(PathPass, NothingIsStoredWithoutAGpsFix) {
  log_writer log;
  log.ahrs_hr(100, {.pressure_alt = 6000}).eis(200, {.tachometer = 2400}).record(13, 300, "x");
  const path_run run = run_path_pass(log.str());
  EXPECT_EQ(run.count, 1);
  // The last candidate stays in slot count; slot 0 stays zero.
  EXPECT_EQ(run[1].pressure_alt, 1000);
  EXPECT_EQ(run[1].tachometer, 2400);
  EXPECT_EQ(run[0].pressure_alt, 0);
  EXPECT_EQ(run[0].latitude, 0.0f);
  EXPECT_EQ(run[2].latitude, 0.0f);
  EXPECT_EQ(run.output, "");
}

TEST(PathPass, FirstFixIsStoredAgainstTheZeroSlot) {
  // No AHRS data: -5000 feet already differs from slot 0.
  log_writer log = flight_start();
  log.record(13, 20, "x");
  const path_run run = run_path_pass(log.str());
  ASSERT_EQ(run.count, 2);
  EXPECT_EQ(decimal_text(double{run[1].latitude}), "47.390835");
  EXPECT_EQ(decimal_text(double{run[1].longitude}), "-122.205666");
  EXPECT_EQ(run[1].pressure_alt, -5000);
  EXPECT_EQ(run[1].timestamp, 0u);
  EXPECT_EQ(run[1].track, 123);
  EXPECT_EQ(run[0].pressure_alt, 0);
}

TEST(PathPass, TheLastRecordReachesNoCandidate) {
  // The fix is the last record: the cache it fills is never sampled.
  log_writer log;
  log.ahrs_hr(5, {}).gps1(10, aviation_fix("N 47 2345", "W 122 1234"));
  EXPECT_EQ(run_path_pass(log.str()).count, 1);
}

TEST(PathPass, ZeroCoordinatesAreNeverStored) {
  for (const char* latitude : {"N 00 0000", "N 47 2345"}) {
    const char* longitude = std::strcmp(latitude, "N 47 2345") == 0 ? "E 000 0000" : "W 122 1234";
    log_writer log;
    log.gps1(10, aviation_fix(latitude, longitude)).ahrs_hr(20, {.pressure_alt = 9000});
    log.record(13, 30, "x");
    EXPECT_EQ(run_path_pass(log.str()).count, 1) << latitude << longitude;
  }
}

TEST(PathPass, AltitudeChangesAreStoredPastTheThreshold) {
  log_writer log = flight_start();
  // Each AHRS record is sampled by the record after it.
  for (const std::uint16_t raw : {6000, 6025, 6026, 6051, 6052, 6000}) {
    log.ahrs_hr(raw, {.pressure_alt = raw});
  }
  log.record(13, 99999, "x");
  const path_run run = run_path_pass(log.str());
  // Stored: the fix at -5000, then 1000, 1026, 1052, 1000 feet.
  ASSERT_EQ(run.count, 6);
  EXPECT_EQ(run[1].pressure_alt, -5000);
  EXPECT_EQ(run[2].pressure_alt, 1000);
  EXPECT_EQ(run[3].pressure_alt, 1026);
  EXPECT_EQ(run[4].pressure_alt, 1052);
  EXPECT_EQ(run[5].pressure_alt, 1000);
}

TEST(PathPass, CachedRecordsAreReadInHostByteOrderOnce) {
  log_writer log = flight_start();
  log.eis(15, {.tachometer = 0x1234});
  log.ahrs_hr(20, {.pressure_alt = 6000, .asi = 500});
  for (std::uint32_t t = 30; t < 80; t += 10) log.record(13, t, "x");
  log.ahrs_hr(80, {.pressure_alt = 7000, .asi = 500});
  log.record(13, 90, "x");
  const path_run run = run_path_pass(log.str());
  ASSERT_EQ(run.count, 4);
  for (const int i : {2, 3}) {
    EXPECT_EQ(run[i].tachometer, 0x1234) << i;
    EXPECT_EQ(run[i].asi, 500) << i;
  }
  EXPECT_EQ(run[3].pressure_alt, 2000);
  EXPECT_EQ(run[3].timestamp, 80u);
}

TEST(PathPass, PayloadIsNotClearedBetweenRecords) {
  // A high-rate record cut to its 3-byte header keeps the bytes the long record before it
  // left in the working payload: the same 1000 feet, so no change. (The XML pass, which
  // clears the payload, reads -5000 feet from the same record.)
  log_writer log = flight_start();
  log.ahrs_hr(20, {.pressure_alt = 6000});
  log.ahrs_raw(30, 254, {});
  log.record(13, 40, "x");
  const path_run run = run_path_pass(log.str());
  ASSERT_EQ(run.count, 3);
  EXPECT_EQ(run[2].pressure_alt, 1000);
  EXPECT_EQ(run[3].pressure_alt, 1000);
  EXPECT_EQ(run[3].timestamp, 30u);
}

TEST(PathPass, FullArrayKeepsCapacityMinusOnePoints) {
  log_writer log = flight_start();
  for (std::uint32_t t = 20; t < 120; t += 10) {
    log.ahrs_hr(t, {.pressure_alt = static_cast<std::uint16_t>(5000 + t * 10)});
  }
  log.record(13, 500, "x");
  const path_run run = run_path_pass(log.str(), 4);
  EXPECT_EQ(run.count, 4);
  EXPECT_EQ(run[3].pressure_alt, 300);
}

TEST(PathPass, FullSizeArrayEndsAt8192) {
  log_writer log = flight_start();
  for (std::uint32_t t = 0; t < 8300; ++t) {
    log.ahrs_hr(100 + t, {.pressure_alt = static_cast<std::uint16_t>(t % 2 == 0 ? 6000 : 6100)});
  }
  log.record(13, 100000, "x");
  const path_run run = run_path_pass(log.str());
  EXPECT_EQ(run.count, 8192);
  EXPECT_EQ(run[8191].timestamp, 100u + 8189u);
}
