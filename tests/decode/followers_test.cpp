// The position source's hand-over between the ports (timestamps may go back in a damaged LOG: a
// fix from later in LOG time is not fresh).
#include <gtest/gtest.h>

#include "decode/followers.h"

namespace {

gps_fix fix_at(double latitude, bool valid = true) {
  gps_fix f{};
  f.receiver_valid = valid;
  f.latitude_deg = static_cast<float>(latitude);
  f.longitude_deg = -122.0f;
  return f;
}

}  // namespace

TEST(PositionSource, GpsTwoStandsInWhileGpsOneIsSilent) {
  const struct {
    int port;
    std::uint32_t t;
    gps_fix fix;
    bool moved;
    int port_after;  // port_at(t)
  } steps[] = {
      {1, 1000, fix_at(2), true, 1},        // GPS 2 alone
      {0, 2000, fix_at(1), true, 0},        // GPS 1 takes charge at once
      {1, 7000, fix_at(2), false, 0},       // GPS 1 heard 5 s ago: still in charge
      {1, 7001, fix_at(2), true, 1},        // now silent for more than 5 s
      {0, 7500, fix_at(1, false), false, 1},  // an invalid fix gives no position
      {1, 1500, fix_at(2), true, 1},  // time went back: GPS 1's later fix is not fresh
  };
  position_source p;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.t);
    p.take_fix(s.port, s.fix, s.t);
    EXPECT_EQ(p.moved(), s.moved);
    EXPECT_EQ(p.port_at(s.t), s.port_after);
    if (s.moved) {
      EXPECT_EQ(p.current().latitude_deg, s.fix.latitude_deg);
    }
  }
}
