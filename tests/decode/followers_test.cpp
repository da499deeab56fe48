// The followers: what a record's effect moves, and the position source's hand-over between the
// ports (timestamps may go back in a damaged LOG: a fix from later in LOG time is not fresh).
#include <gtest/gtest.h>

#include <vector>

#include "decode/followers.h"
#include "records/source_type.h"

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
    p.next_record();
    p.take_fix(s.port, s.fix, s.t);
    EXPECT_EQ(p.moved(), s.moved);
    EXPECT_EQ(p.port_at(s.t), s.port_after);
    if (s.moved) {
      EXPECT_EQ(p.current().latitude_deg, s.fix.latitude_deg);
    }
  }
}

TEST(Followers, AnEffectMovesTheUnitsAndTheClockOnlyWhenItSaysSo) {
  summary_record cache{};
  cache.settings.temperature_units = 1;
  cache.gps_2.fix = fix_at(47);
  cache.gps_2.fix.has_utc = true;
  cache.gps_2.fix.utc_seconds = 1'700'000'000;
  followers f;
  const efis_record record{source_gps_2, 4000, 1, nullptr, 0};
  f.take(record, record_effect{}, cache);
  EXPECT_FALSE(f.clock.known());
  EXPECT_TRUE(f.units.report().temperature_assumed);
  f.take(record, record_effect{.new_fix_port = 1}, cache);
  EXPECT_EQ(f.clock.utc_ms_at(5000), 1'700'000'001'000);
  EXPECT_TRUE(f.position.moved());
  f.take(record, record_effect{.slot = cache_slot::set_menu}, cache);
  EXPECT_FALSE(f.position.moved());
  EXPECT_EQ(f.units.report().cht, temperature_unit::celsius);
}
