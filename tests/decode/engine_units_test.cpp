// The units of the engine values, from the set-menu settings a LOG holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log_writer.h"
#include "support/flight_profile.h"

TEST(EngineUnits, EachSettingGivesItsUnitLabels) {
  const struct {
    std::vector<std::string> settings;
    const char* cht;
    const char* other;
    const char* fuel;
    bool temperature_assumed;
    bool fluid_assumed;
  } rows[] = {
      {{}, "F", "F", "gal", true, true},
      {{"345=0"}, "F", "F", "gal", false, true},
      {{"345=1"}, "C", "C", "gal", false, true},
      {{"345=2"}, "F", "C", "gal", false, true},
      {{"346=0"}, "F", "F", "gal", true, false},
      {{"346=1"}, "F", "F", "L", true, false},
      {{"346=2"}, "F", "F", "L", true, false},
      {{"345=1", "346=1"}, "C", "C", "L", false, false},
      {{"345=7", "346=9"}, "F", "F", "gal", true, true},  // values the settings do not define
  };
  for (const auto& r : rows) {
    const log_summary s = analyse_bytes(profile_log({{5, 1000, 0}}, {.settings = r.settings}));
    SCOPED_TRACE(r.settings.empty() ? std::string("none") : r.settings[0]);
    EXPECT_EQ(unit_symbol(s.units.cht), r.cht);
    EXPECT_EQ(unit_symbol(s.units.other_temperatures), r.other);
    EXPECT_EQ(unit_symbol(s.units.fuel), r.fuel);
    EXPECT_EQ(s.units.temperature_assumed, r.temperature_assumed);
    EXPECT_EQ(s.units.fluid_assumed, r.fluid_assumed);
    EXPECT_FALSE(s.units_changed);
  }
}

TEST(EngineUnits, ValuesLoggedAfterAChangeOfUnitAreConverted) {
  // Fahrenheit first; then the monitor is set to Celsius and logs 100 C (212 F) for every CHT.
  std::string log = profile_log({{5, 1000, 0}}, {.settings = {"345=0"}});
  log_writer more;
  more.set_menu(10'000, "345=1");
  more.eis(10'500, {.tachometer = 1000, .cht = {100, 100, 100, 100, 100, 100}});
  log += more.str();
  const log_summary s = analyse_bytes(log);
  EXPECT_TRUE(s.units_changed);
  EXPECT_EQ(unit_symbol(s.units.cht), "F");
  EXPECT_DOUBLE_EQ(s.log.figures.cht[5].value, 212.0);
}
