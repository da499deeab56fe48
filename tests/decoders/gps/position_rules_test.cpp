// The position rules: which fixes each document takes as a position.
#include <gtest/gtest.h>

#include <cmath>

#include "decoders/gps/position_rules.h"

TEST(PositionRules, APositionIsAValidFixThatNamesAPlace) {
  const struct {
    bool valid;
    float latitude, longitude;
    bool position, path;
  } rows[] = {
      {true, 47.5f, -122.2f, true, true},
      {false, 47.5f, -122.2f, false, true},
      {true, 0.0f, 0.0f, false, false},  // a sentence without a position
      {true, 0.0f, 10.0f, true, false},  // the path wants neither coordinate 0
      {true, 90.0f, 180.0f, true, true},
      {true, -90.0f, -180.0f, true, true},
      {true, 90.5f, 10.0f, false, true},  // past the pole: the sentence's minutes overflowed
      {true, 100.67f, 10.0f, false, true},
      {true, 10.0f, -180.01f, false, true},
      {true, 1.7e8f, 10.0f, false, true},
      {true, std::nanf(""), 10.0f, false, true},
      {true, 10.0f, std::nanf(""), false, true},
  };
  for (const auto& r : rows) {
    gps_fix fix{};
    fix.receiver_valid = r.valid;
    fix.latitude_deg = r.latitude;
    fix.longitude_deg = r.longitude;
    SCOPED_TRACE(testing::Message() << r.valid << " " << r.latitude << " " << r.longitude);
    EXPECT_EQ(has_position(fix), r.position);
    EXPECT_EQ(path_keeps_position(fix.latitude_deg, fix.longitude_deg), r.path);
  }
}
