// The tab-separated track exports.
#include <gtest/gtest.h>

#include "path/path_logs.h"
#include "path/track.h"

namespace {

path_point track_point(float latitude, float longitude, std::int16_t pressure_alt) {
  path_point p{};
  p.latitude = latitude;
  p.longitude = longitude;
  p.pressure_alt = pressure_alt;
  return p;
}

// The last slot of points is the unstored candidate: count is one less than the slots.
std::string track_of(const std::vector<path_point>& points, bool binary) {
  return capture_output([&](output_writer& out) {
    const auto count = static_cast<std::int32_t>(points.size()) - 1;
    if (binary) {
      print_frc_binary_track(out, points.data(), count);
    } else {
      print_frc_track(out, points.data(), count);
    }
  });
}

const char* const header =
    "Latitude(deci)\tLongitude(deci)\tAltitude(m)\tPitch(deg)\tBank(deg)\tHeading(deg)\n";

}  // namespace

TEST(TrackExport, RowsArePointsOneToCountMinusTwo) {
  std::vector<path_point> points(5);
  points[1] = track_point(47.5f, -122.25f, 1000);
  points[1].pitch_angle = 2.5f;
  points[1].roll_angle = -30.0f;
  points[1].yaw_angle = 179.994507f;
  points[2] = track_point(-33.75f, 151.125f, -5000);
  points[3] = track_point(1.0f, 1.0f, 0);  // last stored point: not written
  points[4] = track_point(2.0f, 2.0f, 0);  // unstored candidate
  EXPECT_EQ(track_of(points, false),
            std::string("BOF\n") + header +
                "47.500000\t-122.250000\t304.800000\t2.500000\t-30.000000\t179.994507\n"
                "-33.750000\t151.125000\t-1523.999998\t0.000000\t0.000000\t0.000000\n"
                "EOF\n");
}

TEST(TrackExport, BinaryTrackLeadsWithAirspeedEngineTimeAndGpsAltitude) {
  struct row {
    std::int16_t asi;
    std::uint16_t tachometer;
    std::uint32_t timestamp;
    std::int16_t gps_altitude;
    const char* leading;
  };
  const row rows[] = {
      {500, 2400, 1000, 1234, "29\t2400\t1000\t1234\t-\t"},
      {-500, 0, 0, -12, "-29\t0\t0\t-12\t-\t"},
      {1688, 65535, 2147483647u, 0, "100\t65535\t2147483647\t0\t-\t"},
      {16, 1, 2147483648u, 32767, "0\t1\t-2147483648\t32767\t-\t"},
      {-32768, 7, 4294967295u, -32768, "-1941\t7\t-1\t-32768\t-\t"},
  };
  for (const row& r : rows) {
    std::vector<path_point> points(4);
    points[1] = track_point(10.0f, 20.0f, 1000);
    points[1].asi = r.asi;
    points[1].tachometer = r.tachometer;
    points[1].timestamp = r.timestamp;
    points[1].gps_altitude = r.gps_altitude;
    EXPECT_EQ(track_of(points, true),
              std::string("ASI kts,Tach,TimeStamp,GPSAlt\t-\t") + header + r.leading +
                  "10.000000\t20.000000\t304.800000\t0.000000\t0.000000\t0.000000\nEOF\n")
        << r.asi;
  }
}

TEST(TrackExport, EmptyPathGivesOnlyTheFrame) {
  for (const std::size_t slots : {std::size_t{2}, std::size_t{3}}) {
    const std::vector<path_point> points(slots, track_point(5.0f, 5.0f, 0));
    EXPECT_EQ(track_of(points, false), std::string("BOF\n") + header + "EOF\n");
    EXPECT_EQ(track_of(points, true),
              std::string("ASI kts,Tach,TimeStamp,GPSAlt\t-\t") + header + "EOF\n");
  }
}

TEST(TrackExport, DecodesALogIntoRows) {
  log_writer log;
  log.gps1(10, nmea_fix("4807.038", "N", "01131.000", "E"));
  log.eis(15, {.tachometer = 2400});
  log.ahrs_hr(20, {.pitch_angle = 0x0800, .pressure_alt = 6000, .asi = 500});
  log.gps1(30, nmea_fix("4807.038", "S", "01131.000", "W"));
  log.record(13, 40, "x");
  log.record(13, 50, "y");
  library_options o = default_options();
  o.gps_1_type = 2;
  // Stored: the first fix at -5000 feet, the same fix at 1000 feet, the mirrored fix; the
  // first two are spread toward the third (20 time units from the first, as far as it).
  EXPECT_EQ(decode_frc(log.str(), o, true),
            std::string("ASI kts,Tach,TimeStamp,GPSAlt\t-\t") + header +
                "0\t0\t0\t0\t-\t48.117298\t11.516666\t-1523.999998\t0.000000\t0.000000\t0.000000\n"
                "29\t2400\t20\t0\t-\t-48.117298\t-11.516666\t304.800000\t11.250000\t0.000000\t0.000000\n"
                "EOF\n");
}

TEST(TrackExport, ResultIsTheEofLineOrAFailure) {
  const analog_input_const c = default_constants();
  const library_options o = default_options();
  for (const bool binary : {false, true}) {
    const auto run = [&](FILE* out) {
      FILE* in = stream_with("");
      const int result = binary ? OrvexDecode_LOG_to_FRC_binary(&c, &o, in, out, stderr)
                                : OrvexDecode_LOG_to_FRC(&c, &o, in, out, stderr);
      std::fclose(in);
      std::fclose(out);
      return result;
    };
    EXPECT_EQ(run(std::tmpfile()), 4) << binary;
    FILE* full = std::fopen("/dev/full", "wb");
    ASSERT_NE(full, nullptr);
    EXPECT_LT(run(full), 0) << binary;
  }
}
