// The position rules: which fixes each document takes as a position.
#include <gtest/gtest.h>

#include <cmath>

#include "decoders/gps/position_rules.h"

TEST(PositionRules, EachDocumentKeepsItsOwnRangeOfPositions) {
  const struct {
    bool valid;
    float latitude, longitude;
    bool position, gpx, globe, path;
  } rows[] = {
      {true, 47.5f, -122.2f, true, true, true, true},
      {false, 47.5f, -122.2f, false, false, false, true},
      {true, 0.0f, 0.0f, false, false, false, false},      // a sentence without a position
      {true, 0.0f, 10.0f, true, true, true, false},        // the path wants neither coordinate 0
      {true, 90.0f, 180.0f, true, false, true, true},      // GPX longitudes stop short of 180
      {true, -90.0f, -180.0f, true, true, true, true},
      {true, 90.5f, 10.0f, true, false, false, true},
      {true, std::nanf(""), 10.0f, true, false, false, true},
  };
  for (const auto& r : rows) {
    gps_fix fix{};
    fix.receiver_valid = r.valid;
    fix.latitude_deg = r.latitude;
    fix.longitude_deg = r.longitude;
    SCOPED_TRACE(testing::Message() << r.valid << " " << r.latitude << " " << r.longitude);
    EXPECT_EQ(has_position(fix), r.position);
    EXPECT_EQ(fits_gpx(fix), r.gpx);
    EXPECT_EQ(fits_globe(fix), r.globe);
    EXPECT_EQ(path_keeps_position(fix.latitude_deg, fix.longitude_deg), r.path);
  }
}
